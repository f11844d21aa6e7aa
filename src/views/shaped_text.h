#pragma once

#include <QFont>
#include <QString>
#include <QTextLayout>
#include <memory>

class QPainter;
class QPaintDevice;
class QRectF;

// One line of text shaped once for a font and a paint device, then
// measured and drawn from the same glyphs. Measuring with QFontMetrics and
// drawing with QPainter::drawText shapes the text twice, and layouts ask
// for widths again and again.
class ShapedText {
public:
    // Shapes `text` unless that text in that font for that device is
    // already held.
    void set(const QString& text, const QFont& font, const QPaintDevice* device);
    const QString& text() const { return text_; }
    // The advance rounded to whole pixels, as QFontMetrics reports it.
    int width() const { return qRound(advance_); }
    // Draws it where QPainter::drawText(box, align, text) would, in the
    // painter's pen.
    void draw(QPainter& painter, const QRectF& box, Qt::Alignment align) const;

private:
    QString text_;
    QFont font_;
    int dpi_ = 0;
    std::unique_ptr<QTextLayout> layout_;
    qreal advance_ = 0;
    qreal natural_ = 0;
    qreal height_ = 0;
};
