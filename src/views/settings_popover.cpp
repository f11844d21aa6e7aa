#include "views/settings_popover.h"

#include "views/view_style.h"

#include <QHideEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

SettingsPopover::SettingsPopover(QWidget* parent) : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("settingsPopover"));
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(width, height);
}

void SettingsPopover::setContentFactory(ContentFactory factory)
{
    factory_ = std::move(factory);
}

QPoint SettingsPopover::placement(const QRect& anchor, const QRect& screen)
{
    QPoint at(anchor.right() + 1 - width, anchor.bottom() + 1 + gap);
    if (!screen.isEmpty()) {
        at.setX(qBound(screen.left(), at.x(), qMax(screen.left(), screen.right() + 1 - width)));
        // Not enough room below: open above the anchor instead.
        if (at.y() + height > screen.bottom() + 1 && anchor.top() - gap - height >= screen.top())
            at.setY(anchor.top() - gap - height);
        at.setY(qBound(screen.top(), at.y(), qMax(screen.top(), screen.bottom() + 1 - height)));
    }
    return at;
}

void SettingsPopover::openUnder(QWidget* anchor)
{
    // A disabled anchor (the gear while the alarm rings) opens nothing.
    if (isVisible() || !anchor->isEnabled())
        return;
    delete content_;
    content_ = factory_ ? factory_(this, [this] { hide(); }) : new QWidget(this);
    if (content_) {
        content_->setParent(this);
        content_->setGeometry(0, 0, width, height);
        content_->show();
    }
    const QRect anchorGlobal(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
    QScreen* screen = anchor->screen();
    move(placement(anchorGlobal, screen ? screen->availableGeometry() : QRect()));
    show();
    raise();
    activateWindow();
}

void SettingsPopover::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);
    p.fillPath(shape, palette().color(QPalette::Window));
    p.strokePath(shape, QPen(viewstyle::gray(palette(), 0.25), 1));
}

void SettingsPopover::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        Q_EMIT closed();
}
