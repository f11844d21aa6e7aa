#include "views/shaped_text.h"

#include <QPaintDevice>
#include <QPainter>
#include <QRectF>
#include <QTextLine>

void ShapedText::set(const QString& text, const QFont& font, const QPaintDevice* device)
{
    const int dpi = device ? device->logicalDpiY() : 0;
    if (layout_ && text == text_ && dpi == dpi_ && font == font_)
        return;
    text_ = text;
    font_ = font;
    dpi_ = dpi;
    layout_ = std::make_unique<QTextLayout>(text, font, device);
    layout_->setCacheEnabled(true);
    layout_->beginLayout();
    QTextLine line = layout_->createLine();
    if (line.isValid())
        line.setLineWidth(0x01000000);  // one line, never wrapped
    layout_->endLayout();
    advance_ = line.isValid() ? line.horizontalAdvance() : 0;
    natural_ = line.isValid() ? line.naturalTextWidth() : 0;
    height_ = line.isValid() ? line.ascent() + line.descent() : 0;
}

void ShapedText::draw(QPainter& painter, const QRectF& box, Qt::Alignment align) const
{
    if (!layout_ || text_.isEmpty())
        return;
    qreal x = box.left();
    if (align & Qt::AlignRight)
        x = box.right() - advance_;
    else if (align & Qt::AlignHCenter)
        x = box.left() + (box.width() - advance_) / 2;
    qreal y = box.top();
    if (align & Qt::AlignBottom)
        y = box.bottom() - height_;
    else if (align & Qt::AlignVCenter)
        y = box.top() + (box.height() - height_) / 2;
    // Like drawText, clip only what would spill out of the box.
    const bool spills = !box.contains(QRectF(x, y, natural_, height_));
    if (spills) {
        painter.save();
        painter.setClipRect(box, Qt::IntersectClip);
    }
    layout_->draw(&painter, QPointF(x, y));
    if (spills)
        painter.restore();
}
