// The real executable as a command line against an instance on a private
// bus (the engine in this process, on a fake clock), or with none. A start
// with no instance, which starts the real one, is run by the launcher actions
// in test_install_layout.
#include "timer_bus_rig.h"

#include <QProcess>

namespace {
void startLumora(QProcess& p, const TimerBusRig& rig, const QStringList& arguments)
{
    p.setEnvironment(QProcess::systemEnvironment() << QStringLiteral("DBUS_SESSION_BUS_ADDRESS=") + rig.bus.address());
    p.start(QStringLiteral(LUMORA_EXECUTABLE), arguments);
}

// The waits run the event loop, so the instance in this process answers.
QString nextLine(QProcess& p)
{
    (void)QTest::qWaitFor([&p] { return p.canReadLine() || p.state() == QProcess::NotRunning; }, 60'000);
    return QString::fromUtf8(p.readLine()).trimmed();
}
}  // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each command in the states it meets: its exit status, its output (all
    // of stdout on success, the start of the one stderr line otherwise), and
    // the state and total length it leaves.
    void commands()
    {
        const char* notRunning = "lumora: Lumora is not running.";
        // The state after is the one before, and the total length what the state implies, unless given.
        const struct { const char *before, *line; int code; const char *output, *after = nullptr; qint64 total = -1; }
        rows[] = {
            {"absent", "status", 3, notRunning, "idle"}, {"absent", "pause", 3, notRunning, "idle"},
            {"idle", "status", 0, "idle 10:00\n"}, {"running", "status", 0, "running 24:59\n"},
            {"ringing", "status", 0, "ringing\n"},
            // "text" and "class" are what status bars read.
            {"running", "status --json", 0,
             R"({"class":"running","mode":"custom","remaining":1499,"state":"running","text":"running 24:59","total":1500})"
             "\n"},
            {"idle", "start 999m59s", 0, "", "running", 59'999}, {"ringing", "start 5m", 0, "", "running", 300},
            {"idle", "start --until 10:30", 0, "", "running", 1800},
            {"idle", "start --until 10:00", 0, "", "running", 86'400},  // now is tomorrow
            {"running", "start 5m", 1, "lumora: A countdown is running; pause or reset it first."},
            {"paused", "start 5m", 1, "lumora: A countdown is paused; resume or reset it first."},
            {"idle", "start abc", 1, "lumora: \"abc\" is not a length"},
            {"idle", "start", 1, "lumora: start takes one"},
            {"running", "pause", 0, "", "paused"}, {"idle", "pause", 1, "lumora: No countdown is running."},
            {"paused", "resume", 0, "", "running"}, {"running", "resume", 1, "lumora: No countdown is paused."},
            {"running", "toggle", 0, "", "paused"}, {"paused", "toggle", 0, "", "running"},
            {"idle", "toggle", 1, "lumora: No countdown"}, {"running", "reset", 0, "", "idle"},
            {"ringing", "stop", 0, "", "idle"}, {"idle", "stop", 1, "lumora: Nothing is ringing."},
            {"idle", "frobnicate", 1, "lumora: unknown command"}, {"running", "pause --json", 1, "lumora: --json"},
            // Dashed arguments of Lumora's own are commands, not a window to open.
            {"idle", "--version", 0, "lumora 0.1.0\n"}};
        for (const auto& row : rows) {
            TimerBusRig rig;
            rig.enter(QString::fromLatin1(row.before));
            QProcess p;
            startLumora(p, rig, QString::fromLatin1(row.line).split(QLatin1Char(' ')));
            QVERIFY(QTest::qWaitFor([&p] { return p.state() == QProcess::NotRunning; }, 60'000));
            const QString state = QString::fromLatin1(row.after ? row.after : row.before);
            const qint64 total = row.total >= 0 ? row.total : state == "idle" ? 0 : state == "ringing" ? 1 : 1500;
            const QString wanted = QString::fromUtf8(row.output);
            const QString out = QString::fromUtf8(p.readAllStandardOutput());
            const QString err = QString::fromUtf8(p.readAllStandardError());
            // Success writes only to stdout; a failure one line to stderr, starting with the row's text.
            const bool oneLine = err.startsWith(wanted) && err.count('\n') == 1;
            const QString seen = row.code == 0 ? out + '|' + err : (oneLine ? wanted : err) + '|' + out;
            const auto line = [&row](int code, const QString& text, const QString& after, qint64 length) {
                return QStringLiteral("%1 in %2: %3, \"%4\", %5 %6")
                    .arg(row.line, row.before, QString::number(code), text, after, QString::number(length));
            };
            QCOMPARE(line(p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, seen, rig.timerInterface->state(),
                          rig.timer.totalSeconds.get()),
                     line(row.code, wanted + '|', state, total));
        }
    }

    // Each line differs from the one before; it ends, successfully, when Lumora quits.
    void statusFollowed()
    {
        TimerBusRig rig;
        rig.timer.mode = TimerMode::targetTime;
        rig.timer.targetHour = 10;
        rig.timer.targetMinute = 30;
        QProcess follow;
        startLumora(follow, rig, {QStringLiteral("status"), QStringLiteral("--follow")});
        QCOMPARE(nextLine(follow), QStringLiteral("idle 30:00"));
        // An idle clock-time countdown shrinks as the clock moves.
        rig.clock.advance(60'000);
        QCOMPARE(nextLine(follow), QStringLiteral("idle 29:00"));
        rig.timer.customMinutes = 25;
        rig.timer.mode = TimerMode::custom;
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
        QVERIFY(QTest::qWaitFor([&follow] { return follow.state() == QProcess::NotRunning; }, 60'000));
        QCOMPARE(follow.exitCode(), 0);
        QCOMPARE(follow.readAll() + follow.readAllStandardError(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
