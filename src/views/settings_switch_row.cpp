#include "views/settings_switch_row.h"

#include "views/switch_toggle.h"
#include "views/view_style.h"

#include <QMouseEvent>
#include <QPainter>

SettingsSwitchRow::SettingsSwitchRow(const QString& symbolName, QWidget* parent)
    : QWidget(parent), toggle_(new SwitchToggle(this))
{
    label_.symbol = symbolName;
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SettingsSwitchRow::setTexts(const QString& title, const QString& description)
{
    if (title == label_.title && description == label_.description)
        return;
    label_.title = title;
    label_.description = description;
    // A description too long for the row is cut short; the whole text
    // stays one hover away.
    setToolTip(description);
    toggle_->setAccessibleName(title);
    toggle_->setAccessibleDescription(description);
    updateGeometry();
    update();
}

QSize SettingsSwitchRow::sizeHint() const
{
    return {2 * hPadding + SettingsRowLabel::iconFrame + SwitchToggle::width,
            2 * vPadding + qMax(label_.height(), int(SwitchToggle::height))};
}

void SettingsSwitchRow::resizeEvent(QResizeEvent*)
{
    toggle_->move(width() - hPadding - SwitchToggle::width, (height() - SwitchToggle::height) / 2);
}

void SettingsSwitchRow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect area = rect().adjusted(hPadding, vPadding, -hPadding - SwitchToggle::width - SettingsRowLabel::spacing,
                                       -vPadding);
    label_.paint(p, area, viewstyle::secondary(palette()), palette());
}

void SettingsSwitchRow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && toggle_->isEnabled())
        toggle_->click();
    QWidget::mouseReleaseEvent(event);
}
