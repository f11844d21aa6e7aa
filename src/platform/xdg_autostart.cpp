#include "platform/xdg_autostart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>

namespace {
// Exec= needs an argument quoted when it holds anything a launcher would
// split or expand; inside quotes ", `, $ and \ take a backslash, and a
// desktop-entry value then doubles every backslash.
QString execArgument(const QString& program)
{
    static const QString plain = QStringLiteral(
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/._+-,:@%");
    QString arg = program;
    arg.replace(QLatin1Char('%'), QStringLiteral("%%"));
    if (std::all_of(arg.cbegin(), arg.cend(), [](QChar c) { return plain.contains(c); }))
        return arg;
    QString quoted;
    for (QChar c : arg) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
}  // namespace

XdgAutostart::XdgAutostart(QString program, QObject* parent)
    : LoginItem(parent), program_(program.isEmpty() ? QCoreApplication::applicationFilePath() : std::move(program))
{
}

QString XdgAutostart::entryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/autostart/lumora.desktop");
}

QByteArray XdgAutostart::entryFor(const QString& program)
{
    const bool printable = !program.isEmpty() && std::none_of(program.cbegin(), program.cend(), [](QChar c) {
        return c.category() == QChar::Other_Control;
    });
    if (!printable)
        return {};
    const QString entry = QStringLiteral(
                              "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=Lumora\n"
                              "Comment=Starts Lumora when you log in\n"
                              "Exec=%1\n"
                              "Icon=org.lumora.Lumora\n"
                              "Terminal=false\n"
                              "X-GNOME-Autostart-enabled=true\n")
                              .arg(execArgument(program));
    return entry.toUtf8();
}

void XdgAutostart::setRegistered(bool on, Done done)
{
    const QString error = on ? write() : remove();
    if (done)
        done(error);
}

QString XdgAutostart::write() const
{
    const QByteArray entry = entryFor(program_);
    if (entry.isEmpty())
        return QStringLiteral("the program's path %1 cannot be written into a desktop entry").arg(program_);
    const QString path = entryPath();
    const QString folder = QFileInfo(path).absolutePath();
    // mkpath follows a symlinked folder and leaves it in place.
    errno = 0;
    if (!QDir().mkpath(folder)) {
        const int code = errno;
        return QStringLiteral("cannot create the folder %1: %2")
            .arg(folder, code ? QString::fromLocal8Bit(std::strerror(code)) : QStringLiteral("it is not a folder"));
    }
    if (QFileInfo(path).isDir())
        return QStringLiteral("%1 is a folder, not a file").arg(path);
    QSaveFile file(path);
    // Unbuffered, so a short write (a full disk) shows here; a buffered
    // QSaveFile can commit a truncated file and call it success.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    const qint64 written = file.write(entry);
    if (written != entry.size())
        return QStringLiteral("cannot write %1: only %2 of %3 bytes could be written (is the disk full?)")
            .arg(path)
            .arg(qMax<qint64>(written, 0))
            .arg(entry.size());
    if (!file.commit())
        return QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    return {};
}

QString XdgAutostart::remove() const
{
    const QString path = entryPath();
    const QFileInfo info(path);
    // Nothing registered is what was asked for.
    if (!info.exists() && !info.isSymLink())
        return {};
    if (info.isDir() && !info.isSymLink())
        return QStringLiteral("%1 is a folder, not a file").arg(path);
    QFile file(path);
    if (!file.remove())
        return QStringLiteral("cannot remove %1: %2").arg(path, file.errorString());
    return {};
}
