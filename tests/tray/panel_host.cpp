#include "panel_host.h"

#include <QDBusPendingCall>
#include <QTest>

PanelHost::PanelHost(QDBusConnection bus, QString service) : service(std::move(service)), bus_(std::move(bus))
{
    // No signal name: every signal of the interface.
    bus_.connect(this->service, StatusNotifierBackend::itemPath, itemInterface, {}, this, SLOT(record(QDBusMessage)));
    bus_.connect(this->service, StatusNotifierBackend::menuPath, menuInterface, {}, this, SLOT(record(QDBusMessage)));
    sync();
}

QDBusMessage PanelHost::call(const QString& path, const QString& interface, const QString& method,
                             const QVariantList& args)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(args);
    QDBusPendingCall pending = bus_.asyncCall(message, 5000);
    if (!QTest::qWaitFor([&] { return pending.isFinished(); }, 6000))
        return {};
    return pending.reply();
}

DBusMenuLayoutItem PanelHost::layout(uint* revision)
{
    const QDBusMessage reply = menuCall(QStringLiteral("GetLayout"), {0, -1, QStringList{}});
    if (revision)
        *revision = reply.arguments().value(0).toUInt();
    return qdbus_cast<DBusMenuLayoutItem>(reply.arguments().value(1));
}

QVariant PanelHost::itemProperty(const QString& name)
{
    const QDBusMessage reply = call(StatusNotifierBackend::itemPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                    QStringLiteral("Get"), {itemInterface, name});
    return reply.arguments().value(0).value<QDBusVariant>().variant();
}

void PanelHost::sync()
{
    // Messages from one sender arrive in order: once the item answered,
    // every signal it sent earlier is in, waiting to be delivered.
    call(StatusNotifierBackend::itemPath, QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

QList<QVariantList> PanelHost::arguments(const QString& member) const
{
    QList<QVariantList> out;
    for (const QDBusMessage& m : received) {
        if (m.member() == member)
            out.append(m.arguments());
    }
    return out;
}
