// Desktop notifications against a private bus with a test server.
#include "support/notification_rig.h"

#include <QSignalSpy>
#include <QTest>
#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer's allocator interface (GCC ships no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {
// Bytes the process has allocated and not freed.
qint64 heapBytesInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return qint64(__sanitizer_get_current_allocated_bytes());
#else
    return qint64(mallinfo2().uordblks);
#endif
}
}  // namespace

class TestNotificationHelper : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Two expiries are two notices; a click on one comes back under our
    // identifier, another application's is none of our business.
    void sendPostsAndClicksComeBack()
    {
        NotificationRig rig;
        auto& [bus, server, helper] = rig;
        QVERIFY(server.isRegistered());
        QSignalSpy spy(&helper, &NotificationHelper::activated);
        helper.requestAuthorizationIfNeeded();
        helper.requestAuthorizationIfNeeded();
        QTRY_VERIFY(helper.capabilities().has_value());
        QCOMPARE(server.capabilityQueries, 1);

        const QString a = helper.send(QStringLiteral("Time's up"), QStringLiteral("Done."));
        const QString b = helper.send(QStringLiteral("Time's up"), QStringLiteral("Done."));
        // Closed before the server has answered: the close waits for its id.
        helper.close(helper.send(QStringLiteral("t"), QStringLiteral("b")));
        QTRY_COMPARE(server.received.size(), size_t(3));
        QTRY_COMPARE(server.closed, std::vector<uint>{server.received[2].id});
        QCOMPARE(a.size(), 36);
        QVERIFY(a != b);
        const auto& first = server.received[0];
        QCOMPARE(first.summary, QStringLiteral("Time's up"));
        QCOMPARE(first.body, QStringLiteral("Done."));
        QCOMPARE(first.appName, QStringLiteral("Lumora"));
        QCOMPARE(first.replacesId, 0u);
        QCOMPARE(first.hints.value(QStringLiteral("sound-name")).toString(),
                 QStringLiteral("message-new-instant"));
        QCOMPARE(first.hints.value(QStringLiteral("desktop-entry")).toString(),
                 QStringLiteral("org.lumora.Lumora"));
        QCOMPARE(server.received[1].replacesId, 0u);

        server.invokeAction(999, QStringLiteral("default"));
        server.invokeAction(first.id, QStringLiteral("default"), QStringLiteral("tok"));
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy[0], (QVariantList{a, QStringLiteral("default"), QStringLiteral("tok")}));
        helper.close(a);
        QTRY_COMPARE(server.closed.size(), size_t(2));
        QCOMPARE(server.closed[1], first.id);
    }

    // The hints and actions a server is offered follow what it can do; the
    // same identifier posted again replaces the notice.
    void hintsFollowCapabilities_data()
    {
        QTest::addColumn<QStringList>("caps");
        QTest::addColumn<bool>("quiet");
        QTest::addColumn<bool>("sound");
        QTest::addColumn<bool>("actions");
        QTest::newRow("everything") << NotificationServer::defaultCapabilities() << false << true << true;
        QTest::newRow("everything, quiet") << NotificationServer::defaultCapabilities() << true << false << true;
        QTest::newRow("body only") << QStringList{QStringLiteral("body")} << false << false << false;
        QTest::newRow("actions, no sound") << QStringList{QStringLiteral("actions")} << false << false << true;
    }
    void hintsFollowCapabilities()
    {
        QFETCH(QStringList, caps);
        QFETCH(bool, quiet);
        QFETCH(bool, sound);
        QFETCH(bool, actions);
        NotificationRig rig(caps);
        auto& [bus, server, helper] = rig;
        helper.requestAuthorizationIfNeeded();
        QTRY_VERIFY(helper.capabilities().has_value());
        NotificationRequest r;
        r.identifier = QStringLiteral("lumora-update");
        r.title = QStringLiteral("t");
        r.body = QStringLiteral("b");
        r.sound = !quiet;
        r.critical = true;
        r.actions.append({QStringLiteral("ring.stop"), QStringLiteral("Stop")});
        helper.post(r);
        QTRY_COMPARE(server.received.size(), size_t(1));
        QTest::qWait(50);  // let the reply carry the server's id back
        helper.post(r);
        QTRY_COMPARE(server.received.size(), size_t(2));
        const auto& got = server.received[1];
        QCOMPARE(got.replacesId, server.received[0].id);
        QCOMPARE(got.hints.contains(QStringLiteral("sound-name")), sound);
        QCOMPARE(got.hints.contains(QStringLiteral("suppress-sound")), quiet);
        QCOMPARE(got.actions.contains(QStringLiteral("ring.stop")), actions);
        QCOMPARE(got.hints.value(QStringLiteral("urgency")).value<uchar>(), uchar(2));
        QCOMPARE(got.timeout, 0);
    }

    // Signals of the server's interface from another connection, to all or
    // to us alone, and the server's own for ids that are not ours: no click
    // comes of them and nothing of them is kept.
    void forgedSignalsAreIgnored()
    {
        PrivateBus bus;
        const QDBusConnection serverBus = bus.connect(QStringLiteral("server"));
        NotificationServer server(serverBus);
        const QDBusConnection client = bus.connect(QStringLiteral("client"));
        NotificationHelper helper(client);
        QSignalSpy spy(&helper, &NotificationHelper::activated);
        const QString id = helper.send(QStringLiteral("t"), QStringLiteral("b"));
        QTRY_COMPARE(server.received.size(), size_t(1));
        QTest::qWait(50);
        const uint ours = server.received[0].id;

        QDBusConnection forger = bus.connect(QStringLiteral("forger"));
        // As long as a token may be: a length check alone does not drop it.
        const QString token(NotificationHelper::maxTokenLength, QLatin1Char('t'));
        const auto signal = [&](const QString& member, bool direct) {
            const QString path = QStringLiteral("/org/freedesktop/Notifications");
            const QString interface = QStringLiteral("org.freedesktop.Notifications");
            return direct ? QDBusMessage::createTargetedSignal(client.baseService(), path, interface, member)
                          : QDBusMessage::createSignal(path, interface, member);
        };
        const auto forge = [&](uint first, int count) {
            for (int i = 0; i < count; ++i) {
                const uint serverId = first + uint(i);
                QDBusConnection from = i % 3 == 2 ? serverBus : forger;
                from.send(signal(QStringLiteral("ActivationToken"), i % 3 == 1) << serverId << token);
                if (from.name() == forger.name())
                    from.send(signal(QStringLiteral("ActionInvoked"), i % 3 == 1) << ours << QStringLiteral("default"));
            }
            // Once the client has answered this, it has been handed all of the above.
            QDBusMessage ping = QDBusMessage::createMethodCall(client.baseService(), QStringLiteral("/"),
                                                               QStringLiteral("org.freedesktop.DBus.Peer"),
                                                               QStringLiteral("Ping"));
            QCOMPARE(forger.call(ping).type(), QDBusMessage::ReplyMessage);
            QCOMPARE(serverBus.call(ping).type(), QDBusMessage::ReplyMessage);
            QTest::qWait(50);
        };
        forge(1000, 1500);  // Qt's own caches settle
        const qint64 before = heapBytesInUse();
        for (int round = 0; round < 4; ++round)
            forge(10'000 + uint(round) * 3000, 3000);
        // The 4,000 tokens the server sent for ids not ours would be 2 MB.
        QVERIFY2(heapBytesInUse() - before < 1'000'000, qPrintable(QString::number(heapBytesInUse() - before)));
        QCOMPARE(spy.count(), 0);

        // Neither a forged token nor an over-long one rides on the server's own click.
        forger.send(signal(QStringLiteral("ActivationToken"), true) << ours << QStringLiteral("forged"));
        serverBus.send(signal(QStringLiteral("ActivationToken"), false) << ours << token + QLatin1Char('t'));
        QTest::qWait(50);
        server.invokeAction(ours, QStringLiteral("default"));
        QTRY_COMPARE(spy.count(), 1);
        QCOMPARE(spy[0][0].toString(), id);
        QCOMPARE(spy[0][2].toString(), QString());
        server.invokeAction(ours, QStringLiteral("default"), QStringLiteral("tok"));
        QTRY_COMPARE(spy.count(), 2);
        QCOMPARE(spy[1][2].toString(), QStringLiteral("tok"));
    }

    void brokenServersAreSilent_data()
    {
        QTest::addColumn<int>("behaviour");
        QTest::newRow("disconnected bus") << -2;
        QTest::newRow("no server") << -1;
        QTest::newRow("error") << int(NotificationServer::Behaviour::error);
        QTest::newRow("never answers") << int(NotificationServer::Behaviour::silent);
    }
    void brokenServersAreSilent()
    {
        QFETCH(int, behaviour);
        PrivateBus bus;
        std::unique_ptr<NotificationServer> server;
        if (behaviour >= 0) {
            server = std::make_unique<NotificationServer>(bus.connect(QStringLiteral("server")));
            server->behaviour = NotificationServer::Behaviour(behaviour);
        }
        NotificationHelper helper(behaviour == -2 ? QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent"),
                                                                                  QStringLiteral("none"))
                                                  : bus.connect(QStringLiteral("client")));
        QElapsedTimer t;
        t.start();
        helper.requestAuthorizationIfNeeded();
        const QString id = helper.send(QStringLiteral("t"), QStringLiteral("b"));
        QVERIFY(!id.isEmpty());
        helper.close(id);
        // Nothing above waited for the server.
        QVERIFY(t.elapsed() < NotificationHelper::callTimeoutMs);
        QTest::qWait(100);
        QVERIFY(!helper.capabilities().has_value());
    }
};

QTEST_GUILESS_MAIN(TestNotificationHelper)
#include "test_notification_helper.moc"
