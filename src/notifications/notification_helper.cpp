#include "notifications/notification_helper.h"

#include "build_config.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QUuid>

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

QDBusMessage methodCall(const QString& method)
{
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}
}  // namespace

NotificationHelper::NotificationHelper(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus))
{
}

NotificationHelper::NotificationHelper() = default;

QDBusConnection& NotificationHelper::bus()
{
    if (!bus_)
        bus_ = QDBusConnection::sessionBus();
    return *bus_;
}

void NotificationHelper::listenToServer()
{
    // Each subscription waits for the bus; made at start-up they held up the
    // first frame by a millisecond and more. The signals only ever concern
    // notifications we posted, so the first post subscribes, before its
    // Notify goes out, and misses none. Only the server's own signals count:
    // QtDBus drops those from any other connection (it follows the unique
    // name that owns the service), even when sent to us directly.
    if (listening_)
        return;
    listening_ = true;
    bus().connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                  SLOT(onActionInvoked(uint, QString)));
    bus().connect(kService, kPath, kInterface, QStringLiteral("ActivationToken"), this,
                  SLOT(onActivationToken(uint, QString)));
    bus().connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                  SLOT(onClosed(uint, uint)));
}

NotificationHelper::~NotificationHelper() = default;

NotificationHelper& NotificationHelper::shared()
{
    static auto* instance = new NotificationHelper();
    return *instance;
}

void NotificationHelper::requestAuthorizationIfNeeded()
{
    if (hasRequestedAuthorization)
        return;
    hasRequestedAuthorization = true;
    if (!bus().isConnected())
        return;
    auto* watcher = new QDBusPendingCallWatcher(
        bus().asyncCall(methodCall(QStringLiteral("GetCapabilities")), callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        QDBusPendingReply<QStringList> reply = *w;
        if (!reply.isError())
            capabilities_ = reply.value();
        w->deleteLater();
    });
}

bool NotificationHelper::serverHas(const QString& capability) const
{
    // Before the server has answered, offer everything: unknown hints and
    // actions are ignored by servers that lack them.
    return !capabilities_ || capabilities_->contains(capability);
}

QString NotificationHelper::send(const QString& title, const QString& body)
{
    NotificationRequest request;
    request.identifier = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    request.title = title;
    request.body = body;
    post(request);
    return request.identifier;
}

void NotificationHelper::post(const NotificationRequest& request)
{
    if (!bus().isConnected())
        return;
    listenToServer();
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QString::fromLatin1(lumora::build::kAppId));
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(request.critical ? 2 : 1)));
    if (request.sound && serverHas(QStringLiteral("sound")))
        hints.insert(QStringLiteral("sound-name"), request.soundName);
    if (!request.sound)
        hints.insert(QStringLiteral("suppress-sound"), true);
    QStringList actions;
    if (serverHas(QStringLiteral("actions"))) {
        actions << QStringLiteral("default") << QString();
        for (const auto& [key, label] : request.actions)
            actions << key << label;
    }
    QDBusMessage msg = methodCall(QStringLiteral("Notify"));
    msg << QStringLiteral("Lumora") << serverIds_.value(request.identifier, 0u)
        << QStringLiteral("org.lumora.Lumora") << request.title << request.body << actions << hints
        << int(request.critical ? 0 : -1);
    const QString identifier = request.identifier;
    closeWhenKnown_.remove(identifier);
    auto* watcher = new QDBusPendingCallWatcher(bus().asyncCall(msg, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, identifier](QDBusPendingCallWatcher* w) {
                QDBusPendingReply<uint> reply = *w;
                w->deleteLater();
                if (reply.isError())
                    return;
                serverIds_.insert(identifier, reply.value());
                if (closeWhenKnown_.remove(identifier))
                    close(identifier);
            });
}

void NotificationHelper::close(const QString& identifier)
{
    if (!bus().isConnected())
        return;
    const auto it = serverIds_.constFind(identifier);
    if (it == serverIds_.constEnd()) {
        // Still on its way to the server: close it once its id is known.
        closeWhenKnown_.insert(identifier);
        return;
    }
    QDBusMessage msg = methodCall(QStringLiteral("CloseNotification"));
    msg << it.value();
    auto* watcher = new QDBusPendingCallWatcher(bus().asyncCall(msg, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, watcher, &QObject::deleteLater);
}

QString NotificationHelper::identifierFor(uint serverId) const
{
    for (auto it = serverIds_.constBegin(); it != serverIds_.constEnd(); ++it) {
        if (it.value() == serverId)
            return it.key();
    }
    return {};
}

void NotificationHelper::onActivationToken(uint serverId, const QString& token)
{
    // Sent just before ActionInvoked for the same notification. Kept only
    // for our open notifications, one short token each, so nothing a
    // server sends can make it grow.
    if (token.size() > maxTokenLength || identifierFor(serverId).isEmpty())
        return;
    tokens_.insert(serverId, token);
}

void NotificationHelper::onActionInvoked(uint serverId, const QString& actionKey)
{
    const QString identifier = identifierFor(serverId);
    const QString token = tokens_.take(serverId);
    if (identifier.isEmpty())
        return;  // another application's notification
    Q_EMIT activated(identifier, actionKey, token);
}

void NotificationHelper::onClosed(uint serverId, uint reason)
{
    Q_UNUSED(reason);
    tokens_.remove(serverId);
    const QString identifier = identifierFor(serverId);
    if (!identifier.isEmpty())
        serverIds_.remove(identifier);
}
