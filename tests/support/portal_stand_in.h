#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QObject>

// The desktop's settings portal as far as the colour scheme goes.
class PortalStandIn final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    explicit PortalStandIn(QDBusConnection bus) : bus_(bus) {}

    // Puts the portal on the bus under its well-known name.
    bool publish()
    {
        return bus_.registerObject(path(), this, QDBusConnection::ExportAllSlots)
               && bus_.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    }
    // Changes the scheme (0 none, 1 dark, 2 light) and says so on the bus.
    void setScheme(uint value)
    {
        scheme = value;
        bus_.send(QDBusMessage::createSignal(path(), QStringLiteral("org.freedesktop.portal.Settings"),
                                             QStringLiteral("SettingChanged"))
                  << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme")
                  << QVariant::fromValue(QDBusVariant(value)));
    }

    uint scheme = 0;
    int reads = 0;

public Q_SLOTS:
    // As older portals answer: the value wrapped once more.
    QDBusVariant Read(const QString& nameSpace, const QString& key)
    {
        ++reads;
        if (nameSpace != QLatin1String("org.freedesktop.appearance") || key != QLatin1String("color-scheme"))
            return QDBusVariant(QString());
        return QDBusVariant(QVariant::fromValue(QDBusVariant(scheme)));
    }

private:
    static QString path() { return QStringLiteral("/org/freedesktop/portal/desktop"); }
    QDBusConnection bus_;
};
