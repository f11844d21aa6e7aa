// Expiry: what rings, what is posted and in which order, and how ringing ends.
#include "localization/localization_manager.h"
#include "notifications/notification_helper.h"
#include "platform/alarm_sound.h"
#include "platform/app_notification_center.h"
#include "platform/defaults_store.h"
#include "support/fake_clock.h"
#include "support/notification_server.h"
#include "support/test_env.h"
#include "timer/timer_manager.h"

#include <QTest>

namespace {
// Counts plays and records, through the shared log, when they happened.
struct CountingSound final : AlarmSound {
    std::vector<QString>* log = nullptr;
    int plays = 0;
    void play() override
    {
        ++plays;
        if (log)
            log->push_back(QStringLiteral("sound"));
    }
};
}  // namespace

class TestExpiry : public QObject {
    Q_OBJECT

    struct Rig {
        PrivateBus bus;
        NotificationServer server{bus.connect(QStringLiteral("server"))};
        NotificationHelper helper{bus.connect(QStringLiteral("client"))};
        TempConfigHome home;
        std::unique_ptr<DefaultsStore> store = home.openStore();
        FakeClock clock;
        LocalizationManager l10n{*store, {QStringLiteral("en")}};
        TimerManager timer{*store, clock, l10n};
        CountingSound sound;
        int bringToFront = 0;
        QObject context;

        Rig()
        {
            timer.setAlarmSound(&sound);
            timer.setNotificationHelper(&helper);
            AppNotificationCenter::defaultCenter().addObserver(
                AppNotificationCenter::bringToFrontOnExpire, &context, [this] { ++bringToFront; });
        }
        // A one-second countdown run out on the fake clock.
        void expire()
        {
            timer.mode = TimerMode::custom;
            timer.customSeconds = 1;
            timer.start();
            clock.advance(1001);
            QTRY_VERIFY(!timer.isRunning);
        }
    };

private Q_SLOTS:
    void expiryByNotificationType_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("bringFront");
        QTest::addColumn<bool>("rings");
        QTest::addColumn<bool>("notifies");
        QTest::addColumn<QString>("language");
        const auto en = QStringLiteral("english"), zh = QStringLiteral("chinese");
        QTest::newRow("desktop") << int(NotificationType::desktop) << true << true << false << en;
        QTest::newRow("system") << int(NotificationType::system) << true << false << true << en;
        QTest::newRow("both") << int(NotificationType::both) << false << true << true << en;
        QTest::newRow("both, Chinese") << int(NotificationType::both) << true << true << true << zh;
    }
    void expiryByNotificationType()
    {
        QFETCH(int, type);
        QFETCH(bool, bringFront);
        QFETCH(bool, rings);
        QFETCH(bool, notifies);
        QFETCH(QString, language);
        Rig r;
        r.l10n.setCurrent(*appLanguageFromRaw(language));
        r.timer.setNotificationType(NotificationType(type));
        r.timer.setBringToFrontOnExpire(bringFront);
        r.expire();

        QCOMPARE(bool(r.timer.isRinging), rings);
        QCOMPARE(r.timer.isSoundTimerActive(), rings);
        QCOMPARE(r.sound.plays, rings ? 1 : 0);
        QCOMPARE(r.timer.remainingSeconds.get(), 0);
        QCOMPARE(r.timer.displaySeconds(), rings ? 0 : 1);
        QCOMPARE(r.bringToFront, bringFront ? 1 : 0);
        QCOMPARE(r.timer.statusText(), r.l10n.localized(rings ? QStringLiteral("status.timeup")
                                                              : QStringLiteral("status.ready")));
        if (notifies) {
            QTRY_COMPARE(r.server.received.size(), size_t(1));
            const auto& n = r.server.received[0];
            QCOMPARE(n.summary, r.l10n.localized(QStringLiteral("notify.finishTitle")));
            QCOMPARE(n.body, r.l10n.localized(QStringLiteral("notify.finishBody")));
            QCOMPARE(n.hints.value(QStringLiteral("urgency")).value<uchar>(), uchar(2));
            // The stop action is offered only while there is an alarm to stop.
            QCOMPARE(n.actions.contains(QStringLiteral("ring.stop")), rings);
        } else {
            QTest::qWait(100);
            QCOMPARE(r.server.received.size(), size_t(0));
        }
        r.timer.reset();
    }

    void soundStartsBeforeTheNotification()
    {
        Rig r;
        std::vector<QString> log;
        r.sound.log = &log;
        // The notice is on its way once post() returns; the server sees it later.
        QObject::connect(&r.timer, &TimerManager::objectWillChange, &r.context, [&] {
            if (r.timer.isRinging && log.empty())
                log.push_back(QStringLiteral("ringing"));
        });
        r.expire();
        QTRY_COMPARE(r.server.received.size(), size_t(1));
        QVERIFY(!log.empty());
        QCOMPARE(log.back(), QStringLiteral("sound"));
        r.timer.reset();
    }

    void ringsEverySecondUntilStopped()
    {
        Rig r;
        r.timer.setNotificationType(NotificationType::desktop);
        r.expire();
        QCOMPARE(r.sound.plays, 1);
        QTRY_VERIFY_WITH_TIMEOUT(r.sound.plays >= 3, 5000);
        r.timer.stopRinging();
        const int plays = r.sound.plays;
        QVERIFY(!r.timer.isRinging);
        QVERIFY(!r.timer.isSoundTimerActive());
        QTest::qWait(TimerManager::ringIntervalMs + 300);
        QCOMPARE(r.sound.plays, plays);
    }

    void resetWhileRingingStopsTheSoundAndClosesTheNotice()
    {
        Rig r;
        r.expire();
        QTRY_COMPARE(r.server.received.size(), size_t(1));
        r.timer.reset();
        QVERIFY(!r.timer.isRinging && !r.timer.isSoundTimerActive());
        QCOMPARE(r.timer.totalSeconds.get(), 0);
        QTRY_COMPARE(r.server.closed.size(), size_t(1));
        QCOMPARE(r.server.closed[0], r.server.received[0].id);
    }

    void stopActionOfTheNoticeStopsTheAlarm()
    {
        Rig r;
        r.expire();
        QTRY_COMPARE(r.server.received.size(), size_t(1));
        QTest::qWait(50);
        r.server.invokeAction(r.server.received[0].id, QStringLiteral("ring.stop"));
        QTRY_VERIFY(!r.timer.isRinging);
        QVERIFY(!r.timer.isSoundTimerActive());
        QVERIFY(!r.timer.isRunning);
    }

    void restartAfterAPresetRang()
    {
        Rig r;
        r.timer.setNotificationType(NotificationType::desktop);
        r.timer.selectedPresetMinutes = 5;
        r.timer.start();
        r.clock.advance(300'000);
        QTRY_VERIFY(r.timer.isRinging);
        r.timer.stopRinging();
        r.timer.start();
        QVERIFY(r.timer.isRunning);
        QVERIFY(!r.timer.isSoundTimerActive());
        QCOMPARE(r.timer.totalSeconds.get(), 300);
        QCOMPARE(r.timer.formattedDisplay(), QStringLiteral("05:00"));
        r.timer.reset();
    }

    void restartInTargetModeRunsToTheSameTimeTomorrow()
    {
        Rig r;
        r.timer.setNotificationType(NotificationType::desktop);
        r.timer.mode = TimerMode::targetTime;
        r.timer.targetHour = 10;
        r.timer.targetMinute = 1;  // the fake clock stands at 10:00
        r.timer.start();
        QCOMPARE(r.timer.totalSeconds.get(), 60);
        r.clock.advance(60'000);
        QTRY_VERIFY(r.timer.isRinging);
        r.timer.stopRinging();
        r.timer.start();
        QCOMPARE(r.timer.totalSeconds.get(), 86'400);
        r.timer.reset();
    }

    void startWhileRingingEndsTheOldRing()
    {
        Rig r;
        r.timer.setNotificationType(NotificationType::desktop);
        r.expire();
        QVERIFY(r.timer.isSoundTimerActive());
        r.timer.start();  // a path that skipped stopRinging
        QVERIFY(r.timer.isRunning);
        QVERIFY(!r.timer.isSoundTimerActive());
        const int plays = r.sound.plays;
        QTest::qWait(TimerManager::ringIntervalMs + 300);
        QCOMPARE(r.sound.plays, plays);
        r.timer.reset();
    }

    void notificationPermissionAskedOncePerProcess()
    {
        Rig r;
        r.timer.start();
        r.timer.pause();
        r.timer.start();  // resume
        r.timer.reset();
        r.timer.start();
        QTRY_COMPARE(r.server.capabilityQueries, 1);
        QTest::qWait(100);
        QCOMPARE(r.server.capabilityQueries, 1);
        r.timer.reset();
    }

    void noNotificationServerStillRings()
    {
        TempConfigHome home;
        auto store = home.openStore();
        PrivateBus bus;
        NotificationHelper helper(bus.connect(QStringLiteral("client")));
        FakeClock clock;
        LocalizationManager l10n(*store, {QStringLiteral("en")});
        TimerManager timer(*store, clock, l10n);
        CountingSound sound;
        timer.setAlarmSound(&sound);
        timer.setNotificationHelper(&helper);
        timer.mode = TimerMode::custom;
        timer.customSeconds = 1;
        timer.start();
        clock.advance(1001);
        QTRY_VERIFY(timer.isRinging);
        QCOMPARE(sound.plays, 1);
        timer.reset();
    }
};

QTEST_GUILESS_MAIN(TestExpiry)
#include "test_expiry.moc"
