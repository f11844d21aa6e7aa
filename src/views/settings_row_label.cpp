#include "views/settings_row_label.h"

#include "views/symbol.h"
#include "views/view_style.h"

#include <QPainter>
#include <QTextLayout>

using namespace viewstyle;

namespace {
// The description laid out in lines of `width`, one line height apart.
void layOut(QTextLayout& layout, int width)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (int y = 0;; y += lineHeight(SettingsRowLabel::descriptionSize)) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
    }
    layout.endLayout();
}
}  // namespace

int SettingsRowLabel::descriptionLines(int textWidth) const
{
    if (description.isEmpty())
        return 0;
    QTextLayout layout(description, font(descriptionSize));
    layOut(layout, qMax(1, textWidth));
    return qMax(1, layout.lineCount());
}

int SettingsRowLabel::height(int areaWidth) const
{
    int h = lineHeight(titleSize);
    if (const int lines = descriptionLines(areaWidth - iconFrame - spacing))
        h += titleGap + lines * lineHeight(descriptionSize);
    return qMax(h, iconSide);
}

void SettingsRowLabel::paint(QPainter& p, const QRect& area, const QColor& iconColour, const QPalette& pal) const
{
    const int top = area.top() + (area.height() - height(area.width())) / 2;
    symbol::paint(p, QRectF(area.left(), area.top(), iconFrame, area.height()), symbol, iconSide, iconColour);

    const int x = area.left() + iconFrame + spacing;
    const int w = area.right() + 1 - x;
    p.setPen(primary(pal));
    p.setFont(font(titleSize, QFont::Medium));
    const QRect titleRect(x, top, w, lineHeight(titleSize));
    p.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               p.fontMetrics().elidedText(title, Qt::ElideRight, w));
    if (description.isEmpty())
        return;
    p.setPen(secondary(pal));
    QTextLayout layout(description, font(descriptionSize), p.device());
    layOut(layout, w);
    // Each line centred in its line height, as a single-line label would be.
    const qreal lead = (lineHeight(descriptionSize) - QFontMetricsF(layout.font()).height()) / 2;
    layout.draw(&p, QPointF(x, titleRect.bottom() + 1 + titleGap + lead));
}
