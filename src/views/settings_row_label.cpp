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

SettingsRowLabel::Block SettingsRowLabel::measure(int textWidth) const
{
    if (description.isEmpty())
        return {};
    QTextLayout layout(description, font(descriptionSize));
    layOut(layout, qMax(1, textWidth));
    // Line heights are the application font's, so that a fallback font
    // does not move the rows; but the glyphs of a taller fallback (Chinese)
    // reach beyond them, so the gap between the two texts grows by what
    // they reach into it.
    QTextLayout titleLayout(title, font(titleSize, QFont::Medium));
    layOut(titleLayout, 1 << 24);
    qreal reach = 0;
    if (layout.lineCount() > 0)
        reach += layout.lineAt(0).ascent() - QFontMetricsF(layout.font()).ascent();
    if (titleLayout.lineCount() > 0)
        reach += titleLayout.lineAt(0).descent() - QFontMetricsF(titleLayout.font()).descent();
    return {qMax(1, layout.lineCount()), titleGap + qMax(0, qRound(reach))};
}

int SettingsRowLabel::height(int areaWidth) const
{
    int h = lineHeight(titleSize);
    const Block block = measure(areaWidth - iconFrame - spacing);
    if (block.lines)
        h += block.gap + block.lines * lineHeight(descriptionSize);
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
    layout.draw(&p, QPointF(x, titleRect.bottom() + 1 + measure(w).gap + lead));
}
