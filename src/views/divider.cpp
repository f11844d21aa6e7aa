#include "views/divider.h"

#include "views/view_style.h"

#include <QPainter>

Divider::Divider(int indent, QWidget* parent) : QWidget(parent), indent_(indent)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(QRect(indent_, 0, width() - indent_, 1), viewstyle::gray(palette(), 0.22));
}
