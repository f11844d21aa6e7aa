// The countdown engine: lengths per mode, the state machine, ticks on a fake
// clock, read-outs and the five settings.
#include "support/engine_rig.h"

#include <QSignalSpy>
#include <QTest>
#include <limits>

namespace {
constexpr qint64 kMax = std::numeric_limits<qint64>::max();
constexpr qint64 kMin = std::numeric_limits<qint64>::min();
}  // namespace

class TestTimerEngine : public QObject {
    Q_OBJECT

    using Rig = EngineRig;

    // Lets the real 0.1 s tick timer fire at least once.
    static void letTick() { QTest::qWait(TimerManager::tickIntervalMs + 60); }

    // Display, run state, progress, status and the start button, in one line.
    static QString state(const Rig& r)
    {
        const auto& t = r.timer;
        const char* run = !t.isRunning ? "idle" : t.isPaused ? "paused" : "run";
        const bool ticking = t.isRunning && !t.isPaused;
        return QStringLiteral("%1 %2%3 %4 %5/%6")
            .arg(t.formattedDisplay(), QLatin1String(run), QLatin1String(t.isTicking() == ticking ? "" : "!"),
                 QString::number(t.progress(), 'f', 2), t.statusText(),
                 t.startButtonTitle());
    }

private Q_SLOTS:
    // The length of each mode's inputs as the idle read-out shows it, and a
    // start from there: nothing to count down is no start, and a huge length
    // neither overflows nor ends at once.
    void lengthsAndStart_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<qint64>("a");
        QTest::addColumn<qint64>("b");
        QTest::addColumn<qint64>("expected");
        QTest::addColumn<QString>("display");
        const int preset = int(TimerMode::preset), custom = int(TimerMode::custom),
                  target = int(TimerMode::targetTime);
        QTest::newRow("preset 5") << preset << qint64(5) << qint64(0) << qint64(300) << "05:00";
        QTest::newRow("preset 60 shows hours") << preset << qint64(60) << qint64(0) << qint64(3600) << "01:00:00";
        QTest::newRow("preset 100 hours") << preset << qint64(6000) << qint64(0) << qint64(360'000) << "100:00:00";
        QTest::newRow("preset negative gives 0") << preset << qint64(-3) << qint64(0) << qint64(0) << "00:00";
        QTest::newRow("preset huge saturates") << preset << kMax << qint64(0) << kMax << "2562047788015215:30:07";
        QTest::newRow("custom 0:0") << custom << qint64(0) << qint64(0) << qint64(0) << "00:00";
        QTest::newRow("custom 59:59") << custom << qint64(59) << qint64(59) << qint64(3599) << "59:59";
        QTest::newRow("custom 1000:75 clamps") << custom << qint64(1000) << qint64(75) << qint64(59'999) << "16:39:59";
        QTest::newRow("custom -5:30") << custom << qint64(-5) << qint64(30) << qint64(30) << "00:30";
        QTest::newRow("custom extremes") << custom << kMax << kMin << qint64(999 * 60) << "16:39:00";
        // The fake clock stands at 2026-06-01 10:00:00 Europe/Berlin.
        QTest::newRow("target 10:30") << target << qint64(10) << qint64(30) << qint64(1800) << "30:00";
        QTest::newRow("target now means tomorrow") << target << qint64(10) << qint64(0) << qint64(86'400) << "24:00:00";
        QTest::newRow("target earlier means tomorrow") << target << qint64(9) << qint64(0) << qint64(23 * 3600)
                                                       << "23:00:00";
        QTest::newRow("target 25:70 is 23:59") << target << qint64(25) << qint64(70) << qint64(13 * 3600 + 59 * 60)
                                               << "13:59:00";
        QTest::newRow("target negative is 00:00") << target << kMin << qint64(-1) << qint64(14 * 3600) << "14:00:00";
    }
    void lengthsAndStart()
    {
        QFETCH(int, mode);
        QFETCH(qint64, a);
        QFETCH(qint64, b);
        QFETCH(qint64, expected);
        QFETCH(QString, display);
        Rig r;
        r.timer.mode = TimerMode(mode);
        switch (TimerMode(mode)) {
        case TimerMode::preset: r.timer.selectedPresetMinutes = a; break;
        case TimerMode::custom:
            r.timer.customMinutes = a;
            r.timer.customSeconds = b;
            break;
        case TimerMode::targetTime:
            r.timer.targetHour = a;
            r.timer.targetMinute = b;
            break;
        }
        QCOMPARE(r.timer.calculateSeconds(), expected);
        QCOMPARE(r.timer.formattedDisplay(), display);
        r.timer.start();
        QCOMPARE(r.timer.totalSeconds.get(), expected);
        r.clock.advance(1000);
        letTick();
        QCOMPARE(bool(r.timer.isRunning), expected > 1);
        QVERIFY(r.timer.progress() >= 0.0 && r.timer.progress() <= 1.0);
    }

    // A one-minute countdown through pause, resume, reset and expiry: each
    // step and the read-outs after it. "+n" lets n ms pass and a tick run;
    // calls with nothing to do change nothing.
    void countdownSteps()
    {
        static const std::pair<const char*, const char*> steps[] = {
            {"pause", "01:00 idle 0.00 Ready/Start"},
            {"start", "01:00 run 0.00 Counting down/Running"},
            {"+100", "00:59 run 0.02 Counting down/Running"},
            {"+14900", "00:45 run 0.25 Counting down/Running"},
            {"start", "00:45 run 0.25 Counting down/Running"},
            {"pause", "00:45 paused 0.25 Paused/Resume"},
            {"pause", "00:45 paused 0.25 Paused/Resume"},
            {"+600000", "00:45 paused 0.25 Paused/Resume"},  // paused time does not count
            {"start", "00:45 run 0.25 Counting down/Running"},
            {"+1100", "00:43 run 0.28 Counting down/Running"},
            {"pause", "00:43 paused 0.28 Paused/Resume"},
            {"reset", "01:00 idle 0.00 Ready/Start"},
            {"start", "01:00 run 0.00 Counting down/Running"},  // a new countdown
            {"+58999", "00:01 run 0.98 Counting down/Running"},  // a whole second still left
            {"+2", "00:00 idle 0.00 Time's up/Start"},
            {"reset", "01:00 idle 0.00 Ready/Start"},
        };
        Rig r;
        r.timer.selectedPresetMinutes = 1;
        for (const auto& [action, expected] : steps) {
            const QString a = QString::fromLatin1(action);
            if (a == QLatin1String("start"))
                r.timer.start();
            else if (a == QLatin1String("pause"))
                r.timer.pause();
            else if (a == QLatin1String("reset"))
                r.timer.reset();
            else {
                r.clock.advance(a.toLongLong());
                letTick();
            }
            QCOMPARE(state(r), QString::fromUtf8(expected));
        }
    }

    // The five settings as a new process reads them back: what the setters
    // wrote, defaults for nothing stored, and defaults for values it cannot read.
    void settingsAfterARestart_data()
    {
        QTest::addColumn<QString>("key");  // "" stores nothing, "*" uses every setter
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("expected");
        const QString defaults = QStringLiteral("both system 0 1 1");
        QTest::newRow("nothing stored") << QString() << QString() << defaults;
        QTest::newRow("every setter") << "*" << QString() << "desktop dark 1 0 0";
        QTest::newRow("capitalised type") << TimerManager::notificationTypeKey << "Desktop" << defaults;
        QTest::newRow("empty theme") << TimerManager::appThemeKey << QString() << defaults;
        QTest::newRow("number as theme") << TimerManager::appThemeKey << "5" << defaults;
        QTest::newRow("bool as words") << TimerManager::bringToFrontOnExpireKey << "yes" << defaults;
        QTest::newRow("list as bool") << TimerManager::showRestartOnExpireKey << "a, b" << defaults;
    }
    void settingsAfterARestart()
    {
        QFETCH(QString, key);
        QFETCH(QString, raw);
        QFETCH(QString, expected);
        Rig r;
        const auto settings = [](const TimerManager& t) {
            return QStringLiteral("%1 %2 %3 %4 %5")
                .arg(rawValue(t.notificationType()), rawValue(t.appTheme()))
                .arg(int(t.launchAtLogin()))
                .arg(int(t.bringToFrontOnExpire()))
                .arg(int(t.showRestartOnExpire()));
        };
        if (key == QLatin1String("*")) {
            r.timer.setNotificationType(NotificationType::desktop);
            r.timer.setAppTheme(AppTheme::dark);
            r.timer.setLaunchAtLogin(true);
            r.timer.setBringToFrontOnExpire(false);
            r.timer.setShowRestartOnExpire(false);
            QCOMPARE(settings(r.timer), expected);
        } else if (!key.isEmpty()) {
            // As typed into the file by hand: "a, b" is a list there.
            QDir().mkpath(QFileInfo(r.home.settingsFile()).absolutePath());
            QFile f(r.home.settingsFile());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QStringLiteral("[General]\n%1=%2\n").arg(key, raw).toUtf8());
        } else {
            // Defaults are not written out.
            for (const QString& k : {TimerManager::notificationTypeKey, TimerManager::appThemeKey,
                                     TimerManager::launchAtLoginKey, TimerManager::bringToFrontOnExpireKey,
                                     TimerManager::showRestartOnExpireKey})
                QVERIFY2(!r.store->contains(k), qPrintable(k));
        }
        auto again = r.home.openStore();
        TimerManager next(*again, r.clock, r.l10n);
        QCOMPARE(settings(next), expected);
        // Inputs do not survive a restart; the target starts at the clock's time.
        QCOMPARE(next.mode.get(), TimerMode::preset);
        QCOMPARE(next.selectedPresetMinutes.get(), 10);
        QCOMPARE(next.targetHour.get(), 10);
    }
};

QTEST_GUILESS_MAIN(TestTimerEngine)
#include "test_timer_engine.moc"
