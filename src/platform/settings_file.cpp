#include "platform/settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
SettingsFile::State stateOf(const struct stat& st)
{
    if (!S_ISREG(st.st_mode))
        return SettingsFile::State::notRegular;
    return st.st_size > SettingsFile::maxBytes ? SettingsFile::State::tooLarge : SettingsFile::State::readable;
}

SettingsFile::Stamp stampOf(const struct stat& st)
{
    return {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

SettingsFile::Contents failure(SettingsFile::State state, int error = 0)
{
    SettingsFile::Contents contents;
    contents.state = state;
    if (error != 0)
        contents.error = QString::fromLocal8Bit(std::strerror(error));
    return contents;
}
}  // namespace

SettingsFile::Contents SettingsFile::read() const
{
    const QByteArray native = QFile::encodeName(path_);
    // Look before opening: opening a device can have effects of its own.
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return errno == ENOENT ? Contents() : failure(State::unreadable, errno);
    if (const State state = stateOf(st); state != State::readable)
        return failure(state);
    // Non-blocking, in case a FIFO took the file's place since the look.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? Contents() : failure(State::unreadable, errno);
    Contents contents;
    contents.state = ::fstat(fd, &st) == 0 ? stateOf(st) : State::unreadable;
    if (contents.state == State::readable) {
        contents.stamp = stampOf(st);
        contents.bytes.reserve(qsizetype(st.st_size));
    }
    char buffer[16 * 1024];
    while (contents.state == State::readable) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            contents = failure(State::unreadable, errno);
        if (got <= 0)
            break;
        contents.bytes.append(buffer, qsizetype(got));
        // It may be growing under us: never read more than the bound.
        if (contents.bytes.size() > maxBytes)
            contents = failure(State::tooLarge);
    }
    ::close(fd);
    if (contents.state != State::readable)
        contents.bytes.clear();
    return contents;
}

std::optional<SettingsFile::Stamp> SettingsFile::stamp() const
{
    struct stat st {};
    if (::stat(QFile::encodeName(path_).constData(), &st) != 0)
        return std::nullopt;
    return stampOf(st);
}

bool SettingsFile::write(const QByteArray& bytes, QString& error) const
{
    const QString file = target();
    struct stat st {};
    if (::stat(QFile::encodeName(file).constData(), &st) == 0) {
        switch (stateOf(st)) {
        case State::readable:
            break;
        case State::tooLarge:
            error = QStringLiteral("it is larger than 1 MiB");
            return false;
        default:
            error = QStringLiteral("it is not a regular file");
            return false;
        }
    } else if (errno != ENOENT) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("the folder %1 cannot be made").arg(folder);
        return false;
    }
    // A temporary file beside the target, renamed over it once complete.
    QSaveFile save(file);
    if (!save.open(QIODevice::WriteOnly)) {
        error = save.errorString();
        return false;
    }
    // A write cut short is not always an error to QSaveFile: the size tells.
    if (save.write(bytes) != bytes.size() || !save.flush() || save.size() != bytes.size()) {
        save.cancelWriting();
        error = QStringLiteral("it came out short; is the disk full?");
        return false;
    }
    if (!save.commit()) {
        error = save.errorString();
        return false;
    }
    return true;
}

QString SettingsFile::target() const
{
    QFileInfo info(path_);
    for (int hops = 0; hops < 40 && info.isSymLink(); ++hops)
        info.setFile(info.symLinkTarget());
    return info.absoluteFilePath();
}
