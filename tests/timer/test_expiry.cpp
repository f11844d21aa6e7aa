// Expiry: what rings, what is posted and in which order, and how ringing ends.
#include "platform/app_notification_center.h"
#include "support/engine_rig.h"
#include "support/notification_rig.h"

#include <QTest>

class TestExpiry : public QObject {
    Q_OBJECT

    struct Rig : NotificationRig, EngineRig {
        int bringToFront = 0;
        QObject context;

        Rig()
        {
            timer.setNotificationHelper(&helper);
            AppNotificationCenter::defaultCenter().addObserver(
                AppNotificationCenter::bringToFrontOnExpire, &context, [this] { ++bringToFront; });
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
        // The sound starts before the notice is posted; the server sees it later.
        std::vector<QString> log;
        r.sound.log = &log;
        QObject::connect(&r.timer, &TimerManager::objectWillChange, &r.context, [&] {
            if (r.timer.isRinging && log.empty())
                log.push_back(QStringLiteral("ringing"));
        });
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
            QCOMPARE(log.empty() ? QString() : log.back(), rings ? QStringLiteral("sound") : QString());
        } else {
            QTest::qWait(100);
            QCOMPARE(r.server.received.size(), size_t(0));
        }
        r.timer.reset();
    }

    // Every way out of ringing stops the sound for good; reset and the
    // notice's stop action also close the notice.
    void ringingEnds_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("stop") << "stop";
        QTest::newRow("reset") << "reset";
        QTest::newRow("stop action of the notice") << "action";
        QTest::newRow("start, skipping stop") << "start";
    }
    void ringingEnds()
    {
        QFETCH(QString, how);
        Rig r;
        r.expire();
        QCOMPARE(r.sound.plays, 1);
        if (how == QLatin1String("stop"))
            QTRY_VERIFY_WITH_TIMEOUT(r.sound.plays >= 2, 5000);
        QTRY_COMPARE(r.server.received.size(), size_t(1));
        if (how == QLatin1String("stop"))
            r.timer.stopRinging();
        else if (how == QLatin1String("reset"))
            r.timer.reset();
        else if (how == QLatin1String("start"))
            r.timer.start();
        else
            r.server.invokeAction(r.server.received[0].id, QStringLiteral("ring.stop"));
        QTRY_VERIFY(!r.timer.isRinging);
        QVERIFY(!r.timer.isSoundTimerActive());
        QCOMPARE(bool(r.timer.isRunning), how == QLatin1String("start"));
        const int plays = r.sound.plays;
        if (how == QLatin1String("reset") || how == QLatin1String("action")) {
            QCOMPARE(r.timer.totalSeconds.get(), 0);
            QTRY_COMPARE(r.server.closed.size(), size_t(1));
            QCOMPARE(r.server.closed[0], r.server.received[0].id);
        } else {
            QTest::qWait(TimerManager::ringIntervalMs + 300);
            QCOMPARE(r.sound.plays, plays);
        }
        r.timer.reset();
    }

    // Start after ringing runs the same length again; a clock time runs to
    // the same time tomorrow.
    void restartAfterRinging_data()
    {
        QTest::addColumn<bool>("target");
        QTest::addColumn<qint64>("total");
        QTest::newRow("preset") << false << qint64(300);
        QTest::newRow("target time") << true << qint64(86'400);
    }
    void restartAfterRinging()
    {
        QFETCH(bool, target);
        QFETCH(qint64, total);
        Rig r;
        r.timer.setNotificationType(NotificationType::desktop);
        target ? r.startTarget(10, 5) : r.startPreset(5);
        r.clock.advance(300'000);
        QTRY_VERIFY(r.timer.isRinging);
        r.timer.stopRinging();
        r.timer.start();
        QVERIFY(r.timer.isRunning);
        QVERIFY(!r.timer.isSoundTimerActive());
        QCOMPARE(r.timer.totalSeconds.get(), total);
        if (!target)
            QCOMPARE(r.timer.formattedDisplay(), QStringLiteral("05:00"));
        r.timer.reset();
    }

    void notificationPermissionAskedOncePerProcess()
    {
        Rig r;
        for (auto step : {&TimerManager::start, &TimerManager::pause, &TimerManager::start, &TimerManager::reset,
                          &TimerManager::start})
            (r.timer.*step)();
        QTRY_COMPARE(r.server.capabilityQueries, 1);
        QTest::qWait(100);
        QCOMPARE(r.server.capabilityQueries, 1);
        r.timer.reset();
    }

    void noNotificationServerStillRings()
    {
        EngineRig r;
        PrivateBus bus;
        NotificationHelper helper(bus.connect(QStringLiteral("client")));
        r.timer.setNotificationHelper(&helper);
        r.expire();
        QVERIFY(r.timer.isRinging);
        QCOMPARE(r.sound.plays, 1);
        r.timer.reset();
    }
};

QTEST_GUILESS_MAIN(TestExpiry)
#include "test_expiry.moc"
