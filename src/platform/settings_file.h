#pragma once

#include <QByteArray>
#include <QString>

// The settings file on disk, read and replaced without trusting what is at
// its path: only a regular file of modest size is read, by calls that
// cannot block (a FIFO or a device there is never opened for reading), and
// a write replaces only such a file or creates a missing one. A symbolic
// link to a regular file (a dotfile manager's) is followed: its target is
// replaced and the link stays.
class SettingsFile {
public:
    enum class State { missing, readable, notRegular, tooLarge, unreadable };
    struct Contents {
        State state = State::missing;
        QByteArray bytes;
        QString error;  // why it is unreadable
    };

    // Far beyond what Lumora writes (a few hundred bytes), small enough to
    // read and rewrite on every change without a pause.
    static constexpr qint64 maxBytes = 1024 * 1024;

    explicit SettingsFile(QString path) : path_(std::move(path)) {}

    QString path() const { return path_; }
    Contents read() const;
    // Atomically replaces the file (its link target) with `bytes`. False,
    // with `error` set, when that fails or the file may not be replaced.
    bool write(const QByteArray& bytes, QString& error) const;

private:
    // The path with every symbolic link followed, also a dangling last one.
    QString target() const;

    QString path_;
};
