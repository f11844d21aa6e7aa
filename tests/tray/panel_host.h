#pragma once

#include "platform/dbus_tray_types.h"
#include "platform/status_notifier_backend.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QObject>

// The panel's side of a StatusNotifierItem, as a test plays it: method calls
// and property reads (never blocking, so an item in this process can answer)
// and every signal of the item and of its menu.
class PanelHost final : public QObject {
    Q_OBJECT
public:
    static inline const QString itemInterface = QStringLiteral("org.kde.StatusNotifierItem");
    static inline const QString menuInterface = QStringLiteral("com.canonical.dbusmenu");

    PanelHost(QDBusConnection bus, QString service);

    QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& args = {});
    QDBusMessage itemCall(const QString& method, const QVariantList& args = {})
    {
        return call(StatusNotifierBackend::itemPath, itemInterface, method, args);
    }
    QDBusMessage menuCall(const QString& method, const QVariantList& args = {})
    {
        return call(StatusNotifierBackend::menuPath, menuInterface, method, args);
    }
    QDBusMessage menuEvent(int id, const QString& event = QStringLiteral("clicked"))
    {
        return menuCall(QStringLiteral("Event"), {id, event, QVariant::fromValue(QDBusVariant(0)), 0u});
    }
    // The whole menu, every property; its revision into `revision` if given.
    DBusMenuLayoutItem layout(uint* revision = nullptr);
    // Properties.Get; an error gives an invalid QVariant.
    QVariant itemProperty(const QString& name);

    // Returns once every signal sent before it has been recorded.
    void sync();
    QList<QVariantList> arguments(const QString& member) const;

    const QString service;
    QList<QDBusMessage> received;

private Q_SLOTS:
    void record(const QDBusMessage& message) { received.append(message); }

private:
    QDBusConnection bus_;
};
