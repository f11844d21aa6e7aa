#include "support/portal_stand_in.h"

#include <QDBusMessage>

namespace {
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceNamespace = QStringLiteral("org.freedesktop.appearance");
const QString schemeKey = QStringLiteral("color-scheme");
}  // namespace

bool PortalStandIn::publish()
{
    return bus_.registerObject(portalPath, this, QDBusConnection::ExportAllSlots)
           && bus_.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
}

void PortalStandIn::setScheme(uint value)
{
    scheme = value;
    QDBusMessage signal = QDBusMessage::createSignal(portalPath, settingsInterface, QStringLiteral("SettingChanged"));
    signal << appearanceNamespace << schemeKey << QVariant::fromValue(QDBusVariant(value));
    bus_.send(signal);
}

QDBusVariant PortalStandIn::Read(const QString& nameSpace, const QString& key)
{
    ++reads;
    if (nameSpace != appearanceNamespace || key != schemeKey)
        return QDBusVariant(QString());
    return QDBusVariant(QVariant::fromValue(QDBusVariant(scheme)));
}
