#include "views/settings_option_row.h"

#include "views/symbol.h"
#include "views/view_style.h"

#include <QPainter>
#include <QPainterPath>

using namespace viewstyle;

namespace {
constexpr int checkmarkSide = 11;
}

SettingsOptionRow::SettingsOptionRow(const QString& symbolName, QWidget* parent) : FocusButton(parent)
{
    label_.symbol = symbolName;
    // As tall as its wrapped text needs: heightForWidth, not a fixed height.
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
}

void SettingsOptionRow::setTexts(const QString& title, const QString& description)
{
    if (title == label_.title && description == label_.description)
        return;
    label_.title = title;
    label_.description = description;
    setAccessibleName(title);
    setAccessibleDescription(description);
    updateGeometry();
    update();
}

void SettingsOptionRow::setSelected(bool selected)
{
    if (isChoice())
        setChosen(selected);
    if (selected == selected_)
        return;
    selected_ = selected;
    update();
}

void SettingsOptionRow::setPadding(int horizontal, int vertical)
{
    hPadding_ = horizontal;
    vPadding_ = vertical;
    updateGeometry();
}

QRect SettingsOptionRow::labelArea(const QRect& row) const
{
    QRect area = row.adjusted(hPadding_, vPadding_, -hPadding_, -vPadding_);
    if (!label_.description.isEmpty())
        area.setRight(area.right() - checkmarkSide - SettingsRowLabel::spacing);
    return area;
}

int SettingsOptionRow::heightForWidth(int width) const
{
    return 2 * vPadding_ + label_.height(labelArea(QRect(0, 0, width, 0)).width());
}

QSize SettingsOptionRow::sizeHint() const
{
    // Unwrapped; laid out in a column, the row takes heightForWidth.
    return {2 * hPadding_ + SettingsRowLabel::iconFrame, heightForWidth(QWIDGETSIZE_MAX / 2)};
}

void SettingsOptionRow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette pal = palette();
    if (isDown()) {
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), 8, 8);
        p.fillPath(shape, gray(pal, 0.14));
    }
    if (showsFocusRing()) {
        QPainterPath ring;
        ring.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 7, 7);
        p.strokePath(ring, QPen(accent(pal), 2));
    }
    const QRect area = labelArea(rect());
    if (selected_) {
        const int right = width() - hPadding_;
        symbol::paint(p, QRectF(right - checkmarkSide, area.top(), checkmarkSide, area.height()),
                      QStringLiteral("checkmark"), checkmarkSide, accent(pal));
    }
    QRect labelRect = area;
    if (selected_ && label_.description.isEmpty())
        labelRect.setRight(width() - hPadding_ - checkmarkSide - SettingsRowLabel::spacing - 1);
    label_.paint(p, labelRect, selected_ ? accent(pal) : secondary(pal), pal);
}
