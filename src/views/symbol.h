#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

class QPainter;
class QRectF;

// Lumora's own line-art symbols (resources/symbols/<name>.svg), drawn in one
// colour at any size. A symbol at size n is n pixels along the longer side
// of its ink, as a glyph of an n-pixel font would be, whatever margin its
// picture has. Pictures are cached by name, size and colour, so a
// repaint costs a lookup.
namespace symbol {

QPixmap pixmap(const QString& name, int side, const QColor& colour, qreal devicePixelRatio);
// Draws the symbol centred in `rect`, its ink `side` pixels long.
void paint(QPainter& painter, const QRectF& rect, const QString& name, int side, const QColor& colour);
// Whether a picture of that name is among the resources.
bool exists(const QString& name);

}  // namespace symbol
