#include "views/view_style.h"

#include <QApplication>
#include <QWidget>

namespace viewstyle {

QFont font(int pixelSize, QFont::Weight weight)
{
    QFont f = QApplication::font();
    f.setPixelSize(pixelSize);
    f.setWeight(weight);
    return f;
}

QFont digitsFont(int pixelSize, QFont::Weight weight)
{
    // The common desktop sans faces draw their digits at one width, so the
    // application font keeps the read-out still; kerning would undo that.
    QFont f = font(pixelSize, weight);
    f.setKerning(false);
    return f;
}

bool isDark(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

QColor withAlpha(QColor colour, double opacity)
{
    colour.setAlphaF(float(colour.alphaF() * opacity));
    return colour;
}

void setInk(QWidget* label, const QColor& colour)
{
    QPalette pal = label->palette();
    if (pal.color(QPalette::WindowText) == colour && label->testAttribute(Qt::WA_SetPalette))
        return;
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}

QColor primary(const QPalette& palette)
{
    return palette.color(QPalette::WindowText);
}

QColor secondary(const QPalette& palette)
{
    return withAlpha(primary(palette), 0.6);
}

QColor tertiary(const QPalette& palette)
{
    return withAlpha(primary(palette), 0.32);
}

QColor accent(const QPalette& palette)
{
    return palette.color(QPalette::Active, QPalette::Highlight);
}

namespace {
QColor pick(const QPalette& palette, QRgb light, QRgb dark)
{
    return QColor::fromRgb(isDark(palette) ? dark : light);
}
}  // namespace

QColor gray(const QPalette& palette, double opacity)
{
    return withAlpha(pick(palette, 0x8a8a8f, 0x9a9aa0), opacity);
}

QColor red(const QPalette& palette)
{
    return pick(palette, 0xe5372d, 0xf4544a);
}

QColor orange(const QPalette& palette)
{
    return pick(palette, 0xf08c00, 0xf79c1c);
}

QColor green(const QPalette& palette)
{
    return pick(palette, 0x2fb24c, 0x3cc65a);
}

QColor blue(const QPalette& palette)
{
    return pick(palette, 0x1b6fe0, 0x3d8bf2);
}

QColor purple(const QPalette& palette)
{
    return pick(palette, 0x9240c8, 0xa85ae0);
}

}  // namespace viewstyle
