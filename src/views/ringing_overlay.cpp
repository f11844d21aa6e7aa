#include "views/ringing_overlay.h"

#include "localization/localization_manager.h"
#include "timer/timer_manager.h"
#include "views/accessibility.h"
#include "views/flat_button.h"
#include "views/symbol.h"
#include "views/view_style.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

using namespace viewstyle;

namespace {
constexpr int windowMargin = 24;
constexpr int cardPadding = 32;
constexpr int spacing = 14;
constexpr int bellSide = 48;
constexpr int bellBox = 58;
constexpr int buttonHeight = 38;

QFont titleFont()
{
    return viewstyle::font(26, QFont::Bold);
}
QFont subtitleFont()
{
    return viewstyle::font(13);
}
}  // namespace

RingingOverlay::RingingOverlay(TimerManager& timer, LocalizationManager& l10n, QWidget* parent)
    : QWidget(parent), timer_(timer), l10n_(l10n)
{
    setObjectName(QStringLiteral("ringingOverlay"));
    // Clicks on the backdrop stay here: nothing under it can be pressed.
    setAttribute(Qt::WA_NoMousePropagation);
    // It holds the keyboard itself while its buttons are still on their way.
    setFocusPolicy(Qt::ClickFocus);
    const auto makeButton = [this](const char* name, const QString& symbolName, FlatButton::Tint tint) {
        auto* b = new FlatButton(FlatButton::Look::prominent, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setTint(tint);
        b->setSymbol(symbolName, 13);
        b->setTextFont(viewstyle::font(13, QFont::DemiBold));
        return b;
    };
    restart_ = makeButton("ring.restart", QStringLiteral("arrow.clockwise"), FlatButton::Tint::accent);
    stop_ = makeButton("ring.stop", QStringLiteral("bell.slash.fill"), FlatButton::Tint::red);
    connect(restart_, &FlatButton::clicked, this, [this] {
        timer_.stopRinging();
        timer_.start();
    });
    connect(stop_, &FlatButton::clicked, this, [this] {
        timer_.stopRinging();
        timer_.reset();
    });

    transition_.setDuration(transitionMs);
    transition_.setEasingCurve(QEasingCurve::InOutQuad);
    connect(&transition_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        fade_ = v.toDouble();
        update();
    });
    connect(&transition_, &QVariantAnimation::finished, this, &RingingOverlay::finishTransition);

    // One period is out and back: 0.6 s up to the peak, 0.6 s down again.
    pulse_.setStartValue(0.0);
    pulse_.setEndValue(1.0);
    pulse_.setDuration(2 * pulseHalfMs);
    pulse_.setLoopCount(-1);
    connect(&pulse_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        const double t = v.toDouble();
        const double leg = t < 0.5 ? 2 * t : 2 - 2 * t;
        const double eased = 0.5 - 0.5 * std::cos(leg * M_PI);
        bellScale_ = 1.0 + (pulsePeak - 1.0) * eased;
        update(bellRect().adjusted(-8, -8, 8, 8).toAlignedRect());
    });

    hide();
    sync();
}

void RingingOverlay::sync()
{
    title_ = l10n_.localized("ring.title");
    subtitle_ = l10n_.localized("ring.subtitle");
    // Read out as an alert when the card shows, in the current language.
    accessibility::setName(this, title_);
    accessibility::setDescription(this, subtitle_);
    restart_->setLabel(l10n_.localized("ring.restart"));
    stop_->setLabel(l10n_.localized("ring.stop"));
    const bool withRestart = timer_.showRestartOnExpire();
    if (snapshot_.isNull() && restart_->isHidden() == withRestart)
        restart_->setVisible(withRestart);
    layoutCard();
    setShown(timer_.isRinging);
    update();
}

void RingingOverlay::setShown(bool shown)
{
    if (shown_ == shown)
        return;
    shown_ = shown;
    transition_.stop();
    if (shown) {
        bellScale_ = 1.0;
        pulse_.start();
        raise();
    } else {
        pulse_.stop();
        bellScale_ = 1.0;
    }
    // Off screen there is nothing to animate.
    if (!window()->isVisible()) {
        fade_ = shown ? 1 : 0;
        finishTransition();
        announce();
        return;
    }
    // The whole overlay glides as one picture; its buttons join at the end.
    fade_ = 1;
    layoutCard();
    snapshot_ = grab();
    stop_->hide();
    restart_->hide();
    setVisible(true);
    transition_.setStartValue(shown ? 0.0 : 1.0);
    transition_.setEndValue(shown ? 1.0 : 0.0);
    fade_ = shown ? 0.0 : 1.0;
    transition_.start();
    announce();
}

void RingingOverlay::announce()
{
    // Screen readers speak an alert's name and description when it shows.
    if (!shown_)
        return;
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void RingingOverlay::finishTransition()
{
    snapshot_ = QPixmap();
    fade_ = shown_ ? 1 : 0;
    stop_->show();
    restart_->setVisible(timer_.showRestartOnExpire());
    setVisible(shown_);
    if (shown_) {
        layoutCard();
        if (hasFocus())
            defaultButton()->setFocus(focusReason_);
    }
    update();
}

FlatButton* RingingOverlay::defaultButton() const
{
    return timer_.showRestartOnExpire() ? restart_ : stop_;
}

QList<FlatButton*> RingingOverlay::focusableButtons() const
{
    QList<FlatButton*> buttons;
    for (FlatButton* b : {restart_, stop_})
        if (b->isVisibleTo(this) && b->isEnabled())
            buttons.append(b);
    return buttons;
}

void RingingOverlay::takeFocus(Qt::FocusReason reason)
{
    focusReason_ = reason;
    FlatButton* target = defaultButton();
    if (target->isVisibleTo(this))
        target->setFocus(reason);
    else
        setFocus(reason);
}

void RingingOverlay::keyPressEvent(QKeyEvent* event)
{
    // The card itself has the focus only during its transition.
    const int key = event->key();
    if (shown_ && event->modifiers() == Qt::NoModifier
        && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        defaultButton()->click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void RingingOverlay::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutCard();
}

void RingingOverlay::layoutCard()
{
    // Laid out when it is about to be seen: measuring its large title would
    // otherwise load a font on the way to the window's first frame.
    if (!shown_ && isHidden())
        return;
    const int inner = width() - 2 * windowMargin - 2 * cardPadding;
    const int contentHeight = bellBox + spacing + QFontMetrics(titleFont()).height() + spacing
                              + QFontMetrics(subtitleFont()).height() + spacing + buttonHeight;
    const int cardHeight = contentHeight + 2 * cardPadding;
    card_ = QRect(windowMargin, (height() - cardHeight) / 2, width() - 2 * windowMargin, cardHeight);
    const int buttonsTop = card_.bottom() + 1 - cardPadding - buttonHeight;
    const int left = card_.left() + cardPadding;
    const bool both = timer_.showRestartOnExpire();
    if (both) {
        const int w = (inner - 10) / 2;
        restart_->setGeometry(left, buttonsTop, w, buttonHeight);
        stop_->setGeometry(left + w + 10, buttonsTop, inner - w - 10, buttonHeight);
    } else {
        stop_->setGeometry(left, buttonsTop, inner, buttonHeight);
    }
}

QRectF RingingOverlay::bellRect() const
{
    return QRectF(card_.left(), card_.top() + cardPadding, card_.width(), bellBox);
}

void RingingOverlay::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!snapshot_.isNull()) {
        const double scale = 0.95 + 0.05 * fade_;
        p.setOpacity(fade_);
        p.translate(width() / 2.0, height() / 2.0);
        p.scale(scale, scale);
        p.translate(-width() / 2.0, -height() / 2.0);
        p.drawPixmap(rect(), snapshot_);
        return;
    }
    paintContent(p);
}

void RingingOverlay::paintContent(QPainter& p)
{
    const QPalette& pal = palette();
    p.fillRect(rect(), QColor::fromRgbF(0, 0, 0, 0.18f));

    // The card's shadow: black at 0.1, soft, five pixels down.
    const QRectF card = QRectF(card_);
    for (int i = 7; i >= 1; --i) {
        QPainterPath halo;
        const qreal grow = i * 2.0;
        halo.addRoundedRect(card.translated(0, 5).adjusted(-grow, -grow, grow, grow), 22 + grow, 22 + grow);
        p.fillPath(halo, QColor::fromRgbF(0, 0, 0, float(0.1 / 7 * (8 - i) / 4)));
    }
    QPainterPath shape;
    shape.addRoundedRect(card, 22, 22);
    p.fillPath(shape, withAlpha(pal.color(QPalette::Window), 0.94));
    p.strokePath(shape, QPen(gray(pal, 0.12), 1));

    const QRectF bell = bellRect();
    p.save();
    p.translate(bell.center());
    p.scale(bellScale_, bellScale_);
    p.translate(-bell.center());
    symbol::paint(p, bell, QStringLiteral("bell.badge.fill"), bellSide, red(pal));
    p.restore();

    qreal y = bell.bottom() + spacing;
    const QRectF textBox(card.left() + 8, y, card.width() - 16, QFontMetrics(titleFont()).height());
    p.setFont(titleFont());
    p.setPen(red(pal));
    p.drawText(textBox, Qt::AlignCenter, title_);
    y = textBox.bottom() + spacing;
    p.setFont(subtitleFont());
    p.setPen(secondary(pal));
    p.drawText(QRectF(card.left() + 8, y, card.width() - 16, QFontMetrics(subtitleFont()).height()), Qt::AlignCenter,
               subtitle_);
}
