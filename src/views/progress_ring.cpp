#include "views/progress_ring.h"

#include "timer/timer_manager.h"
#include "views/accessibility.h"
#include "views/view_style.h"

#include <QConicalGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

using namespace viewstyle;

ProgressRing::ProgressRing(QWidget* parent) : QWidget(parent)
{
    setFixedSize(side + 2 * bleed, side + 2 * bleed);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    glide_.setDuration(glideMs);
    glide_.setEasingCurve(QEasingCurve::Linear);
    connect(&glide_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        drawn_ = v.toDouble();
        update();
    });
}

ProgressRing::State ProgressRing::stateOf(const TimerManager& timer)
{
    return {timer.progress(), timer.remainingSeconds, timer.formattedDisplay(), timer.statusText(),
            timer.isRinging, timer.isRunning, timer.isPaused};
}

void ProgressRing::setState(const State& state)
{
    if (state == state_)
        return;
    const bool newSecond = state.remainingSeconds != state_.remainingSeconds;
    const double target = state.progress;
    state_ = state;
    accessibility::setName(this, state.display + QStringLiteral(", ") + state.status);
    glide_.stop();
    // Only a new second glides; a reset or a new start jumps, and a hidden
    // ring does not animate at all. Nor does a step too small to see (a
    // second of a long countdown moves the arc by a fraction of a pixel),
    // which would cost a stream of frames for nothing.
    const double stepPixels = (target - drawn_) * M_PI * side;
    if (newSecond && isVisible() && stepPixels >= minGlidePixels && target - drawn_ < 0.5) {
        glide_.setStartValue(drawn_);
        glide_.setEndValue(target);
        glide_.start();
    } else {
        drawn_ = target;
    }
    update();
}

QList<QColor> ProgressRing::ringGradientColors() const
{
    const QPalette& pal = palette();
    if (state_.ringing)
        return {red(pal), orange(pal), red(pal), red(pal)};
    return {QColor::fromRgbF(0, 0.48f, 1.0f), QColor::fromRgbF(0.55f, 0.2f, 0.9f), QColor::fromRgbF(0.95f, 0.15f, 0.4f),
            QColor::fromRgbF(0, 0.48f, 1.0f)};
}

QColor ProgressRing::statusDotColor() const
{
    const QPalette& pal = palette();
    if (state_.ringing)
        return red(pal);
    if (state_.paused)
        return orange(pal);
    if (state_.running)
        return green(pal);
    return gray(pal);
}

void ProgressRing::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const QRectF circle = frame();

    p.setPen(QPen(gray(pal, 0.1), lineWidth, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(circle);

    if (drawn_ > 0) {
        const int startAngle = 90 * 16;
        const int span = -qRound(drawn_ * 360 * 16);
        // A soft violet shadow under the arc: widening faint strokes.
        const QColor shadow = QColor::fromRgbF(0.4f, 0.2f, 0.9f, 0.25f);
        for (int i = 5; i >= 1; --i) {
            p.setPen(QPen(withAlpha(shadow, 0.3 / i), lineWidth + 2 * i, Qt::SolidLine, Qt::RoundCap));
            p.drawArc(circle, startAngle, span);
        }
        // Qt's conical gradient runs counter-clockwise; ours runs clockwise
        // from the top, so the colours go in reverse from 90 degrees.
        const QList<QColor> colours = ringGradientColors();
        QConicalGradient gradient(circle.center(), 90);
        const int n = int(colours.size());
        for (int i = 0; i < n; ++i)
            gradient.setColorAt(1.0 - double(i) / (n - 1), colours.at(i));
        QPen arc(QBrush(gradient), lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin);
        arc.setMiterLimit(10);
        p.setPen(arc);
        if (drawn_ >= 1.0)
            p.drawArc(circle, startAngle, -360 * 16);
        else
            p.drawArc(circle, startAngle, span);
    }

    // Read-out: one line, shrunk (to 0.4 at most) to fit 110 pixels.
    QFont digits = digitsFont(34, QFont::Medium);
    readout_.set(state_.display, digits, this);
    if (readout_.width() > readoutMaxWidth) {
        const double scale = qMax(0.4, double(readoutMaxWidth) / readout_.width());
        digits.setPixelSize(qMax(1, int(34 * scale)));
        readout_.set(state_.display, digits, this);
    }
    const QFontMetrics dm(digits);
    const QFont statusFont = viewstyle::font(10, QFont::Medium);
    const QFontMetrics sm(statusFont);
    const int spacing = 2;
    const int blockHeight = dm.height() + spacing + sm.height();
    const qreal top = (height() - blockHeight) / 2.0;

    p.setPen(state_.ringing ? red(pal) : primary(pal));
    readout_.draw(p, QRectF((width() - readoutMaxWidth) / 2.0, top, readoutMaxWidth, dm.height()), Qt::AlignCenter);

    const int dot = 5;
    status_.set(state_.status, statusFont, this);
    const int statusWidth = status_.width();
    const qreal lineTop = top + dm.height() + spacing;
    const qreal x = (width() - (dot + 4 + statusWidth)) / 2.0;
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(statusDotColor(), state_.running ? 1.0 : 0.35));
    p.drawEllipse(QRectF(x, lineTop + (sm.height() - dot) / 2.0, dot, dot));
    p.setPen(secondary(pal));
    status_.draw(p, QRectF(x + dot + 4, lineTop, statusWidth + 1, sm.height()), Qt::AlignVCenter | Qt::AlignLeft);
}
