#include "platform/desktop_tray_backend.h"

#include "build_config.h"
#include "platform/status_notifier_backend.h"
#include "platform/system_tray_backend.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QMenu>

namespace {
constexpr int queryTimeoutMs = 2000;
}  // namespace

DesktopTrayBackend::DesktopTrayBackend(QDBusConnection bus, Factory makeStatusNotifier, Factory makeFallback,
                                       QObject* parent)
    : TrayBackend(parent), bus_(std::move(bus)), makeStatusNotifier_(std::move(makeStatusNotifier)),
      makeFallback_(std::move(makeFallback)),
      watcher_(StatusNotifierBackend::watcherService, bus_, QDBusServiceWatcher::WatchForRegistration)
{
    if (!bus_.isConnected()) {
        use(Kind::fallback);
        return;
    }
    connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, this, &DesktopTrayBackend::askWatcher);
    // From any sender: naming the watcher would make QtDBus look up its owner
    // with a blocking call, and a forged signal could only move the item to
    // the watcher.
    bus_.connect(QString(), StatusNotifierBackend::watcherPath, StatusNotifierBackend::watcherService,
                 QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(hostRegistered()));
    askWatcher();
}

DesktopTrayBackend::~DesktopTrayBackend() = default;

void DesktopTrayBackend::askWatcher()
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        StatusNotifierBackend::watcherService, StatusNotifierBackend::watcherPath,
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << StatusNotifierBackend::watcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    // Without a watcher the bus answers at once; nothing is started for it.
    get.setAutoStartService(false);
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(get, queryTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *w;
        Kind answer = Kind::statusNotifier;
        if (!reply.isError()) {
            // A watcher without a panel behind it shows nothing: the X11
            // tray may still be there.
            answer = reply.value().variant().toBool() ? Kind::statusNotifier : Kind::fallback;
        } else if (reply.error().type() == QDBusError::ServiceUnknown ||
                   reply.error().name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")) {
            answer = Kind::fallback;
        }
        // Any other failure means a watcher that is there but slow or odd:
        // our item copes with it, QSystemTrayIcon would wait for it.
        if (answer == Kind::statusNotifier || kind_ == Kind::undecided)
            use(answer);
    });
}

void DesktopTrayBackend::hostRegistered()
{
    use(Kind::statusNotifier);
}

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
    std::unique_ptr<TrayBackend> next =
        kind == Kind::statusNotifier ? makeStatusNotifier_() : makeFallback_();
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
