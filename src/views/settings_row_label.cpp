#include "views/settings_row_label.h"

#include "views/symbol.h"
#include "views/view_style.h"

#include <QPainter>

using namespace viewstyle;

int SettingsRowLabel::height() const
{
    int h = lineHeight(titleSize);
    if (!description.isEmpty())
        h += 1 + lineHeight(descriptionSize);
    return qMax(h, iconSide);
}

void SettingsRowLabel::paint(QPainter& p, const QRect& area, const QColor& iconColour, const QPalette& pal) const
{
    const int top = area.top() + (area.height() - height()) / 2;
    symbol::paint(p, QRectF(area.left(), area.top(), iconFrame, area.height()), symbol, iconSide, iconColour);

    const int x = area.left() + iconFrame + spacing;
    const int w = area.right() + 1 - x;
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    p.setPen(primary(pal));
    p.setFont(font(titleSize, QFont::Medium));
    const QRect titleRect(x, top, w, lineHeight(titleSize));
    p.drawText(titleRect, flags, p.fontMetrics().elidedText(title, Qt::ElideRight, w));
    if (description.isEmpty())
        return;
    p.setPen(secondary(pal));
    p.setFont(font(descriptionSize));
    const QRect descriptionRect(x, titleRect.bottom() + 2, w, lineHeight(descriptionSize));
    p.drawText(descriptionRect, flags, p.fontMetrics().elidedText(description, Qt::ElideRight, w));
}
