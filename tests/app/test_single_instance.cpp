#include "platform/local_activation_socket.h"
#include "platform/single_instance.h"
#include "support/test_env.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
const QString appId = QStringLiteral("org.lumora.Lumora");

// Started as a child of this test with LUMORA_TEST_CLAIM set: claims the
// instance, prints its role (and "activated" when asked to show itself).
int runClaimingChild()
{
    SingleInstance instance(appId);
    instance.connectAhead();  // as Lumora does: a missing bus is found in claim()
    const SingleInstance::Role role = instance.claim();
    const char* names[] = {"primary", "secondary", "failed"};
    std::printf("%s %s\n", names[int(role)], qPrintable(instance.mechanism()));
    std::fflush(stdout);
    if (role != SingleInstance::Role::primary)
        return 0;
    QObject::connect(&instance, &SingleInstance::activateRequested, [] {
        std::printf("activated\n");
        std::fflush(stdout);
    });
    QTimer::singleShot(20'000, QCoreApplication::instance(), &QCoreApplication::quit);
    return QCoreApplication::exec();
}

// For this test's claiming child, or with `config` for Lumora itself.
QProcessEnvironment childEnvironment(const QString& bus, const QString& runtime, const QString& config = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (config.isEmpty())
        env.insert(QStringLiteral("LUMORA_TEST_CLAIM"), QStringLiteral("1"));
    else
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    return env;
}

sockaddr_un addressOf(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path - 1);
    return address;
}

void startChild(QProcess& p, const QProcessEnvironment& env)
{
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationFilePath(), {});
}

QString firstLine(QProcess& p)
{
    QDeadlineTimer deadline(15'000);
    while (!p.canReadLine() && p.state() != QProcess::NotRunning && !deadline.hasExpired())
        p.waitForReadyRead(100);
    if (!p.canReadLine())
        qWarning() << "child said on stderr:" << p.readAllStandardError();
    return QString::fromUtf8(p.readLine()).trimmed();
}
}  // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void secondLumoraWakesTheFirstOnTheBus()
    {
        PrivateBus bus;
        bus.exportAsSessionBus();
        QTemporaryDir runtime;
        SingleInstance first(appId);
        QCOMPARE(first.claim(), SingleInstance::Role::primary);
        QCOMPARE(first.mechanism(), QStringLiteral("bus"));
        QSignalSpy woken(&first, &SingleInstance::activateRequested);

        // The real executable, started again: it asks the first and leaves.
        QTemporaryDir config;
        QProcess second;
        second.setProcessEnvironment(childEnvironment(bus.address(), runtime.path(), config.path()));
        second.start(QStringLiteral(LUMORA_EXECUTABLE), {});
        QVERIFY(second.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 30'000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE(woken.count(), 1);
        // It built its window before asking, yet stored nothing: the
        // settings are the first one's.
        QVERIFY(QDir(config.path()).isEmpty(QDir::NoDotAndDotDot | QDir::AllEntries));
    }

    // The socket itself: asks are heard, rubbish and oversized lines are
    // dropped without stopping it, and nobody listening is a clear "no".
    void localSocketHearsOnlyActivate()
    {
        QTemporaryDir runtime;
        const QString path = runtime.filePath(QStringLiteral("app.socket"));
        QVERIFY(!LocalActivationSocket::ask(path, 500));
        {
            QFile stale(path);  // a crashed instance's file is replaced
            QVERIFY(stale.open(QIODevice::WriteOnly));
        }
        LocalActivationSocket socket;
        QString error;
        QVERIFY2(socket.listen(path, error), qPrintable(error));
        QCOMPARE(QFileInfo(path).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup),
                 QFile::Permissions());
        QSignalSpy asked(&socket, &LocalActivationSocket::activateRequested);

        const auto sendRaw = [&path](const QByteArray& bytes) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            const sockaddr_un address = addressOf(path);
            const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0
                            && ::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL) == bytes.size();
            ::close(fd);
            return ok;
        };
        // One request per connection, on its first line and word for word.
        QVERIFY(sendRaw("activate please\nactivate\n"));
        QVERIFY(sendRaw("hello\nactivate\n"));
        QVERIFY(sendRaw(QByteArray(4096, 'x')));
        QVERIFY(sendRaw("\x01\x02\n"));
        QTest::qWait(200);
        QCOMPARE(asked.count(), 0);
        for (int n = 1; n <= 2; ++n) {
            QVERIFY(LocalActivationSocket::ask(path, 500));
            QTRY_COMPARE(asked.count(), n);
        }

        LocalActivationSocket tooLong;
        QVERIFY(!tooLong.listen(runtime.filePath(QString(200, QLatin1Char('s'))), error));
        QVERIFY(!error.isEmpty());
    }

    // Once the session bus has gone away under a running instance, the
    // local socket decides (Lumora without a bus at all is the flood case).
    void withoutABusALocalSocketDecides()
    {
        QTemporaryDir runtime;
        auto bus = std::make_unique<PrivateBus>();
        const QProcessEnvironment env = childEnvironment(bus->address(), runtime.path());
        QProcess first;
        startChild(first, env);
        QCOMPARE(firstLine(first), QStringLiteral("primary bus"));
        bus.reset();
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(runtime.filePath(appId + QStringLiteral(".socket"))), 15'000);

        QProcess second;
        startChild(second, env);
        QCOMPARE(firstLine(second), QStringLiteral("secondary"));
        QVERIFY(second.waitForFinished(15'000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(firstLine(first), QStringLiteral("activated"));

        // A first instance that died without cleaning up leaves nothing
        // that stops the next start.
        first.kill();
        QVERIFY(first.waitForFinished(15'000));
        QProcess third;
        startChild(third, env);
        QCOMPARE(firstLine(third), QStringLiteral("primary local"));
        third.kill();
        third.waitForFinished(15'000);
    }

    // A local process floods the socket of a running Lumora: it keeps its
    // descriptors, still hears a real request and still quits on SIGTERM.
    void manyPeersCannotTakeTheSocket()
    {
        QTemporaryDir runtime;
        QTemporaryDir config;
        QProcessEnvironment env = childEnvironment(QStringLiteral("unix:path=%1/no-bus").arg(runtime.path()),
                                                   runtime.path(), config.path());
        env.insert(QStringLiteral("LUMORA_BENCH_MARKS"), QStringLiteral("1"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("lumora.instance.debug=true"));
        QProcess lumora;
        lumora.setProcessEnvironment(env);
        lumora.start(QStringLiteral(LUMORA_EXECUTABLE), {});
        QVERIFY(lumora.waitForStarted());
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += lumora.readAllStandardOutput()).contains("lumora-bench first-frame"), 30'000);
        QTest::qWait(1000);  // what start-up opens late is open
        const QString descriptors = QStringLiteral("/proc/%1/fd").arg(lumora.processId());
        const auto inUse = [&descriptors] { return QDir(descriptors).entryList(QDir::Files | QDir::System).size(); };
        const qsizetype before = inUse();

        const QString path = runtime.filePath(appId + QStringLiteral(".socket"));
        const sockaddr_un address = addressOf(path);
        std::vector<int> peers;
        for (int attempt = 0; attempt < 2000 && peers.size() < 300; ++attempt) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
                // Half a request, never finished.
                if (peers.size() % 2)
                    (void)::send(fd, "activ", 5, MSG_NOSIGNAL);
                peers.push_back(fd);
            } else {
                ::close(fd);
                QTest::qWait(1);
            }
        }
        QVERIFY(peers.size() > size_t(2 * LocalActivationSocket::maxPeers));
        QTest::qWait(300);
        // The peers, and a few to spare for what start-up may still open.
        QVERIFY2(inUse() <= before + LocalActivationSocket::maxPeers + 8,
                 qPrintable(QStringLiteral("%1 descriptors, %2 before").arg(inUse()).arg(before)));

        QVERIFY(LocalActivationSocket::ask(path, SingleInstance::requestTimeoutMs));
        QByteArray err;
        QTRY_VERIFY_WITH_TIMEOUT((err += lumora.readAllStandardError()).contains("show requested"), 15'000);
        for (const int fd : peers)
            ::close(fd);
        ::kill(pid_t(lumora.processId()), SIGTERM);
        QVERIFY(lumora.waitForFinished(15'000));
        QCOMPARE(lumora.exitStatus(), QProcess::NormalExit);
        QCOMPARE(lumora.exitCode(), 0);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("LUMORA_TEST_CLAIM"))
        return runClaimingChild();
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_single_instance.moc"
