#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class QPainter;
class QPalette;

// The left part of a settings row: a symbol in an 18-wide frame, then the
// title over an optional smaller description. A description longer than
// the row wraps onto further lines rather than being cut short.
struct SettingsRowLabel {
    static constexpr int iconFrame = 18;
    static constexpr int iconSide = 14;
    static constexpr int spacing = 10;
    static constexpr int titleSize = 13;
    static constexpr int descriptionSize = 10;
    static constexpr int titleGap = 1;

    QString symbol;
    QString title;
    QString description;

    // The height of the text block when `area` pixels wide (symbol frame
    // included), never less than the symbol.
    int height(int areaWidth) const;
    // Paints into `area` (the row without its padding), vertically centred.
    void paint(QPainter& painter, const QRect& area, const QColor& iconColour, const QPalette& palette) const;

private:
    struct Block {
        int lines = 0;  // of the description
        int gap = 0;    // between title and description
    };
    Block measure(int textWidth) const;
};
