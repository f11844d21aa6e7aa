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
    void initialValues()
    {
        Rig r;
        QCOMPARE(r.timer.targetHour.get(), 10);  // the fake clock starts at 10:00
        QCOMPARE(state(r), QStringLiteral("10:00 idle 0.00 Ready/Start"));
        // Seconds past the minute count: 10:00 is tomorrow, less 42.5 s.
        r.clock.advance(42'500);
        r.timer.mode = TimerMode::targetTime;
        QCOMPARE(r.timer.calculateSeconds(), qint64(86'400 - 43));
    }

    void calculateSeconds_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<qint64>("a");
        QTest::addColumn<qint64>("b");
        QTest::addColumn<qint64>("expected");
        const int preset = int(TimerMode::preset), custom = int(TimerMode::custom),
                  target = int(TimerMode::targetTime);
        QTest::newRow("preset 5") << preset << qint64(5) << qint64(0) << qint64(300);
        QTest::newRow("preset negative gives 0") << preset << qint64(-3) << qint64(0) << qint64(0);
        QTest::newRow("preset huge saturates") << preset << kMax << qint64(0) << kMax;
        QTest::newRow("custom 0:0") << custom << qint64(0) << qint64(0) << qint64(0);
        QTest::newRow("custom 2:30") << custom << qint64(2) << qint64(30) << qint64(150);
        QTest::newRow("custom 1000:75 clamps") << custom << qint64(1000) << qint64(75) << qint64(59'999);
        QTest::newRow("custom -5:30") << custom << qint64(-5) << qint64(30) << qint64(30);
        QTest::newRow("custom extremes") << custom << kMax << kMin << qint64(999 * 60);
        // The fake clock stands at 2026-06-01 10:00:00 Europe/Berlin.
        QTest::newRow("target 10:30") << target << qint64(10) << qint64(30) << qint64(1800);
        QTest::newRow("target now means tomorrow") << target << qint64(10) << qint64(0) << qint64(86'400);
        QTest::newRow("target earlier means tomorrow") << target << qint64(9) << qint64(0) << qint64(23 * 3600);
        QTest::newRow("target 25:70 is 23:59") << target << qint64(25) << qint64(70) << qint64(13 * 3600 + 59 * 60);
        QTest::newRow("target negative is 00:00") << target << kMin << qint64(-1) << qint64(14 * 3600);
    }
    void calculateSeconds()
    {
        QFETCH(int, mode);
        QFETCH(qint64, a);
        QFETCH(qint64, b);
        QFETCH(qint64, expected);
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
        QVERIFY(r.timer.displaySeconds() >= 0);
    }

    // Calls that have nothing to do announce nothing.
    void noOpsChangeNothing_data()
    {
        QTest::addColumn<QString>("call");
        QTest::newRow("start at 0:00") << "start zero";
        QTest::newRow("start at a negative preset") << "start negative";
        QTest::newRow("start while running") << "start twice";
        QTest::newRow("pause while idle") << "pause idle";
        QTest::newRow("pause while paused") << "pause twice";
    }
    void noOpsChangeNothing()
    {
        QFETCH(QString, call);
        Rig r;
        if (call == QLatin1String("start zero"))
            r.timer.mode = TimerMode::custom;
        if (call == QLatin1String("start negative"))
            r.timer.selectedPresetMinutes = -1;
        if (call.endsWith(QLatin1String("twice")))
            r.timer.start();
        if (call == QLatin1String("pause twice"))
            r.timer.pause();
        const QString before = r.timer.formattedDisplay();
        QSignalSpy spy(&r.timer, &TimerManager::objectWillChange);
        call.startsWith(QLatin1String("start")) ? r.timer.start() : r.timer.pause();
        QCOMPARE(spy.count(), 0);
        QCOMPARE(r.timer.isRunning, call.endsWith(QLatin1String("twice")));
        QCOMPARE(r.timer.isPaused, call == QLatin1String("pause twice"));
        QCOMPARE(r.timer.formattedDisplay(), before);
    }

    // A one-minute countdown through pause, resume, reset and expiry: each
    // step and the read-outs after it. "+n" lets n ms pass and a tick run.
    void countdownSteps()
    {
        static const std::pair<const char*, const char*> steps[] = {
            {"start", "01:00 run 0.00 Counting down/Running"},
            {"+100", "00:59 run 0.02 Counting down/Running"},
            {"+14900", "00:45 run 0.25 Counting down/Running"},
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

    void formatSeconds_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << qint64(0) << QStringLiteral("00:00");
        QTest::newRow("3599") << qint64(3599) << QStringLiteral("59:59");
        QTest::newRow("3600") << qint64(3600) << QStringLiteral("01:00:00");
        QTest::newRow("59999") << qint64(59'999) << QStringLiteral("16:39:59");
        QTest::newRow("100 hours") << qint64(360'000) << QStringLiteral("100:00:00");
        QTest::newRow("never negative") << qint64(-5) << QStringLiteral("00:00");
    }
    void formatSeconds()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, text);
        QCOMPARE(TimerManager::formatSeconds(seconds), text);
    }

    void hugePresetNeverOverflows()
    {
        Rig r;
        r.timer.selectedPresetMinutes = kMax;
        r.timer.start();
        QVERIFY(r.timer.isRunning);
        r.clock.advance(1000);
        letTick();
        QVERIFY(r.timer.remainingSeconds.get() > 0);
        QVERIFY(r.timer.progress() >= 0.0 && r.timer.progress() <= 1.0);
        r.timer.reset();
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
        // Inputs do not survive a restart.
        QCOMPARE(next.mode.get(), TimerMode::preset);
        QCOMPARE(next.selectedPresetMinutes.get(), 10);
    }
};

QTEST_GUILESS_MAIN(TestTimerEngine)
#include "test_timer_engine.moc"
