#include "views/flat_button.h"

#include "views/symbol.h"
#include "views/view_style.h"

#include <QPainter>
#include <QPainterPath>

using namespace viewstyle;

namespace {
constexpr int iconSpacing = 5;
constexpr int detailSpacing = 2;
}  // namespace

FlatButton::FlatButton(Look look, QWidget* parent)
    : FocusButton(parent), look_(look), textFont_(viewstyle::font(12)), detailFont_(viewstyle::font(11))
{
    if (look == Look::stepper)
        hPadding_ = 0;
}

void FlatButton::setTint(Tint tint)
{
    if (tint_ == tint)
        return;
    tint_ = tint;
    update();
}

void FlatButton::setSymbol(const QString& name, int side)
{
    if (symbol_ == name && symbolSide_ == side)
        return;
    symbol_ = name;
    symbolSide_ = side;
    updateGeometry();
    update();
}

void FlatButton::setDetail(const QString& detail)
{
    if (detail_ == detail)
        return;
    detail_ = detail;
    updateGeometry();
    update();
}

void FlatButton::setTextFont(const QFont& font)
{
    if (textFont_ == font)
        return;
    textFont_ = font;
    updateGeometry();
    update();
}

void FlatButton::setDetailFont(const QFont& font)
{
    if (detailFont_ == font)
        return;
    detailFont_ = font;
    updateGeometry();
    update();
}

void FlatButton::setSelected(bool selected)
{
    if (isChoice())
        setChosen(selected);
    if (selected_ == selected)
        return;
    selected_ = selected;
    update();
}

void FlatButton::setMinimumContentHeight(int height)
{
    minContentHeight_ = height;
    updateGeometry();
}

void FlatButton::setHorizontalPadding(int padding)
{
    hPadding_ = padding;
    updateGeometry();
}

void FlatButton::setLabel(const QString& label)
{
    if (text() != label) {
        setText(label);
        updateGeometry();
    }
    // A new text already tells assistive technology of the new name (the
    // button's text is its name); a second announcement would repeat it.
    const QString name = detail_.isEmpty() ? QString() : label + QLatin1Char(' ') + detail_;
    if (accessibleName() != name)
        setAccessibleName(name);
}

const ShapedText& FlatButton::shapedText() const
{
    textShape_.set(text(), textFont_, this);
    return textShape_;
}

const ShapedText& FlatButton::shapedDetail() const
{
    detailShape_.set(detail_, detailFont_, this);
    return detailShape_;
}

int FlatButton::contentWidth() const
{
    int w = 0;
    if (!symbol_.isEmpty())
        w += symbolSide_;
    if (!text().isEmpty())
        w += (w ? iconSpacing : 0) + shapedText().width();
    if (!detail_.isEmpty())
        w += detailSpacing + shapedDetail().width();
    return w;
}

QSize FlatButton::sizeHint() const
{
    const int textHeight = text().isEmpty() ? 0 : QFontMetrics(textFont_).height();
    const int h = qMax(qMax(textHeight, symbolSide_) + (look_ == Look::segment ? 10 : 8), minContentHeight_);
    return {contentWidth() + 2 * hPadding_, h};
}

QSize FlatButton::minimumSizeHint() const
{
    return sizeHint();
}

qreal FlatButton::radius(const QRectF& shape) const
{
    switch (look_) {
    case Look::chip:
    case Look::segment:
        return shape.height() / 2;
    case Look::card:
        return 7;
    case Look::stepper:
        return 5;
    case Look::icon:
        return shape.height() / 2;
    default:
        return 7;
    }
}

FlatButton::Ink FlatButton::ink() const
{
    const QPalette& pal = palette();
    const bool enabled = isEnabled();
    const bool down = isDown();
    const bool hover = underMouse() && enabled;
    const QColor tint = tint_ == Tint::red ? red(pal) : accent(pal);
    const QColor clear(Qt::transparent);
    switch (look_) {
    case Look::prominent: {
        QColor fill = enabled ? tint : withAlpha(tint, 0.4);
        if (down)
            fill = fill.darker(115);
        else if (hover)
            fill = fill.lighter(108);
        return {fill, clear, enabled ? QColor(Qt::white) : withAlpha(Qt::white, 0.75), clear};
    }
    case Look::bordered:
        return {gray(pal, down ? 0.26 : hover ? 0.19 : enabled ? 0.14 : 0.07), gray(pal, enabled ? 0.12 : 0.06),
                enabled ? primary(pal) : tertiary(pal), clear};
    case Look::stepper:
        return {gray(pal, down ? 0.26 : hover ? 0.19 : enabled ? 0.14 : 0.06), gray(pal, enabled ? 0.12 : 0.06),
                enabled ? primary(pal) : secondary(pal), clear};
    case Look::chip:
        return {gray(pal, down ? 0.18 : hover ? 0.13 : enabled ? 0.08 : 0.04), gray(pal, enabled ? 0.1 : 0.05),
                enabled ? secondary(pal) : tertiary(pal), clear};
    case Look::segment:
        if (selected_)
            return {enabled ? accent(pal) : withAlpha(accent(pal), 0.55), clear, QColor(Qt::white), clear};
        return {hover ? gray(pal, 0.1) : clear, clear, enabled ? secondary(pal) : tertiary(pal), clear};
    case Look::card:
        if (selected_)
            return {accent(pal), clear, QColor(Qt::white), withAlpha(accent(pal), 0.2)};
        return {gray(pal, down ? 0.18 : hover ? 0.12 : 0.08), gray(pal, 0.1), primary(pal), clear};
    case Look::icon:
        return {down ? gray(pal, 0.2) : hover ? gray(pal, 0.12) : clear, clear,
                enabled ? secondary(pal) : tertiary(pal), clear};
    }
    return {};
}

void FlatButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const Ink c = ink();
    // Fills cover whole pixels; the hairline runs on the middle of the
    // outermost ones (a card's shadow is its grid's to draw, outside it).
    const QRectF shape = QRectF(rect());
    const qreal r = radius(shape);

    QPainterPath path;
    path.addRoundedRect(shape, r, r);
    if (c.fill.alpha() > 0)
        p.fillPath(path, c.fill);
    if (c.stroke.alpha() > 0) {
        QPainterPath inner;
        inner.addRoundedRect(shape.adjusted(0.5, 0.5, -0.5, -0.5), r - 0.5, r - 0.5);
        p.strokePath(inner, QPen(c.stroke, 1));
    }
    if (showsFocusRing()) {
        // A filled control gets the accent ring at its edge with a gap of
        // window colour inside, so the ring stands out against the fill as
        // well as against the window in both themes.
        QPainterPath ring;
        ring.addRoundedRect(shape.adjusted(1, 1, -1, -1), r - 1, r - 1);
        p.strokePath(ring, QPen(accent(palette()), 2));
        if (look_ == Look::prominent || selected_) {
            QPainterPath gap;
            gap.addRoundedRect(shape.adjusted(3, 3, -3, -3), qMax<qreal>(r - 3, 0), qMax<qreal>(r - 3, 0));
            p.strokePath(gap, QPen(palette().color(QPalette::Window), 2));
        }
    }

    // Symbol, text and detail as one centred row.
    const int w = contentWidth();
    qreal x = (width() - w) / 2.0;
    const QRectF box = QRectF(rect());
    if (!symbol_.isEmpty()) {
        symbol::paint(p, QRectF(x, box.top(), symbolSide_, box.height()), symbol_, symbolSide_, c.text);
        x += symbolSide_ + iconSpacing;
    }
    p.setPen(c.text);
    if (!text().isEmpty()) {
        const ShapedText& shaped = shapedText();
        shaped.draw(p, QRectF(x, box.top(), shaped.width() + 1, box.height()), Qt::AlignVCenter | Qt::AlignLeft);
        x += shaped.width() + detailSpacing;
    }
    if (!detail_.isEmpty())
        shapedDetail().draw(p, QRectF(x, box.top(), w, box.height()), Qt::AlignVCenter | Qt::AlignLeft);
}
