#include "platform/local_activation_socket.h"
#include "platform/single_instance.h"
#include "support/test_env.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
const QString appId = QStringLiteral("org.lumora.Lumora");

// Lumora itself, on that bus, with a config home and runtime folder of its
// own; it marks its first frame on stdout and show requests on stderr.
void startLumora(QProcess& lumora, const QString& bus, const QString& runtime, const QString& config)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LUMORA_BENCH_MARKS"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("lumora.instance.debug=true"));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    lumora.setProcessEnvironment(env);
    lumora.start(QStringLiteral(LUMORA_EXECUTABLE), {});
}

// A connection to the socket at `path` with `bytes` sent on it, or -1.
int connectPeer(const QString& path, const QByteArray& bytes, int type = SOCK_STREAM)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, type | SOCK_CLOEXEC, 0);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0
        && ::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL) == bytes.size())
        return fd;
    ::close(fd);
    return -1;
}
}  // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The real executable started again wakes the first instance over the
    // bus and stores nothing. Once the bus goes away the first takes the
    // local socket, so a later start still finds it.
    void secondStartWakesTheFirst()
    {
        QTemporaryDir runtime, config;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        auto bus = std::make_unique<PrivateBus>();
        bus->exportAsSessionBus();
        SingleInstance first(appId);
        QCOMPARE(first.claim(), SingleInstance::Role::primary);
        QSignalSpy woken(&first, &SingleInstance::activateRequested);

        QProcess second;
        startLumora(second, bus->address(), runtime.path(), config.path());
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 30'000);
        QVERIFY(second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0);
        QTRY_COMPARE(woken.count(), 1);
        // It built its window before asking, yet the settings are the first one's.
        QVERIFY(QDir(config.path()).isEmpty(QDir::NoDotAndDotDot | QDir::AllEntries));

        bus.reset();
        QTRY_VERIFY(QFileInfo::exists(first.socketPath()));
        SingleInstance third(appId);
        QCOMPARE(third.claim(), SingleInstance::Role::secondary);
        QTRY_COMPARE(woken.count(), 2);
    }

    // One request per connection, on its first line and word for word:
    // rubbish, oversized and merely similar lines are dropped without
    // stopping the socket, and nobody listening is a clear "no".
    void localSocketHearsOnlyActivate()
    {
        QTemporaryDir runtime;
        const QString path = runtime.filePath(QStringLiteral("app.socket"));
        QVERIFY(!LocalActivationSocket::ask(path, 500));
        QVERIFY(QFile(path).open(QIODevice::WriteOnly));  // a crashed instance's file is replaced
        LocalActivationSocket socket;
        QString error;
        QVERIFY2(socket.listen(path, error), qPrintable(error));
        QCOMPARE(QFileInfo(path).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup),
                 QFile::Permissions());
        QSignalSpy asked(&socket, &LocalActivationSocket::activateRequested);
        for (const QByteArray& bytes : {QByteArray("activate please\nactivate\n"), QByteArray("hello\nactivate\n"),
                                        QByteArray(4096, 'x'), QByteArray("\x01\x02\n")})
            QCOMPARE(::close(connectPeer(path, bytes)), 0);
        QTest::qWait(200);
        QCOMPARE(asked.count(), 0);
        for (int n = 1; n <= 2; ++n) {
            QVERIFY(LocalActivationSocket::ask(path, 500));
            QTRY_COMPARE(asked.count(), n);
        }
        QVERIFY(!LocalActivationSocket().listen(runtime.filePath(QString(200, QLatin1Char('s'))), error));
    }

    // Lumora with no bus at all takes the local socket. A local process
    // flooding it costs it no more than a few descriptors; it still hears a
    // real request and still quits on SIGTERM.
    void manyPeersCannotTakeTheSocket()
    {
        QTemporaryDir runtime, config;
        QProcess lumora;
        startLumora(lumora, QStringLiteral("unix:path=%1/no-bus").arg(runtime.path()), runtime.path(), config.path());
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += lumora.readAllStandardOutput()).contains("lumora-bench first-frame"), 30'000);
        QTest::qWait(1000);  // what start-up opens late is open
        const QString fds = QStringLiteral("/proc/%1/fd").arg(lumora.processId());
        const auto inUse = [&fds] { return QDir(fds).entryList(QDir::Files | QDir::System).size(); };
        const qsizetype before = inUse();

        const QString path = runtime.filePath(appId + QStringLiteral(".socket"));
        std::vector<int> peers;
        for (int attempt = 0; attempt < 2000 && peers.size() < 300; ++attempt) {
            // Half a request on every other one, never finished.
            const int fd = connectPeer(path, peers.size() % 2 ? "activ" : "", SOCK_STREAM | SOCK_NONBLOCK);
            if (fd >= 0)
                peers.push_back(fd);
            else
                QTest::qWait(1);
        }
        QVERIFY(peers.size() > size_t(2 * LocalActivationSocket::maxPeers));
        QTest::qWait(300);
        // The peers, and a few to spare for what start-up may still open.
        QCOMPARE_LE(inUse(), before + LocalActivationSocket::maxPeers + 8);

        QVERIFY(LocalActivationSocket::ask(path, SingleInstance::requestTimeoutMs));
        QByteArray err;
        QTRY_VERIFY_WITH_TIMEOUT((err += lumora.readAllStandardError()).contains("show requested"), 15'000);
        for (const int fd : peers)
            ::close(fd);
        ::kill(pid_t(lumora.processId()), SIGTERM);
        QVERIFY(lumora.waitForFinished(15'000));
        QVERIFY(lumora.exitStatus() == QProcess::NormalExit && lumora.exitCode() == 0);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_single_instance.moc"
