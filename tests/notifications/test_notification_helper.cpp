// Desktop notifications against a private bus with a test server.
#include "support/notification_rig.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QTest>

class TestNotificationHelper : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Two expiries are two notices, a close waits for the server's id, and a
    // click comes back under our identifier with the server's token. Clicks
    // on other notices, signals from anyone but the server and tokens too
    // long or sent before the id was ours come to nothing.
    void noticesAndClicks()
    {
        NotificationRig rig;
        auto& [bus, server, helper] = rig;
        QSignalSpy spy(&helper, &NotificationHelper::activated);
        helper.requestAuthorizationIfNeeded();
        helper.requestAuthorizationIfNeeded();
        QTRY_VERIFY(helper.capabilities().has_value());
        QCOMPARE(server.capabilityQueries, 1);

        const QString a = helper.send(QStringLiteral("t"), QStringLiteral("b"));
        QTRY_COMPARE(server.received.size(), size_t(1));
        QTest::qWait(50);  // our id comes back
        Q_EMIT server.ActivationToken(2, QStringLiteral("early"));  // the next notice's, not ours yet
        const QString b = helper.send(QStringLiteral("t"), QStringLiteral("b"));
        helper.close(helper.send(QStringLiteral("t"), QStringLiteral("b")));
        QTRY_COMPARE(server.received.size(), size_t(3));
        QTRY_COMPARE(server.closed, std::vector<uint>{3});
        const auto& first = server.received[0];
        QCOMPARE(first.appName, QStringLiteral("Lumora"));
        QCOMPARE(first.hints.value(QStringLiteral("sound-name")).toString(), QStringLiteral("message-new-instant"));
        QCOMPARE(first.hints.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral("org.lumora.Lumora"));

        QDBusConnection forger = bus.connect(QStringLiteral("forger"));
        const auto forged = [](const char* member) {
            return QDBusMessage::createSignal(NotificationServer::path, NotificationServer::name, QLatin1String(member));
        };
        forger.send(forged("ActionInvoked") << 1u << QStringLiteral("default"));
        forger.send(forged("ActivationToken") << 2u << QStringLiteral("forged"));
        // Once the bus answers the forger, the forged signals are on their way
        // to the helper, ahead of anything the server sends next.
        QVERIFY(forger.interface()->isServiceRegistered(NotificationServer::name));
        const QString longest(NotificationHelper::maxTokenLength, QLatin1Char('t'));
        server.invokeAction(999, QStringLiteral("default"));
        server.invokeAction(2, QStringLiteral("default"));
        server.invokeAction(1, QStringLiteral("ring.stop"), longest + QLatin1Char('t'));
        server.invokeAction(1, QStringLiteral("default"), longest);
        QTRY_COMPARE(spy.count(), 3);
        QCOMPARE(QList<QVariantList>(spy),
                 (QList<QVariantList>{{b, "default", QString()}, {a, "ring.stop", QString()}, {a, "default", longest}}));
    }

    // The hints and actions a server is offered follow what it can do; the
    // same identifier posted again replaces the notice.
    void hintsFollowCapabilities()
    {
        const QStringList all = NotificationServer::defaultCapabilities();
        const struct {
            QStringList caps;
            bool quiet;
            bool sound;
            bool actions;
        } rows[] = {{all, false, true, true}, {all, true, false, true}, {{"body"}, false, false, false}};
        for (const auto& row : rows) {
            NotificationRig rig(row.caps);
            auto& [bus, server, helper] = rig;
            helper.requestAuthorizationIfNeeded();
            QTRY_VERIFY(helper.capabilities().has_value());
            NotificationRequest r;
            r.identifier = QStringLiteral("lumora-update");
            r.sound = !row.quiet;
            r.critical = true;
            r.actions = {{QStringLiteral("ring.stop"), QStringLiteral("Stop")}};
            helper.post(r);
            QTRY_COMPARE(server.received.size(), size_t(1));
            QTest::qWait(50);  // let the reply carry the server's id back
            helper.post(r);
            QTRY_COMPARE(server.received.size(), size_t(2));
            const auto& got = server.received[1];
            QCOMPARE(got.replacesId, server.received[0].id);
            QCOMPARE(got.hints.contains("sound-name"), row.sound);
            QCOMPARE(got.hints.contains("suppress-sound"), row.quiet);
            QCOMPARE(got.actions.contains("ring.stop"), row.actions);
            QCOMPARE(got.timeout, 0);
        }
    }

    // Without a notification server nothing is shown and nothing fails.
    void noServerIsNoNotice()
    {
        PrivateBus bus;
        NotificationHelper helper(bus.connect(QStringLiteral("client")));
        helper.requestAuthorizationIfNeeded();
        helper.close(helper.send(QStringLiteral("t"), QStringLiteral("b")));
        QTest::qWait(100);
        QVERIFY(!helper.capabilities().has_value());
    }
};

QTEST_GUILESS_MAIN(TestNotificationHelper)
#include "test_notification_helper.moc"
