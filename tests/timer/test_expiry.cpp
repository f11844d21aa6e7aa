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
    // Each type of notice at expiry, then one way out of ringing: stop,
    // reset, the notice's stop action, or a start that skips stop.
    void expiryAndTheWayOut_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("bringFront");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("way");
        const int desktop = int(NotificationType::desktop), both = int(NotificationType::both);
        const auto en = QStringLiteral("english");
        QTest::newRow("desktop, stop") << desktop << true << en << "stop";
        QTest::newRow("system") << int(NotificationType::system) << true << en << "";
        QTest::newRow("both, not to the front, reset") << both << false << en << "reset";
        QTest::newRow("both, Chinese, the notice's stop action") << both << true << "chinese" << "action";
        QTest::newRow("both, start again") << both << true << en << "start";
    }
    void expiryAndTheWayOut()
    {
        QFETCH(int, type);
        QFETCH(bool, bringFront);
        QFETCH(QString, language);
        QFETCH(QString, way);
        const bool rings = NotificationType(type) != NotificationType::system;
        const bool notifies = NotificationType(type) != NotificationType::desktop;
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
        // What the server can show was asked at the start.
        QTRY_COMPARE(r.server.capabilityQueries, 1);
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
        if (!rings)
            return;

        if (way == QLatin1String("stop")) {
            // Until then it chimes again every second.
            QTRY_VERIFY_WITH_TIMEOUT(r.sound.plays >= 2, 5000);
            r.timer.stopRinging();
        } else if (way == QLatin1String("reset")) {
            r.timer.reset();
        } else if (way == QLatin1String("start")) {
            r.timer.start();
        } else {
            r.server.invokeAction(r.server.received[0].id, QStringLiteral("ring.stop"));
        }
        QTRY_VERIFY(!r.timer.isRinging);
        QVERIFY(!r.timer.isSoundTimerActive());
        QCOMPARE(bool(r.timer.isRunning), way == QLatin1String("start"));
        const bool toIdle = way == QLatin1String("reset") || way == QLatin1String("action");
        // A start runs the same length again.
        QCOMPARE(r.timer.totalSeconds.get(), toIdle ? 0 : 1);
        const int plays = r.sound.plays;
        if (toIdle) {
            // The notice's stop button has nothing left to stop.
            QTRY_COMPARE(r.server.closed.size(), size_t(1));
            QCOMPARE(r.server.closed[0], r.server.received[0].id);
        } else {
            QTest::qWait(TimerManager::ringIntervalMs + 300);
            QCOMPARE(r.sound.plays, plays);
        }
        r.timer.reset();
    }
};

QTEST_GUILESS_MAIN(TestExpiry)
#include "test_expiry.moc"
