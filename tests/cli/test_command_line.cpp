// The real executable as a command line: every command against an instance
// on a private bus (the engine in this process, on a fake clock), and with
// no instance at all, where start starts the real one.
#include "timer_bus_rig.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <csignal>

namespace {
struct Outcome {
    int code = -1;
    QString out;
    QString err;
};

QProcessEnvironment clientEnvironment(const QString& bus)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
    return env;
}

// Runs the event loop, so the instance in this process answers, until
// `done` holds or `ms` have passed.
template <typename Done>
bool await(Done done, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QTest::qWait(10);
    return done();
}

Outcome lumora(const QStringList& arguments, const QProcessEnvironment& env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(LUMORA_EXECUTABLE), arguments);
    p.waitForStarted();
    if (!await([&p] { return p.state() == QProcess::NotRunning; }, 60'000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QString nextLine(QProcess& p)
{
    await([&p] { return p.canReadLine() || p.state() == QProcess::NotRunning; }, 20'000);
    return QString::fromUtf8(p.readLine()).trimmed();
}
}  // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commands_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("output");  // the start of stdout on success, of the stderr line otherwise
        QTest::addColumn<QString>("after");
        QTest::addColumn<qint64>("total");
        // The total after the command: what the state implies unless given.
        const auto row = [](const char* name, const char* before, const char* line, int code, const char* output,
                            const char* after = nullptr, qint64 total = -1) {
            const QString state = QString::fromLatin1(after ? after : before);
            if (total < 0)
                total = state == QLatin1String("idle") ? 0 : state == QLatin1String("ringing") ? 1 : 1500;
            QTest::newRow(name) << QString::fromLatin1(before) << QString::fromLatin1(line).split(QLatin1Char(' '))
                                << code << QString::fromUtf8(output) << state << total;
        };
        row("no instance: status", "absent", "status", 3, "lumora: Lumora is not running.", "idle");
        row("no instance: pause", "absent", "pause", 3, "lumora: Lumora is not running.", "idle");
        row("status idle", "idle", "status", 0, "idle 10:00");
        row("status running", "running", "status", 0, "running 24:59");
        row("status ringing", "ringing", "status", 0, "ringing");
        // "text" and "class" are what status bars read.
        row("status as JSON", "running", "status --json", 0,
            R"({"class":"running","mode":"custom","remaining":1499,"state":"running","text":"running 24:59","total":1500})");
        row("start 25m", "idle", "start 25m", 0, "", "running");
        row("start longest", "idle", "start 999m59s", 0, "", "running", 59'999);
        row("start while ringing", "ringing", "start 5m", 0, "", "running", 300);
        row("start until", "idle", "start --until 10:30", 0, "", "running", 1800);
        row("start until now is tomorrow", "idle", "start --until 10:00", 0, "", "running", 86'400);
        row("start running", "running", "start 5m", 1, "lumora: A countdown is running; pause or reset it first.");
        row("start paused", "paused", "start 5m", 1, "lumora: A countdown is paused; resume or reset it first.");
        row("start abc", "idle", "start abc", 1, "lumora: \"abc\" is not a length");
        row("start nothing", "idle", "start", 1, "lumora: start takes one");
        row("pause", "running", "pause", 0, "", "paused");
        row("pause idle", "idle", "pause", 1, "lumora: No countdown is running.");
        row("resume", "paused", "resume", 0, "", "running");
        row("resume running", "running", "resume", 1, "lumora: No countdown is paused.");
        row("toggle running", "running", "toggle", 0, "", "paused");
        row("toggle paused", "paused", "toggle", 0, "", "running");
        row("toggle idle", "idle", "toggle", 1, "lumora: No countdown");
        row("reset", "running", "reset", 0, "", "idle");
        row("stop", "ringing", "stop", 0, "", "idle");
        row("stop idle", "idle", "stop", 1, "lumora: Nothing is ringing.");
        row("unknown", "idle", "frobnicate", 1, "lumora: unknown command");
        row("json for pause", "running", "pause --json", 1, "lumora: --json");
        row("version", "idle", "--version", 0, "lumora 0.1.0");
        row("help", "idle", "--help", 0, "Usage: ");
    }
    void commands()
    {
        QFETCH(QString, before);
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, output);
        QFETCH(QString, after);
        QFETCH(qint64, total);
        TimerBusRig rig;
        QVERIFY(rig.bus.isRunning());
        rig.enter(before);
        const Outcome got = lumora(arguments, clientEnvironment(rig.bus.address()));
        QCOMPARE(got.code, code);
        if (code == 0) {
            QCOMPARE(got.err, QString());
            if (output.isEmpty())
                QCOMPARE(got.out, QString());
            else if (arguments.first() == QLatin1String("status"))
                QCOMPARE(got.out, output + QLatin1Char('\n'));
            else
                QVERIFY2(got.out.startsWith(output), qPrintable(got.out));
        } else {
            QCOMPARE(got.out, QString());
            QVERIFY2(got.err.startsWith(output), qPrintable(got.err));
            QVERIFY2(got.err.count(QLatin1Char('\n')) == 1, qPrintable(got.err));
        }
        QCOMPARE(rig.timerInterface->state(), after);
        QCOMPARE(rig.timer.totalSeconds.get(), total);
    }

    void statusFollowed()
    {
        TimerBusRig rig;
        QVERIFY(rig.bus.isRunning());
        rig.timer.mode = TimerMode::custom;
        rig.timer.customMinutes = 25;
        QProcess follow;
        follow.setProcessEnvironment(clientEnvironment(rig.bus.address()));
        follow.start(QStringLiteral(LUMORA_EXECUTABLE), {QStringLiteral("status"), QStringLiteral("--follow")});
        QCOMPARE(nextLine(follow), QStringLiteral("idle 25:00"));
        // A change the line does not show (sent before the start) prints nothing.
        rig.timer.mode = TimerMode::preset;
        rig.timer.selectedPresetMinutes = 25;
        QCoreApplication::processEvents();
        rig.timer.start();
        QCOMPARE(nextLine(follow), QStringLiteral("running 25:00"));
        for (const char* expected : {"running 24:59", "running 24:58"}) {
            rig.clock.advance(1000);
            QCOMPARE(nextLine(follow), QString::fromLatin1(expected));
        }
        rig.timer.pause();
        QCOMPARE(nextLine(follow), QStringLiteral("paused 24:58"));
        rig.timer.start();
        rig.clock.advance(3000);
        QCOMPARE(nextLine(follow), QStringLiteral("running 24:58"));
        QCOMPARE(nextLine(follow), QStringLiteral("running 24:55"));
        // It ends, successfully, when Lumora quits.
        rig.service.interface()->unregisterService(TimerBusRig::appId);
        QVERIFY(await([&follow] { return follow.state() == QProcess::NotRunning; }, 20'000));
        QCOMPARE(follow.exitCode(), 0);
        QCOMPARE(follow.readAllStandardError(), QByteArray());
    }

    void withoutAnInstance()
    {
        // start starts the real Lumora, then asks it to count down.
        PrivateBus bus;
        QVERIFY(bus.isRunning());
        const QProcessEnvironment client = clientEnvironment(bus.address());
        QTemporaryDir config, runtime;
        QProcessEnvironment env = client;
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        QDBusConnection watcher = bus.connect(QStringLiteral("watcher"));
        const auto registered = [&watcher] { return watcher.interface()->isServiceRegistered(TimerBusRig::appId).value(); };
        const Outcome started = lumora({QStringLiteral("start"), QStringLiteral("5m")}, env);
        const uint pid = watcher.interface()->servicePid(TimerBusRig::appId).value();
        // Whatever fails below, the instance does not outlive the test.
        const auto cleanup = qScopeGuard([&] {
            if (pid != 0 && registered())
                ::kill(pid_t(pid), SIGKILL);
        });
        QCOMPARE(started.err, QString());
        QCOMPARE(started.code, 0);
        QVERIFY(pid != 0);
        const Outcome status = lumora({QStringLiteral("status"), QStringLiteral("--json")}, client);
        QCOMPARE(status.code, 0);
        const QJsonObject json = QJsonDocument::fromJson(status.out.toUtf8()).object();
        QCOMPARE(json.value("state").toString(), QStringLiteral("running"));
        QCOMPARE(json.value("total").toInteger(), 300);
        // A second start goes to the same instance and is refused there.
        const Outcome again = lumora({QStringLiteral("start"), QStringLiteral("5m")}, env);
        QCOMPARE(again.code, 1);
        // SIGTERM ends it cleanly: its name leaves the bus.
        ::kill(pid_t(pid), SIGTERM);
        QVERIFY(await([&] { return !registered(); }, 20'000));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
