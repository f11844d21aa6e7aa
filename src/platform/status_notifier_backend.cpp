#include "platform/status_notifier_backend.h"

#include "platform/dbus_menu_adaptor.h"
#include "platform/status_notifier_item_adaptor.h"

#include <QCursor>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QMenu>
#include <QTimer>
#include <QtEndian>

StatusNotifierBackend::StatusNotifierBackend(QDBusConnection bus, QString id, QObject* parent)
    : TrayBackend(parent), bus_(std::move(bus)),
      watcher_(watcherService, bus_, QDBusServiceWatcher::WatchForOwnerChange)
{
    registerDBusTrayTypes();
    StatusNotifierItemAdaptor::Calls calls;
    calls.activate = [this] { Q_EMIT clicked(Click::primary); };
    calls.secondaryActivate = [this] { Q_EMIT clicked(Click::middle); };
    // After the reply, so the panel is not kept waiting while the menu opens.
    calls.contextMenu = [this] { QTimer::singleShot(0, this, &StatusNotifierBackend::popUpMenu); };
    item_ = new StatusNotifierItemAdaptor(&itemObject_, std::move(id), QDBusObjectPath(menuPath),
                                          std::move(calls));
    menuAdaptor_ = new DBusMenuAdaptor(&menuObject_, bus_);

    connect(&watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                // A watcher that went away forgot us; a new one has to be told.
                setRegistered(false);
                if (!newOwner.isEmpty())
                    registerWithWatcher();
            });
    setProgress(TrayState::idle, 1.0);
}

StatusNotifierBackend::~StatusNotifierBackend()
{
    if (exported_) {
        bus_.unregisterObject(itemPath);
        bus_.unregisterObject(menuPath);
    }
}

bool StatusNotifierBackend::isAvailable() const
{
    // Exported and waiting for a panel counts: the item shows as soon as a
    // watcher comes back.
    return bus_.isConnected();
}

void StatusNotifierBackend::show()
{
    if (!exported_) {
        // Only the adaptors' interfaces: nothing else of these objects is reachable.
        const bool item = bus_.registerObject(itemPath, &itemObject_, QDBusConnection::ExportAdaptors);
        const bool menu = bus_.registerObject(menuPath, &menuObject_, QDBusConnection::ExportAdaptors);
        exported_ = item && menu;
        if (!exported_) {
            bus_.unregisterObject(itemPath);
            bus_.unregisterObject(menuPath);
            return;
        }
    }
    registerWithWatcher();
}

void StatusNotifierBackend::registerWithWatcher()
{
    if (!exported_)
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(watcherService, watcherPath, watcherService,
                                                       QStringLiteral("RegisterStatusNotifierItem"));
    // The unique name: the watcher then looks for the item at /StatusNotifierItem.
    call << bus_.baseService();
    const quint64 attempt = ++attempt_;
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(call, callTimeoutMs), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, attempt](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (attempt == attempt_)
            setRegistered(!w->isError());
    });
}

void StatusNotifierBackend::setRegistered(bool registered)
{
    if (registered == registered_)
        return;
    registered_ = registered;
    Q_EMIT registeredChanged(registered);
}

void StatusNotifierBackend::setTitle(const QString& title)
{
    item_->setTitle(title);
}

void StatusNotifierBackend::setTitleGuide(const QString& guide)
{
    item_->setLabelGuide(guide);
}

void StatusNotifierBackend::setProgress(TrayState state, double remainingFraction)
{
    const TrayRingPicture next = TrayRingPicture::of(state, remainingFraction);
    if (picture_ == next)
        return;
    picture_ = next;
    item_->setIcon(pixmapsOf(next));
    // A ringing alarm asks the panel for attention.
    item_->setStatus(state == TrayState::ringing ? QStringLiteral("NeedsAttention")
                                                 : QStringLiteral("Active"));
}

void StatusNotifierBackend::setMenu(QMenu* menu)
{
    menu_ = menu;
    menuAdaptor_->setMenu(menu);
}

void StatusNotifierBackend::popUpMenu()
{
    if (menu_)
        menu_->popup(QCursor::pos());
}

DBusImageList StatusNotifierBackend::pixmapsOf(const TrayRingPicture& picture)
{
    DBusImageList out;
    for (int size : iconSizes) {
        const QImage image = picture.render(size).convertToFormat(QImage::Format_ARGB32);
        DBusImage pixmap{image.width(), image.height(),
                         QByteArray(qsizetype(image.width()) * image.height() * 4, '\0')};
        auto* to = reinterpret_cast<uchar*>(pixmap.pixels.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x, to += 4)
                qToBigEndian<quint32>(line[x], to);
        }
        out.append(pixmap);
    }
    return out;
}
