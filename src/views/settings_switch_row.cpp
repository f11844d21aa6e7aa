#include "views/settings_switch_row.h"

#include "views/switch_toggle.h"
#include "views/view_style.h"

#include <QPainter>

SettingsSwitchRow::SettingsSwitchRow(const QString& symbolName, QWidget* parent)
    : QWidget(parent), toggle_(new SwitchToggle(this))
{
    label_.symbol = symbolName;
    // As tall as its wrapped text needs: heightForWidth, not a fixed height.
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
}

void SettingsSwitchRow::setTexts(const QString& title, const QString& description)
{
    if (title == label_.title && description == label_.description)
        return;
    label_.title = title;
    label_.description = description;
    toggle_->setAccessibleName(title);
    toggle_->setAccessibleDescription(description);
    updateGeometry();
    update();
}

QRect SettingsSwitchRow::labelArea(const QRect& row) const
{
    return row.adjusted(hPadding, vPadding, -hPadding - SwitchToggle::width - SettingsRowLabel::spacing, -vPadding);
}

int SettingsSwitchRow::heightForWidth(int width) const
{
    const int area = labelArea(QRect(0, 0, width, 0)).width();
    return 2 * vPadding + qMax(label_.height(area), int(SwitchToggle::height));
}

QSize SettingsSwitchRow::sizeHint() const
{
    // Unwrapped; laid out in a column, the row takes heightForWidth.
    return {2 * hPadding + SettingsRowLabel::iconFrame + SwitchToggle::width, heightForWidth(QWIDGETSIZE_MAX / 2)};
}

void SettingsSwitchRow::resizeEvent(QResizeEvent*)
{
    toggle_->move(width() - hPadding - SwitchToggle::width, (height() - SwitchToggle::height) / 2);
}

void SettingsSwitchRow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    label_.paint(p, labelArea(rect()), viewstyle::secondary(palette()), palette());
}
