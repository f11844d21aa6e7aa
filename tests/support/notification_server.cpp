#include "support/notification_server.h"

namespace {
const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
}  // namespace

NotificationServer::NotificationServer(QDBusConnection bus, QStringList capabilities)
    : bus_(std::move(bus)), capabilities_(std::move(capabilities))
{
    registered_ = bus_.registerObject(kPath, this,
                                      QDBusConnection::ExportScriptableSlots |
                                          QDBusConnection::ExportScriptableSignals) &&
                  bus_.registerService(kService);
}

NotificationServer::~NotificationServer()
{
    bus_.unregisterService(kService);
    bus_.unregisterObject(kPath);
}

QStringList NotificationServer::defaultCapabilities()
{
    return {QStringLiteral("body"), QStringLiteral("actions"), QStringLiteral("sound")};
}

bool NotificationServer::misbehave()
{
    if (behaviour == Behaviour::error) {
        sendErrorReply(QDBusError::Failed, QStringLiteral("refused"));
        return true;
    }
    if (behaviour == Behaviour::silent) {
        setDelayedReply(true);
        unanswered_.push_back(message());
        return true;
    }
    return false;
}

uint NotificationServer::Notify(const QString& appName, uint replacesId, const QString&,
                                const QString& summary, const QString& body,
                                const QStringList& actions, const QVariantMap& hints, int timeout)
{
    const uint id = replacesId ? replacesId : nextId_++;
    received.push_back({appName, replacesId, summary, body, actions, hints, timeout, id});
    if (misbehave())
        return 0;
    return id;
}

void NotificationServer::CloseNotification(uint id)
{
    closed.push_back(id);
    if (misbehave())
        return;
    Q_EMIT NotificationClosed(id, 3);
}

QStringList NotificationServer::GetCapabilities()
{
    ++capabilityQueries;
    if (misbehave())
        return {};
    return capabilities_;
}

void NotificationServer::invokeAction(uint id, const QString& key, const QString& token)
{
    if (!token.isEmpty())
        Q_EMIT ActivationToken(id, token);
    Q_EMIT ActionInvoked(id, key);
}
