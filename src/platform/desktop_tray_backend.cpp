#include "platform/desktop_tray_backend.h"

#include "build_config.h"
#include "platform/status_notifier_backend.h"
#include "platform/system_tray_backend.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMenu>

namespace {
constexpr int nameQueryTimeoutMs = 2000;
}

DesktopTrayBackend::DesktopTrayBackend(QDBusConnection bus, Factory makeStatusNotifier, Factory makeFallback,
                                       QObject* parent)
    : TrayBackend(parent), bus_(std::move(bus)), makeStatusNotifier_(std::move(makeStatusNotifier)),
      makeFallback_(std::move(makeFallback)),
      watcher_(StatusNotifierBackend::watcherService, bus_, QDBusServiceWatcher::WatchForRegistration)
{
    connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, this, [this] { use(Kind::statusNotifier); });
    if (!bus_.isConnected()) {
        use(Kind::fallback);
        return;
    }
    // Asked of the bus itself, never of the watcher, and without waiting.
    QDBusMessage query = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                        QStringLiteral("/org/freedesktop/DBus"),
                                                        QStringLiteral("org.freedesktop.DBus"),
                                                        QStringLiteral("NameHasOwner"));
    query << StatusNotifierBackend::watcherService;
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(query, nameQueryTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (kind_ != Kind::undecided)
            return;
        const QDBusPendingReply<bool> reply = *w;
        use(!reply.isError() && reply.value() ? Kind::statusNotifier : Kind::fallback);
    });
}

DesktopTrayBackend::~DesktopTrayBackend() = default;

std::unique_ptr<TrayBackend> DesktopTrayBackend::forSession()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return std::make_unique<DesktopTrayBackend>(
        bus,
        [bus] {
            return std::make_unique<StatusNotifierBackend>(bus, QString::fromUtf8(lumora::build::kAppId));
        },
        [] { return std::make_unique<SystemTrayBackend>(); });
}

void DesktopTrayBackend::use(Kind kind)
{
    if (kind == kind_ || kind_ == Kind::statusNotifier)
        return;
    std::unique_ptr<TrayBackend> next = kind == Kind::statusNotifier ? makeStatusNotifier_() : makeFallback_();
    if (!next)
        return;
    kind_ = kind;
    // The old item leaves the panel before the new one arrives.
    active_ = std::move(next);
    connect(active_.get(), &TrayBackend::clicked, this, &TrayBackend::clicked);
    active_->setMenu(menu_);
    active_->setTitle(title_);
    active_->setTitleGuide(guide_);
    if (hasProgress_)
        active_->setProgress(state_, fraction_);
    if (shown_)
        active_->show();
    Q_EMIT kindChanged(kind_);
}

bool DesktopTrayBackend::isAvailable() const
{
    // Undecided only until the bus answers, a moment after start.
    return active_ ? active_->isAvailable() : true;
}

void DesktopTrayBackend::show()
{
    shown_ = true;
    if (active_)
        active_->show();
}

void DesktopTrayBackend::setTitle(const QString& title)
{
    title_ = title;
    if (active_)
        active_->setTitle(title);
}

void DesktopTrayBackend::setTitleGuide(const QString& guide)
{
    guide_ = guide;
    if (active_)
        active_->setTitleGuide(guide);
}

void DesktopTrayBackend::setProgress(TrayState state, double remainingFraction)
{
    hasProgress_ = true;
    state_ = state;
    fraction_ = remainingFraction;
    if (active_)
        active_->setProgress(state, remainingFraction);
}

void DesktopTrayBackend::setMenu(QMenu* menu)
{
    menu_ = menu;
    if (active_)
        active_->setMenu(menu);
}
