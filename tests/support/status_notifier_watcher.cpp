#include "support/status_notifier_watcher.h"

namespace {
const QString kService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kPath = QStringLiteral("/StatusNotifierWatcher");
}  // namespace

StatusNotifierWatcher::StatusNotifierWatcher(QDBusConnection bus, Behaviour behaviour)
    : bus_(std::move(bus)), behaviour_(behaviour)
{
    registered_ =
        bus_.registerObject(
            kPath, this, QDBusConnection::ExportScriptableContents | QDBusConnection::ExportAllProperties) &&
        bus_.registerService(kService);
}

StatusNotifierWatcher::~StatusNotifierWatcher()
{
    bus_.unregisterService(kService);
    bus_.unregisterObject(kPath);
}

void StatusNotifierWatcher::RegisterStatusNotifierItem(const QString& service)
{
    items.append(service);
    if (behaviour_ == Behaviour::silent) {
        setDelayedReply(true);
        unanswered_.push_back(message());
        return;
    }
    Q_EMIT StatusNotifierItemRegistered(service);
}

void StatusNotifierWatcher::announceHost()
{
    hostRegistered = true;
    Q_EMIT StatusNotifierHostRegistered();
}
