// Faults from outside while a countdown runs: clock steps and sleep, a
// damaged settings file, a notification server, session bus or panel that
// goes away.
#include "app/shell_rig.h"
#include "platform/desktop_tray_backend.h"
#include "platform/status_notifier_backend.h"
#include "support/status_notifier_watcher.h"
#include "tray/desktop_tray_rig.h"
#include "tray/panel_host.h"
#include "support/engine_rig.h"
#include "support/notification_rig.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTest>

namespace {
using Engine = EngineRig;

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}
}  // namespace

class TestFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The wall clock is set, or the machine sleeps (both clocks jump, no
    // tick in between): a preset keeps its length, a target its clock time.
    void wallClockSteps_data()
    {
        QTest::addColumn<bool>("target");
        QTest::addColumn<bool>("asleep");
        QTest::addColumn<qint64>("stepMs");
        QTest::addColumn<qint64>("remainingAfterStep");
        QTest::newRow("preset, an hour forward") << false << false << qint64(3'600'000) << qint64(600);
        QTest::newRow("preset, an hour back") << false << false << qint64(-3'600'000) << qint64(600);
        QTest::newRow("target, an hour back") << true << false << qint64(-3'600'000) << qint64(600 + 3600);
        QTest::newRow("target, an hour forward") << true << false << qint64(3'600'000) << qint64(0);
        QTest::newRow("preset, asleep past the end") << false << true << qint64(3'600'000) << qint64(0);
        QTest::newRow("target, asleep past the end") << true << true << qint64(3'600'000) << qint64(0);
    }
    void wallClockSteps()
    {
        QFETCH(bool, target);
        QFETCH(bool, asleep);
        QFETCH(qint64, stepMs);
        QFETCH(qint64, remainingAfterStep);
        Engine e;
        target ? e.startTarget(10, 10) : e.startPreset(10);
        QCOMPARE(e.timer.totalSeconds.get(), qint64(600));
        asleep ? e.clock.advance(stepMs) : e.clock.stepWall(stepMs);
        if (remainingAfterStep > 0) {
            QTRY_VERIFY(qAbs(e.timer.remainingSeconds.get() - remainingAfterStep) <= 1);
            QVERIFY(e.timer.isRunning);
            // It rings at the end of its length / at the chosen clock time.
            e.clock.advance((remainingAfterStep - 2) * 1000);
            QTest::qWait(250);
            QVERIFY(!e.timer.isRinging);
            e.clock.advance(2000);
        }
        QTRY_VERIFY(e.timer.isRinging);
        QCOMPARE(e.timer.remainingSeconds.get(), qint64(0));
        QTRY_VERIFY(e.sound.plays >= 1);
    }

    // The settings file is damaged while a countdown runs: reads and writes
    // go on and the alarm rings. What the store makes of damaged files, and
    // how its writes heal them, is the store's own test.
    void settingsFileFaults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("garbage lines") << "corrupt";
        QTest::newRow("truncated mid-line") << "truncate";
        QTest::newRow("deleted") << "delete";
        QTest::newRow("read-only") << "readonly";
        QTest::newRow("replaced by a folder") << "folder";
    }
    void settingsFileFaults()
    {
        QFETCH(QString, fault);
        Engine e;
        e.timer.setAppTheme(AppTheme::dark);
        e.l10n.setCurrent(AppLanguage::chinese);
        const QString path = e.home.settingsFile();
        const QByteArray good = readAll(path);
        e.startPreset(1);

        if (fault == QLatin1String("corrupt")) {
            writeAll(path, "\x01\x02 not = [ini\n" + good + "[[[\n=\n");
        } else if (fault == QLatin1String("truncate")) {
            // Cut into the last line: the lines before it are whole.
            writeAll(path, good.left(good.lastIndexOf('\n', good.size() - 2) + 4));
        } else if (fault == QLatin1String("delete")) {
            QVERIFY(QFile::remove(path));
        } else if (fault == QLatin1String("readonly")) {
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        } else if (fault == QLatin1String("folder")) {
            QVERIFY(QFile::remove(path));
            QVERIFY(QDir().mkpath(path));
        }
        const AppTheme theme = e.timer.appTheme();
        QVERIFY(theme == AppTheme::dark || theme == AppTheme::system);
        e.timer.setShowRestartOnExpire(false);
        e.clock.advance(61'000);
        QTRY_VERIFY(e.timer.isRinging);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    }

    void servicesVanishWhileCounting_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("notification server leaves") << "server";
        QTest::newRow("session bus goes away") << "bus";
    }
    void servicesVanishWhileCounting()
    {
        QFETCH(QString, what);
        auto bus = std::make_unique<PrivateBus>();
        QVERIFY(bus->isRunning());
        auto server = std::make_unique<NotificationServer>(bus->connect(QStringLiteral("server")));
        NotificationHelper helper(bus->connect(QStringLiteral("client")));
        Engine e;
        e.timer.setNotificationType(NotificationType::both);
        e.timer.setNotificationHelper(&helper);
        e.startPreset(1);
        e.clock.advance(20'000);
        QTest::qWait(150);
        server.reset();
        if (what == QLatin1String("bus"))
            bus.reset();
        e.clock.advance(41'000);
        QTRY_VERIFY(e.timer.isRinging);
        QTRY_VERIFY_WITH_TIMEOUT(e.sound.plays >= 2, 5000);
        e.timer.stopRinging();
        e.timer.reset();
        if (what == QLatin1String("server")) {
            // The server comes back: the next expiry reaches it again.
            server = std::make_unique<NotificationServer>(bus->connect(QStringLiteral("server2")));
            e.startPreset(1);
            e.clock.advance(61'000);
            QTRY_VERIFY(e.timer.isRinging);
            QTRY_COMPARE(server->received.size(), std::size_t(1));
        }
    }

    // The panel restarts while a countdown runs: the item registers with the
    // new watcher and the alarm still rings.
    void trayHostVanishesWhileCounting()
    {
        PrivateBus bus;
        QVERIFY(bus.isRunning());
        auto watcher = std::make_unique<StatusNotifierWatcher>(bus.connect(QStringLiteral("watcher")));
        const QDBusConnection appBus = bus.connect(QStringLiteral("app"));
        QPointer<StatusNotifierBackend> item;
        QPointer<DesktopTrayBackend> tray;
        ShellRig rig([&] {
            auto backend = makeDesktopTray(appBus, item);
            tray = backend.get();
            return backend;
        });
        CountingSound sound;
        rig.timer.setAlarmSound(&sound);
        rig.launch();
        QTRY_VERIFY(item && item->isRegistered());

        rig.timer.selectedPresetMinutes = 1;
        rig.timer.start();
        rig.clock.advance(20'000);
        QTRY_COMPARE(rig.timer.remainingSeconds.get(), qint64(40));
        watcher.reset();
        rig.clock.advance(10'000);
        QTRY_COMPARE(rig.timer.remainingSeconds.get(), qint64(30));

        watcher = std::make_unique<StatusNotifierWatcher>(bus.connect(QStringLiteral("watcher2")));
        QTRY_COMPARE(watcher->items, QStringList{item->serviceName()});
        QCOMPARE(tray->kind(), DesktopTrayBackend::Kind::statusNotifier);
        PanelHost host(bus.connect(QStringLiteral("host")), item->serviceName());
        QCOMPARE(host.itemProperty("XAyatanaLabel").toString(), rig.delegate().statusItem()->title());

        rig.clock.advance(31'000);
        QTRY_VERIFY(rig.timer.isRinging);
        QTRY_VERIFY(sound.plays >= 1);
        rig.timer.stopRinging();
    }
};

QTEST_MAIN(TestFaults)
#include "test_faults.moc"
