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
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SettingsOptionRow::setTexts(const QString& title, const QString& description)
{
    if (title == label_.title && description == label_.description)
        return;
    const bool heightChanges = description.isEmpty() != label_.description.isEmpty();
    label_.title = title;
    label_.description = description;
    // A description too long for the row is cut short; the whole text
    // stays one hover away.
    setToolTip(description);
    setAccessibleName(title);
    setAccessibleDescription(description);
    if (heightChanges)
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

QSize SettingsOptionRow::sizeHint() const
{
    return {2 * hPadding_ + SettingsRowLabel::iconFrame, 2 * vPadding_ + label_.height()};
}

void SettingsOptionRow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette pal = palette();
    if (isDown() || underMouse()) {
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()), 8, 8);
        p.fillPath(shape, gray(pal, isDown() ? 0.14 : 0.07));
    }
    if (showsFocusRing()) {
        QPainterPath ring;
        ring.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 7, 7);
        p.strokePath(ring, QPen(accent(pal), 2));
    }
    QRect area = rect().adjusted(hPadding_, vPadding_, -hPadding_, -vPadding_);
    if (selected_) {
        symbol::paint(p, QRectF(area.right() + 1 - checkmarkSide, area.top(), checkmarkSide, area.height()),
                      QStringLiteral("checkmark"), checkmarkSide, accent(pal));
        area.setRight(area.right() - checkmarkSide - SettingsRowLabel::spacing);
    }
    label_.paint(p, area, selected_ ? accent(pal) : secondary(pal), pal);
}
