#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

class QPainter;
class QRectF;

// Lumora's own line-art symbols (resources/symbols/<name>.svg), drawn in one
// colour at any size. Pictures are cached by name, size and colour, so a
// repaint costs a lookup.
namespace symbol {

QPixmap pixmap(const QString& name, int side, const QColor& colour, qreal devicePixelRatio);
// Draws the symbol centred in `rect`, `side` pixels square.
void paint(QPainter& painter, const QRectF& rect, const QString& name, int side, const QColor& colour);
// Whether a picture of that name is among the resources.
bool exists(const QString& name);

}  // namespace symbol
