// The countdown engine: lengths per mode and clock-time targets across
// daylight saving, the state machine on a fake clock, and expiry: what
// rings, what is posted and how ringing ends. The settings' defaults and
// writes are the settings panel's test.
#include "platform/app_notification_center.h"
#include "support/engine_rig.h"
#include "support/notification_rig.h"
#include "timer/target_time.h"

#include <limits>

constexpr qint64 kMax = std::numeric_limits<qint64>::max(), kMin = std::numeric_limits<qint64>::min();

class TestTimerEngine : public QObject {
    Q_OBJECT

    // Lets the real 0.1 s tick timer fire at least once.
    static void letTick() { QTest::qWait(TimerManager::tickIntervalMs + 60); }

private Q_SLOTS:
    // The length of each mode's inputs as the idle read-out shows it, and a
    // start from there: nothing to count down is no start, a huge length
    // neither overflows nor ends at once, and a wall-clock step moves the end
    // of a clock-time target only. The fake clock stands at 2026-06-01 10:00.
    void lengthsAndStart()
    {
        static const std::tuple<const char*, TimerMode, qint64, qint64, qint64, const char*> rows[] = {
            {"preset 60 shows hours", TimerMode::preset, 60, 0, 3600, "01:00:00"},
            {"preset 100 hours", TimerMode::preset, 6000, 0, 360'000, "100:00:00"},
            {"preset negative", TimerMode::preset, -3, 0, 0, "00:00"},
            {"preset huge saturates", TimerMode::preset, kMax, 0, kMax, "2562047788015215:30:07"},
            {"custom 1000:75 clamps", TimerMode::custom, 1000, 75, 59'999, "16:39:59"},
            {"custom extremes", TimerMode::custom, kMax, kMin, 999 * 60, "16:39:00"},
            {"target now means tomorrow", TimerMode::targetTime, 10, 0, 86'400, "24:00:00"},
            {"target 25:70 is 23:59", TimerMode::targetTime, 25, 70, 13 * 3600 + 59 * 60, "13:59:00"},
            {"target negative is 00:00", TimerMode::targetTime, kMin, -1, 14 * 3600, "14:00:00"},
        };
        for (const auto& [name, mode, a, b, expected, display] : rows) {
            EngineRig r;
            auto& t = r.timer;
            // Every mode's inputs are set: only the chosen mode's count.
            t.mode = mode, t.selectedPresetMinutes = a, t.customMinutes = a, t.customSeconds = b;
            t.targetHour = a, t.targetMinute = b;
            t.start();
            QCOMPARE(QStringLiteral("%1 %2 %3 %4").arg(name, t.formattedDisplay()).arg(t.calculateSeconds())
                         .arg(t.totalSeconds.get()),
                     QStringLiteral("%1 %2 %3 %3").arg(name, display).arg(expected));
            r.clock.advance(1000);
            r.clock.stepWall(-3'600'000);
            letTick();
            QCOMPARE(bool(t.isRunning), expected > 1);
            if (expected > 1 && expected < kMax)
                QCOMPARE(t.remainingSeconds.get(), expected - 1 + (mode == TimerMode::targetTime ? 3600 : 0));
        }
    }

    // Berlin is +01:00 in winter, +02:00 in summer; 2026 springs forward on
    // 29 March, falls back on 25 October.
    void targetsAcrossDaylightSaving()
    {
        static const std::tuple<const char*, int, int, const char*> rows[] = {
            {"2026-03-29T00:00:00+01:00", 2, 30, "2026-03-29T03:00:00+02:00"},  // in the gap: the next existing time
            {"2026-03-28T12:00:00+01:00", 11, 0, "2026-03-29T11:00:00+02:00"},  // a short day: not 86400 s
            {"2026-03-28T03:00:00+01:00", 2, 30, "2026-03-29T03:00:00+02:00"},  // tomorrow's time in the gap
            {"2026-10-25T00:00:00+02:00", 2, 30, "2026-10-25T02:30:00+02:00"},  // repeated: the first
        };
        const QTimeZone berlin("Europe/Berlin");
        for (const auto& [now, hour, minute, expected] : rows) {
            const qint64 from = QDateTime::fromString(QString::fromLatin1(now), Qt::ISODate).toMSecsSinceEpoch();
            const auto got = target_time::nextOccurrence(from, hour, minute, berlin);
            QCOMPARE(got ? QDateTime::fromMSecsSinceEpoch(*got, berlin).toString(Qt::ISODate) : QString(),
                     QString::fromLatin1(expected));
        }
        QVERIFY(!target_time::nextOccurrence(0, 10, 0, QTimeZone("No/Such_Zone")));
    }

    // A one-minute countdown through pause, resume, reset and expiry: each
    // step and the read-outs after it. "+n" lets n ms pass and a tick run;
    // calls with nothing to do change nothing.
    void countdownSteps()
    {
        static const std::pair<const char*, const char*> steps[] = {
            {"pause", "01:00 idle 0.00 Ready/Start"},
            {"start", "01:00 run 0.00 Counting down/Running"},
            {"+15000", "00:45 run 0.25 Counting down/Running"},
            {"start", "00:45 run 0.25 Counting down/Running"},
            {"pause", "00:45 paused 0.25 Paused/Resume"},
            {"+600000", "00:45 paused 0.25 Paused/Resume"},  // paused time does not count
            {"start", "00:45 run 0.25 Counting down/Running"},
            {"+1100", "00:43 run 0.28 Counting down/Running"},
            {"reset", "01:00 idle 0.00 Ready/Start"},
            {"start", "01:00 run 0.00 Counting down/Running"},   // a new countdown
            {"+58999", "00:01 run 0.98 Counting down/Running"},  // a whole second still left
            {"+2", "00:00 idle 0.00 Time's up/Start"},
            {"reset", "01:00 idle 0.00 Ready/Start"},
        };
        EngineRig r;
        auto& t = r.timer;
        t.selectedPresetMinutes = 1;
        for (const auto& [action, expected] : steps) {
            switch (action[0]) {
            case 's': t.start(); break;
            case 'p': t.pause(); break;
            case 'r': t.reset(); break;
            default: r.clock.advance(QByteArray(action).toLongLong()), letTick();
            }
            // The tick timer runs exactly while counting down ("!" if not).
            const char* run = !t.isRunning ? "idle" : t.isPaused ? "paused" : "run";
            const bool ticks = t.isTicking() == (t.isRunning && !t.isPaused);
            QCOMPARE(QStringLiteral("%1 %2%3 %4 %5/%6")
                         .arg(t.formattedDisplay(), QLatin1String(run), QLatin1String(ticks ? "" : "!"),
                              QString::number(t.progress(), 'f', 2), t.statusText(), t.startButtonTitle()),
                     QString::fromUtf8(expected));
        }
    }

    // Each type of notice at expiry, then one way out of ringing: stop,
    // reset, the notice's stop action (in Chinese), or a start that skips stop.
    void expiryAndTheWayOut()
    {
        using N = NotificationType;
        enum Way { none, stop, reset, action, start };
        // The type, whether to bring the window to the front, and the way out.
        static const std::tuple<N, bool, Way> rows[] = {
            {N::desktop, true, stop}, {N::system, true, none}, {N::both, false, reset}, {N::both, true, action},
            {N::both, true, start}};
        for (const auto& [type, toFront, way] : rows) {
            struct Rig : NotificationRig, EngineRig {
                int fronts = 0;
                Rig() { timer.setNotificationHelper(&helper); }
            } r;
            AppNotificationCenter::defaultCenter().addObserver(AppNotificationCenter::bringToFrontOnExpire, &r.helper,
                                                               [&r] { ++r.fronts; });
            r.l10n.setCurrent(way == action ? AppLanguage::chinese : AppLanguage::english);
            r.timer.setNotificationType(type);
            r.timer.setBringToFrontOnExpire(toFront);
            r.expire();
            const bool rings = type != N::system;
            const auto loc = [&r](const char* key) { return r.l10n.localized(QString::fromLatin1(key)); };
            // Plays, the read-out, bring-to-front notices and the status.
            QCOMPARE(QStringLiteral("%1 %2 %3 %4").arg(r.sound.plays).arg(r.timer.displaySeconds()).arg(r.fronts)
                         .arg(r.timer.statusText()),
                     QStringLiteral("%1 %2 %3 %4").arg(int(rings)).arg(int(!rings)).arg(int(toFront))
                         .arg(loc(rings ? "status.timeup" : "status.ready")));
            // What the server can show was asked at the start.
            QTRY_COMPARE(r.server.capabilityQueries, 1);
            QTRY_COMPARE(r.server.received.size(), size_t(type != N::desktop));
            // Critical, and with a stop action only while there is an alarm to stop.
            for (const auto& n : r.server.received)
                QCOMPARE(QStringList({n.summary, n.body, QString::number(n.hints[QStringLiteral("urgency")].toInt()),
                                      n.actions.contains(QStringLiteral("ring.stop")) ? "stop" : ""}),
                         QStringList({loc("notify.finishTitle"), loc("notify.finishBody"), "2", rings ? "stop" : ""}));
            switch (way) {
            case stop:  // until then it chimes again every second
                QTRY_VERIFY_WITH_TIMEOUT(r.sound.plays >= 2, 5000);
                r.timer.stopRinging();
                break;
            case reset: r.timer.reset(); break;
            case start: r.timer.start(); break;
            case action: r.server.invokeAction(r.server.received[0].id, QStringLiteral("ring.stop")); break;
            case none: break;
            }
            QTRY_VERIFY(!r.timer.isRinging);
            // The chime stops; a start runs the same length again; the notice's stop button has nothing left to stop.
            const bool toIdle = way == reset || way == action;
            QCOMPARE(QStringLiteral("%1 %2 %3").arg(int(r.timer.isSoundTimerActive())).arg(int(r.timer.isRunning.get()))
                         .arg(r.timer.totalSeconds.get()),
                     QStringLiteral("0 %1 %2").arg(int(way == start)).arg(int(!toIdle)));
            if (toIdle)
                QTRY_COMPARE(r.server.closed, std::vector<uint>{r.server.received[0].id});
            // Long enough for a notice that should not have been posted to arrive.
            QCOMPARE(r.server.received.size(), size_t(type != N::desktop));
            r.timer.reset();
        }
    }
};

QTEST_GUILESS_MAIN(TestTimerEngine)
#include "test_timer_engine.moc"
