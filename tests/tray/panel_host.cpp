#include "panel_host.h"

#include "platform/status_notifier_backend.h"

#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QTest>

PanelHost::PanelHost(QDBusConnection bus, QString service) : service(std::move(service)), bus_(std::move(bus))
{
    const QString item = StatusNotifierBackend::itemPath;
    const QString menu = StatusNotifierBackend::menuPath;
    for (const char* member :
         {"NewTitle", "NewIcon", "NewAttentionIcon", "NewToolTip", "NewStatus", "XAyatanaNewLabel"})
        bus_.connect(this->service, item, itemInterface, QString::fromLatin1(member), this,
                     SLOT(record(QDBusMessage)));
    for (const char* member : {"LayoutUpdated", "ItemsPropertiesUpdated"})
        bus_.connect(this->service, menu, menuInterface, QString::fromLatin1(member), this,
                     SLOT(record(QDBusMessage)));
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

QDBusMessage PanelHost::itemCall(const QString& method, const QVariantList& args)
{
    return call(StatusNotifierBackend::itemPath, itemInterface, method, args);
}

QDBusMessage PanelHost::menuCall(const QString& method, const QVariantList& args)
{
    return call(StatusNotifierBackend::menuPath, menuInterface, method, args);
}

QDBusMessage PanelHost::menuEvent(int id, const QString& event)
{
    return menuCall(QStringLiteral("Event"), {id, event, QVariant::fromValue(QDBusVariant(0)), 0u});
}

DBusMenuLayoutItem PanelHost::layout()
{
    const QDBusMessage reply = menuCall(QStringLiteral("GetLayout"), {0, -1, QStringList{}});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2)
        return {};
    return qdbus_cast<DBusMenuLayoutItem>(reply.arguments().at(1));
}

QVariant PanelHost::itemProperty(const QString& name)
{
    const QDBusMessage reply = call(StatusNotifierBackend::itemPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                    QStringLiteral("Get"), {itemInterface, name});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().at(0).value<QDBusVariant>().variant();
}

QVariantMap PanelHost::allItemProperties()
{
    const QDBusMessage reply =
        call(StatusNotifierBackend::itemPath, QStringLiteral("org.freedesktop.DBus.Properties"),
             QStringLiteral("GetAll"), {itemInterface});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return qdbus_cast<QVariantMap>(reply.arguments().at(0));
}

void PanelHost::sync()
{
    // Messages from one sender arrive in order: once the item answered,
    // every signal it sent earlier is in, waiting to be delivered.
    call(StatusNotifierBackend::itemPath, QStringLiteral("org.freedesktop.DBus.Peer"),
         QStringLiteral("Ping"));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

QStringList PanelHost::heard() const
{
    QStringList out;
    for (const QDBusMessage& m : received_)
        out << m.member();
    out.sort();
    return out;
}

QList<QVariantList> PanelHost::arguments(const QString& member) const
{
    QList<QVariantList> out;
    for (const QDBusMessage& m : received_) {
        if (m.member() == member)
            out.append(m.arguments());
    }
    return out;
}

void PanelHost::record(const QDBusMessage& message)
{
    received_.append(message);
}
