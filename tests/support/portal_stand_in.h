#pragma once

#include <QDBusConnection>
#include <QDBusVariant>
#include <QObject>

// The desktop's settings portal as far as the colour scheme goes.
class PortalStandIn final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    explicit PortalStandIn(QDBusConnection bus) : bus_(bus) {}

    // Puts the portal on the bus under its well-known name.
    bool publish();
    // Changes the scheme (0 none, 1 dark, 2 light) and says so on the bus.
    void setScheme(uint value);

    uint scheme = 0;
    int reads = 0;

public Q_SLOTS:
    // As older portals answer: the value wrapped once more.
    QDBusVariant Read(const QString& nameSpace, const QString& key);

private:
    QDBusConnection bus_;
};
