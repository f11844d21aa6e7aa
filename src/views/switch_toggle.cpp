#include "views/switch_toggle.h"

#include "views/view_style.h"

#include <QPainter>
#include <QPainterPath>

using namespace viewstyle;

SwitchToggle::SwitchToggle(QWidget* parent) : FocusButton(parent)
{
    setCheckable(true);
    setFixedSize(width, height);
}

void SwitchToggle::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette pal = palette();
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal r = track.height() / 2;
    QColor fill = isChecked() ? accent(pal) : gray(pal, isDark(pal) ? 0.45 : 0.32);
    if (!isEnabled())
        fill = withAlpha(fill, 0.45);
    QPainterPath shape;
    shape.addRoundedRect(track, r, r);
    p.fillPath(shape, fill);
    if (showsFocusRing())
        p.strokePath(shape, QPen(withAlpha(accent(pal), 0.75), 2));

    const qreal knob = height - 4;
    const qreal x = isChecked() ? width - 2 - knob : 2;
    const QRectF knobRect(x, 2, knob, knob);
    p.setPen(QPen(withAlpha(Qt::black, 0.12), 0.5));
    p.setBrush(Qt::white);
    p.drawEllipse(knobRect);
}
