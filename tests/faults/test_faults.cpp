// Faults from outside while a countdown runs: clock steps and sleep, a
// notification server, session bus or panel that goes away. A settings file
// damaged under the running program is the settings store's own test.
#include "app/shell_rig.h"
#include "support/engine_rig.h"
#include "support/notification_rig.h"
#include "support/status_notifier_watcher.h"
#include "tray/desktop_tray_rig.h"

class TestFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The wall clock is set, or the machine sleeps (both clocks jump, no
    // tick in between): a preset keeps its length, a target its clock time,
    // and it rings then and not before.
    void wallClockSteps()
    {
        // (a target rather than a preset, asleep rather than the clock set,
        // the step and the seconds left after it)
        const std::tuple<bool, bool, qint64, qint64> rows[] = {{false, false, 3600, 600}, {false, false, -3600, 600},
                                                               {true, false, -3600, 600 + 3600}, {true, false, 3600, 0},
                                                               {false, true, 3600, 0}, {true, true, 3600, 0}};
        for (const auto& [target, asleep, step, left] : rows) {
            EngineRig e;
            target ? e.startTarget(10, 10) : e.startPreset(10);
            asleep ? e.clock.advance(step * 1000) : e.clock.stepWall(step * 1000);
            if (left > 0) {
                e.clock.advance((left - 2) * 1000);
                // A tick has come, and it does not ring yet.
                QTRY_VERIFY2(qAbs(e.timer.remainingSeconds.get() - 2) <= 1 && !e.timer.isRinging, qPrintable(QString::number(step)));
                e.clock.advance(2000);
            }
            QTRY_VERIFY(e.timer.isRinging && e.timer.remainingSeconds.get() == 0);
        }
    }

    // The notification server leaves, or the whole session bus, mid-count
    // (notices go to both by default): the alarm still rings and sounds; a
    // server that comes back is reached by the next expiry.
    void servicesVanishWhileCounting()
    {
        for (const bool busToo : {false, true}) {
            auto bus = std::make_unique<PrivateBus>();
            auto server = std::make_unique<NotificationServer>(bus->connect(QStringLiteral("server")));
            NotificationHelper helper(bus->connect(QStringLiteral("client")));
            EngineRig e;
            e.timer.setNotificationHelper(&helper);
            e.startPreset(1);
            e.clock.advance(20'000);
            QTRY_COMPARE(e.timer.remainingSeconds.get(), qint64(40));
            server.reset();
            if (busToo)
                bus.reset();
            e.clock.advance(41'000);
            QTRY_VERIFY_WITH_TIMEOUT(e.timer.isRinging && e.sound.plays >= 2, 5000);
            e.timer.stopRinging();
            if (busToo)
                continue;
            e.timer.reset();
            server = std::make_unique<NotificationServer>(bus->connect(QStringLiteral("server2")));
            e.startPreset(1);
            e.clock.advance(61'000);
            QTRY_COMPARE(server->received.size(), std::size_t(1));
        }
    }

    // The panel restarts while a countdown runs: the item registers with the
    // new watcher and the alarm still rings.
    void trayHostVanishesWhileCounting()
    {
        PrivateBus bus;
        auto watcher = std::make_unique<StatusNotifierWatcher>(bus.connect(QStringLiteral("watcher")));
        QPointer<StatusNotifierBackend> item;
        ShellRig rig([&] { return makeDesktopTray(bus.connect(QStringLiteral("app")), item); });
        rig.launch();
        QTRY_VERIFY(item && item->isRegistered());
        rig.timer.selectedPresetMinutes = 1;
        rig.timer.start();
        watcher.reset();
        watcher = std::make_unique<StatusNotifierWatcher>(bus.connect(QStringLiteral("watcher2")));
        QTRY_COMPARE(watcher->items, QStringList{item->serviceName()});
        rig.clock.advance(61'000);
        QTRY_VERIFY(rig.timer.isRinging);
        rig.timer.stopRinging();
    }
};

QTEST_MAIN(TestFaults)
#include "test_faults.moc"
