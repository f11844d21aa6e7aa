#pragma once

#include "platform/dbus_tray_types.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

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
    QDBusMessage itemCall(const QString& method, const QVariantList& args = {});
    QDBusMessage menuCall(const QString& method, const QVariantList& args = {});
    QDBusMessage menuEvent(int id, const QString& event = QStringLiteral("clicked"));
    // The whole menu, every property; empty on an error.
    DBusMenuLayoutItem layout();
    // Properties.Get; an error reply gives an invalid QVariant.
    QVariant itemProperty(const QString& name);
    QVariantMap allItemProperties();

    // Returns once every signal sent before it has been recorded.
    void sync();
    // The names of the signals recorded, sorted.
    QStringList heard() const;
    QList<QVariantList> arguments(const QString& member) const;
    void forget() { received_.clear(); }

    const QString service;

private Q_SLOTS:
    void record(const QDBusMessage& message);

private:
    QDBusConnection bus_;
    QList<QDBusMessage> received_;
};
