#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>

class QWidget;

// The window's shared look: fonts at fixed pixel sizes and the named colours
// every section draws with. Colours come from the widget's palette, so they
// follow the theme; the named hues have a light and a dark variant.
namespace viewstyle {

// The application font at `pixelSize`, with `weight`.
QFont font(int pixelSize, QFont::Weight weight = QFont::Normal);
// The same, for read-outs that change while counting: digits of one width.
QFont digitsFont(int pixelSize, QFont::Weight weight = QFont::Normal);

// The height a line of text at `pixelSize` takes in the fixed-size panels,
// the same for every font the desktop may substitute.
constexpr int lineHeight(int pixelSize)
{
    return pixelSize + pixelSize / 5;
}

bool isDark(const QPalette& palette);

QColor primary(const QPalette& palette);
QColor secondary(const QPalette& palette);
QColor tertiary(const QPalette& palette);
QColor accent(const QPalette& palette);
// Neutral gray at `opacity`, for tracks, fills and hairlines.
QColor gray(const QPalette& palette, double opacity = 1.0);
QColor red(const QPalette& palette);
QColor orange(const QPalette& palette);
QColor green(const QPalette& palette);
QColor blue(const QPalette& palette);
QColor purple(const QPalette& palette);

QColor withAlpha(QColor colour, double opacity);

// Gives a label its own text colour; does nothing when it already has it,
// so a redraw of the window does not ripple palette changes.
void setInk(QWidget* label, const QColor& colour);

}  // namespace viewstyle
