#include "platform/portal_appearance.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {
const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
const QString interface = QStringLiteral("org.freedesktop.portal.Settings");
const QString nameSpace = QStringLiteral("org.freedesktop.appearance");
const QString key = QStringLiteral("color-scheme");

// Older portals wrap the value in one more variant than newer ones.
QVariant unwrap(QVariant value)
{
    while (value.metaType() == QMetaType::fromType<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}
}  // namespace

PortalAppearance::PortalAppearance(QDBusConnection bus, QObject* parent) : Appearance(parent), bus_(bus)
{
    read();
}

void PortalAppearance::startFollowing()
{
    if (following_ || !bus_.isConnected())
        return;
    following_ = true;
    // Qt asks the bus who owns the portal's name here and waits for the answer.
    bus_.connect(service, path, interface, QStringLiteral("SettingChanged"), this,
                 SLOT(onSettingChanged(QDBusMessage)));
    read();
}

void PortalAppearance::read()
{
    if (!bus_.isConnected())
        return;
    QDBusMessage read = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Read"));
    read << nameSpace << key;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(read, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusMessage reply = w->reply();
        // A change signal that came first is newer than this answer.
        if (changedSinceRead_ || reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return;
        setScheme(fromPortalValue(reply.arguments().constFirst()));
    });
}

ColorScheme PortalAppearance::fromPortalValue(const QVariant& value)
{
    bool ok = false;
    const uint raw = unwrap(value).toUInt(&ok);
    if (!ok)
        return ColorScheme::noPreference;
    switch (raw) {
    case 1: return ColorScheme::dark;
    case 2: return ColorScheme::light;
    default: return ColorScheme::noPreference;
    }
}

void PortalAppearance::onSettingChanged(const QDBusMessage& message)
{
    const QVariantList args = message.arguments();
    if (args.size() != 3 || args[0].toString() != nameSpace || args[1].toString() != key)
        return;
    changedSinceRead_ = true;
    setScheme(fromPortalValue(args[2]));
}

void PortalAppearance::setScheme(ColorScheme scheme)
{
    if (scheme == scheme_)
        return;
    scheme_ = scheme;
    Q_EMIT colorSchemeChanged(scheme);
}
