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
    QDBusConnection service = bus.connect(QStringLiteral("instance"));
    QDBusConnection client = bus.connect(QStringLiteral("client"));
    BusHost host;
    TimerBusInterface* timerInterface = new TimerBusInterface(timer, &host, service, path);

    TimerBusRig()
    {
        service.registerObject(path, &host, QDBusConnection::ExportAdaptors);
        service.interface()->registerService(appId);
    }

    // A call from the other connection; the event loop runs while it waits,
    // so the interface in this process can answer.
    QDBusMessage call(const QString& interface, const QString& method, const QVariantList& arguments = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(appId, path, interface, method);
        message.setArguments(arguments);
        return client.call(message, QDBus::BlockWithGui, 10'000);
    }
    QDBusMessage callTimer(const QString& method, const QVariantList& arguments = {})
    {
        return call(TimerBusInterface::interfaceName, method, arguments);
    }

    // Puts the engine in one of the four states the interface names:
    // counting down 25 minutes, one second in, or ringing; "absent" takes
    // Lumora's name off the bus instead.
    void enter(const QString& state)
    {
        if (state == QLatin1String("absent"))
            service.interface()->unregisterService(appId);
        if (state == QLatin1String("idle") || state == QLatin1String("absent"))
            return;
        timer.mode = TimerMode::custom;
        timer.customMinutes = state == QLatin1String("ringing") ? 0 : 25;
        timer.customSeconds = state == QLatin1String("ringing") ? 1 : 0;
        timer.start();
        clock.advance(1000);
        QTRY_VERIFY(state == QLatin1String("ringing") ? timer.isRinging.get() : timer.remainingSeconds == 1499);
        if (state == QLatin1String("paused"))
            timer.pause();
    }
};
