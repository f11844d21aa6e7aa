#pragma once

// A Lumora instance inside the test: the real engine on a fake clock, its
// D-Bus interface on a private bus under Lumora's name, and a second
// connection to call it from.
#include "app/timer_bus_interface.h"
#include "support/engine_rig.h"

#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QTest>

// Stands in for SingleInstance: the exported object whose context the
// interface's calls run in.
class BusHost final : public QObject, public QDBusContext {
    Q_OBJECT
};

struct TimerBusRig : EngineRig {
    static inline const QString appId = QStringLiteral("org.lumora.Lumora");
    static inline const QString path = QStringLiteral("/org/lumora/Lumora");
    PrivateBus bus;
    QDBusConnection service = bus.connect(QStringLiteral("instance")), client = bus.connect(QStringLiteral("client"));
    BusHost host;
    TimerBusInterface* timerInterface = new TimerBusInterface(timer, &host, service, path);

    TimerBusRig()
    {
        service.registerObject(path, &host, QDBusConnection::ExportAdaptors);
        service.interface()->registerService(appId);
    }

    // The event loop runs while the call waits, so the interface here answers.
    QDBusMessage call(const QString& method, const QVariantList& arguments = {},
                      const QString& interface = TimerBusInterface::interfaceName)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(appId, path, interface, method);
        message.setArguments(arguments);
        return client.call(message, QDBus::BlockWithGui, 10'000);
    }

    // idle; running, one second into 25 minutes; paused there; ringing; or
    // "absent": Lumora's name off the bus.
    void enter(const QString& state)
    {
        if (state == QLatin1String("absent"))
            service.interface()->unregisterService(appId);
        if (state == QLatin1String("idle") || state == QLatin1String("absent"))
            return;
        const bool ringing = state == QLatin1String("ringing");
        timer.mode = TimerMode::custom;
        timer.customMinutes = ringing ? 0 : 25;
        timer.customSeconds = ringing ? 1 : 0;
        timer.start();
        clock.advance(1000);
        QTRY_VERIFY(ringing ? timer.isRinging.get() : timer.remainingSeconds == 1499);
        if (state == QLatin1String("paused"))
            timer.pause();
    }
};
