// The real executable as a command line against an instance on a private
// bus (the engine in this process, on a fake clock), or with none. A start
// with no instance, which starts the real one, is run by the launcher actions
// in test_install_layout.
#include "timer_bus_rig.h"

#include <QDeadlineTimer>
#include <QProcess>

namespace {
// Runs the event loop, so the instance in this process answers, until
// `done` holds or a minute has passed.
template <typename Done>
bool await(Done done)
{
    const QDeadlineTimer deadline(60'000);
    while (!done() && !deadline.hasExpired())
        QTest::qWait(10);
    return done();
}

void startLumora(QProcess& p, const TimerBusRig& rig, const QStringList& arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), rig.bus.address());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(LUMORA_EXECUTABLE), arguments);
}

QString nextLine(QProcess& p)
{
    await([&p] { return p.canReadLine() || p.state() == QProcess::NotRunning; });
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
        QTest::addColumn<QString>("output");  // all of stdout on success, the start of the stderr line otherwise
        QTest::addColumn<QString>("after");   // the state and total length after the command
        // The state after is the one before and the total what it implies, unless given.
        const auto row = [](const char* before, const char* line, int code, const char* output,
                            const char* after = nullptr, qint64 total = -1) {
            const QString state = QString::fromLatin1(after ? after : before);
            if (total < 0)
                total = state == QLatin1String("idle") ? 0 : state == QLatin1String("ringing") ? 1 : 1500;
            QTest::addRow("%s: %s", before, line) << QString::fromLatin1(before)
                                                  << QString::fromLatin1(line).split(QLatin1Char(' ')) << code
                                                  << QString::fromUtf8(output) << state + QLatin1Char(' ') + QString::number(total);
        };
        const char* notRunning = "lumora: Lumora is not running.";
        row("absent", "status", 3, notRunning, "idle");
        row("absent", "pause", 3, notRunning, "idle");
        row("idle", "status", 0, "idle 10:00\n");
        row("running", "status", 0, "running 24:59\n");
        row("ringing", "status", 0, "ringing\n");
        // "text" and "class" are what status bars read.
        row("running", "status --json", 0,
            R"({"class":"running","mode":"custom","remaining":1499,"state":"running","text":"running 24:59","total":1500})"
            "\n");
        row("idle", "start 999m59s", 0, "", "running", 59'999);
        row("ringing", "start 5m", 0, "", "running", 300);
        row("idle", "start --until 10:30", 0, "", "running", 1800);
        row("idle", "start --until 10:00", 0, "", "running", 86'400);  // now is tomorrow
        row("running", "start 5m", 1, "lumora: A countdown is running; pause or reset it first.");
        row("paused", "start 5m", 1, "lumora: A countdown is paused; resume or reset it first.");
        row("idle", "start abc", 1, "lumora: \"abc\" is not a length");
        row("idle", "start", 1, "lumora: start takes one");
        row("running", "pause", 0, "", "paused");
        row("idle", "pause", 1, "lumora: No countdown is running.");
        row("paused", "resume", 0, "", "running");
        row("running", "resume", 1, "lumora: No countdown is paused.");
        row("running", "toggle", 0, "", "paused");
        row("paused", "toggle", 0, "", "running");
        row("idle", "toggle", 1, "lumora: No countdown");
        row("running", "reset", 0, "", "idle");
        row("ringing", "stop", 0, "", "idle");
        row("idle", "stop", 1, "lumora: Nothing is ringing.");
        row("idle", "frobnicate", 1, "lumora: unknown command");
        row("running", "pause --json", 1, "lumora: --json");
        // Dashed arguments of Lumora's own are commands, not a window to open.
        row("idle", "--version", 0, "lumora 0.1.0\n");
    }
    void commands()
    {
        QFETCH(QString, before);
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, output);
        QFETCH(QString, after);
        TimerBusRig rig;
        QVERIFY(rig.bus.isRunning());
        rig.enter(before);
        QProcess p;
        startLumora(p, rig, arguments);
        QVERIFY(await([&p] { return p.state() == QProcess::NotRunning; }));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), code);
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QCOMPARE(code == 0 ? err : out, QString());
        if (code == 0)
            QCOMPARE(out, output);
        else
            QVERIFY2(err.startsWith(output) && err.count(QLatin1Char('\n')) == 1, qPrintable(err));
        QCOMPARE(rig.timerInterface->state() + QLatin1Char(' ') + QString::number(rig.timer.totalSeconds.get()), after);
    }

    // Each line differs from the one before; it ends, successfully, when Lumora quits.
    void statusFollowed()
    {
        TimerBusRig rig;
        QVERIFY(rig.bus.isRunning());
        rig.timer.mode = TimerMode::custom;
        rig.timer.customMinutes = 25;
        QProcess follow;
        startLumora(follow, rig, {QStringLiteral("status"), QStringLiteral("--follow")});
        QCOMPARE(nextLine(follow), QStringLiteral("idle 25:00"));
        // A change the line does not show prints nothing: the next line is the start.
        rig.timer.mode = TimerMode::preset;
        rig.timer.selectedPresetMinutes = 25;
        QCoreApplication::processEvents();
        rig.timer.start();
        QCOMPARE(nextLine(follow), QStringLiteral("running 25:00"));
        rig.clock.advance(1000);
        QCOMPARE(nextLine(follow), QStringLiteral("running 24:59"));
        rig.timer.pause();
        QCOMPARE(nextLine(follow), QStringLiteral("paused 24:59"));
        rig.service.interface()->unregisterService(TimerBusRig::appId);
        QVERIFY(await([&follow] { return follow.state() == QProcess::NotRunning; }));
        QCOMPARE(follow.exitCode(), 0);
        QCOMPARE(follow.readAll() + follow.readAllStandardError(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
