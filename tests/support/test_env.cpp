#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <csignal>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

PrivateBus::PrivateBus()
{
    daemon_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                  QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    QByteArray line;
    while (daemon_.waitForStarted(5000) && !line.contains('\n') && daemon_.waitForReadyRead(5000))
        line += daemon_.readAllStandardOutput();
    address_ = QString::fromUtf8(line).trimmed();
}

PrivateBus::~PrivateBus()
{
    for (const QString& name : std::as_const(names_))
        QDBusConnection::disconnectFromBus(name);
    daemon_.terminate();
    daemon_.waitForFinished(3000);
}

QDBusConnection PrivateBus::connect(const QString& name)
{
    // Qt keeps connections by name for the whole process: a name reused by a
    // later test would hand back this bus after it is gone.
    static int serial = 0;
    names_.append(QStringLiteral("%1-%2").arg(name).arg(++serial));
    return QDBusConnection::connectToBus(address_, names_.back());
}

QString testOutputDir()
{
    const QString dir =
        qEnvironmentVariable("LUMORA_TEST_OUTPUT", QDir::tempPath() + QStringLiteral("/lumora-test-output"));
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
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    // Past the limit the kernel would also raise SIGXFSZ, which ends the process.
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{rlim_t(bytes), saved_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, savedHandler_);
}

quint64 fileIdentity(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? quint64(st.st_ino) : 0;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
