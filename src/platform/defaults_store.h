#pragma once

#include "platform/settings_file.h"
#include "platform/settings_text.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

// The user's defaults store: an INI file read with typed, forgiving reads.
// A missing key, a value of the wrong type or an unreadable file gives the
// caller's default; a write is visible to the next read at once and reaches
// the disk atomically. What is at the path is not trusted (see
// SettingsFile, SettingsText): a file that cannot be read safely means the
// defaults for this run and is left alone, and a damaged line costs only
// its own key. Each kind of fault is reported once, on standard error.
class DefaultsStore {
public:
    explicit DefaultsStore(const QString& filePath);
    // Writes still held go down first.
    ~DefaultsStore();
    DefaultsStore(const DefaultsStore&) = delete;
    DefaultsStore& operator=(const DefaultsStore&) = delete;

    // $XDG_CONFIG_HOME/lumora/lumora.conf (~/.config when unset).
    static QString defaultPath();
    // The store of this process at defaultPath(), made on first use.
    static DefaultsStore& shared();

    QString filePath() const;
    bool contains(const QString& key) const;

    bool readBool(const QString& key, bool fallback) const;
    QString readString(const QString& key, const QString& fallback) const;
    QStringList readStringList(const QString& key) const;
    qint64 readInt(const QString& key, qint64 fallback) const;

    // Each returns whether the file on disk now holds the change. A value the
    // file already holds is not written again.
    bool write(const QString& key, const QVariant& value);
    bool remove(const QString& key);

    // From holdWrites() to commitHeldWrites(), writes and removals change
    // what reads return at once but reach the disk together at the end (each
    // returns true meanwhile): start-up stores the language, and the first
    // frame should not wait for the disk. Commit returns whether the file now
    // holds them all; with nothing held it does nothing and returns true.
    void holdWrites();
    bool commitHeldWrites();
    // Forgets what is held (reads return the file's values again): for a
    // process that leaves at once because another one runs.
    void discardHeldWrites();

private:
    // Changes by key, values as the file keeps them; an empty one is a removal.
    using Changes = QMap<QString, std::optional<QVariant>>;
    enum Fault : unsigned { notRegular = 1, tooLarge = 2, unreadable = 4, damaged = 8, writeFailed = 16 };

    QVariant value(const QString& key) const;
    bool change(const QString& key, std::optional<QVariant> value);
    // Merges `changes` into the file as it is now; false if it is not there.
    bool putDown(const Changes& changes);
    // Brings onDisk_ up to the file; false when it may not be read or replaced.
    bool load();
    void report(Fault fault, const QString& what);

    SettingsFile file_;
    // The file as last read or written, while it is that version: a write
    // to a large file then costs no reading and parsing.
    std::optional<SettingsText::Values> onDisk_;
    std::optional<SettingsFile::Stamp> onDiskStamp_;
    SettingsText::Values values_;  // what reads see outside held writes
    Changes unsaved_;              // taken, but not on disk yet (a failed write)
    std::optional<Changes> held_;
    unsigned reported_ = 0;
};
