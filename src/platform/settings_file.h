#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The settings file on disk, read and replaced without trusting what is at
// its path: only a regular file of modest size is read, by calls that
// cannot block (a FIFO or a device there is never opened for reading), and
// a write replaces only such a file or creates a missing one. A symbolic
// link to a regular file (a dotfile manager's) is followed: its target is
// replaced and the link stays.
class SettingsFile {
public:
    enum class State { missing, readable, notRegular, tooLarge, unreadable };
    // Which file, and which version of it: a write or an edit changes it.
    struct Stamp {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modifiedNs = 0;
        friend bool operator==(const Stamp&, const Stamp&) = default;
    };
    struct Contents {
        State state = State::missing;
        QByteArray bytes;
        QString error;  // why it is unreadable
        std::optional<Stamp> stamp;  // of what was read
    };

    // Far beyond what Lumora writes (a few hundred bytes), small enough to
    // read and rewrite on every change without a pause.
    static constexpr qint64 maxBytes = 1024 * 1024;

    explicit SettingsFile(QString path) : path_(std::move(path)) {}

    QString path() const { return path_; }
    Contents read() const;
    // Of what is at the path now (following links); none when nothing is.
    std::optional<Stamp> stamp() const;
    // Atomically replaces the file (its link target) with `bytes`. False,
    // with `error` set, when that fails or the file may not be replaced.
    bool write(const QByteArray& bytes, QString& error) const;

private:
    // The path with every symbolic link followed, also a dangling last one.
    QString target() const;

    QString path_;
};
