#include "support/test_env.h"

#include "platform/defaults_store.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

TempConfigHome::TempConfigHome()
    : previous_(qgetenv("XDG_CONFIG_HOME")), hadPrevious_(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
{
    qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());
}

TempConfigHome::~TempConfigHome()
{
    if (hadPrevious_)
        qputenv("XDG_CONFIG_HOME", previous_);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

QString TempConfigHome::settingsFile() const
{
    return dir_.path() + QStringLiteral("/lumora/lumora.conf");
}

std::unique_ptr<DefaultsStore> TempConfigHome::openStore() const
{
    return std::make_unique<DefaultsStore>(settingsFile());
}

PrivateBus::PrivateBus()
{
    daemon_.setProgram(QStringLiteral("dbus-daemon"));
    daemon_.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"),
                          QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    daemon_.start();
    if (!daemon_.waitForStarted(5000))
        return;
    QByteArray line;
    while (!line.contains('\n') && daemon_.waitForReadyRead(5000))
        line += daemon_.readAllStandardOutput();
    address_ = QString::fromUtf8(line).trimmed();
}

PrivateBus::~PrivateBus()
{
    for (const QString& name : std::as_const(names_))
        QDBusConnection::disconnectFromBus(name);
    if (daemon_.state() != QProcess::NotRunning) {
        daemon_.terminate();
        if (!daemon_.waitForFinished(3000))
            daemon_.kill();
        daemon_.waitForFinished(1000);
    }
}

QDBusConnection PrivateBus::connect(const QString& name)
{
    // Qt keeps connections by name for the whole process: a name reused by a
    // later test would hand back this bus after it is gone.
    static int serial = 0;
    const QString unique = QStringLiteral("%1-%2").arg(name).arg(++serial);
    names_.append(unique);
    return QDBusConnection::connectToBus(address_, unique);
}

void PrivateBus::exportAsSessionBus() const
{
    qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
}

QString testOutputDir()
{
    QString dir = qEnvironmentVariable("LUMORA_TEST_OUTPUT");
    if (dir.isEmpty())
        dir = QDir::tempPath() + QStringLiteral("/lumora-test-output");
    QDir().mkpath(dir);
    return dir;
}

UnprivilegedFileAccess::UnprivilegedFileAccess()
{
    if (::geteuid() == 0)
        ::setfsuid(65534);
}

UnprivilegedFileAccess::~UnprivilegedFileAccess()
{
    if (::geteuid() == 0)
        ::setfsuid(0);
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    savedLimit_ = limit.rlim_cur;
    // Past the limit the kernel would also raise SIGXFSZ, which ends the process.
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = rlim_t(bytes);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(savedLimit_);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, savedHandler_);
}

quint64 fileIdentity(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? quint64(st.st_ino) : 0;
}
