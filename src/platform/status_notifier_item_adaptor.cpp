#include "platform/status_notifier_item_adaptor.h"

StatusNotifierItemAdaptor::StatusNotifierItemAdaptor(QObject* host, QString id, QDBusObjectPath menu,
                                                     Calls calls)
    : QDBusAbstractAdaptor(host), id_(std::move(id)), menu_(std::move(menu)), calls_(std::move(calls))
{
    // Signals go out only when this adaptor emits them, never relayed from the host.
    setAutoRelaySignals(false);
}

DBusToolTip StatusNotifierItemAdaptor::toolTip() const
{
    // Pictures stay out of the tooltip: the icon beside it already shows the ring.
    return DBusToolTip{{}, {}, title_, {}};
}

bool StatusNotifierItemAdaptor::setTitle(const QString& title)
{
    if (title == title_)
        return false;
    title_ = title;
    Q_EMIT NewTitle();
    Q_EMIT NewToolTip();
    Q_EMIT XAyatanaNewLabel(title_, guide_);
    return true;
}

bool StatusNotifierItemAdaptor::setLabelGuide(const QString& guide)
{
    if (guide == guide_)
        return false;
    guide_ = guide;
    Q_EMIT XAyatanaNewLabel(title_, guide_);
    return true;
}

bool StatusNotifierItemAdaptor::setIcon(const DBusImageList& icon)
{
    if (icon == icon_)
        return false;
    icon_ = icon;
    Q_EMIT NewIcon();
    Q_EMIT NewAttentionIcon();
    return true;
}

bool StatusNotifierItemAdaptor::setStatus(const QString& status)
{
    if (status == status_)
        return false;
    status_ = status;
    Q_EMIT NewStatus(status_);
    return true;
}

void StatusNotifierItemAdaptor::Activate(int, int)
{
    if (calls_.activate)
        calls_.activate();
}

void StatusNotifierItemAdaptor::SecondaryActivate(int, int)
{
    if (calls_.secondaryActivate)
        calls_.secondaryActivate();
}

void StatusNotifierItemAdaptor::ContextMenu(int, int)
{
    if (calls_.contextMenu)
        calls_.contextMenu();
}

void StatusNotifierItemAdaptor::Scroll(int, const QString&)
{
    // Scrolling over the item has no meaning for a countdown.
}
