#include "views/settings_option_group.h"

#include "views/divider.h"
#include "views/settings_option_row.h"
#include "views/view_style.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

SettingsOptionGroup::SettingsOptionGroup(QWidget* parent) : QWidget(parent), column_(new QVBoxLayout(this))
{
    column_->setContentsMargins(0, 0, 0, 0);
    column_->setSpacing(2);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

SettingsOptionRow* SettingsOptionGroup::addOption(const QString& symbolName)
{
    // The row before this one now has a neighbour below it.
    if (!rows_.isEmpty())
        column_->addWidget(new Divider(dividerIndent, this));
    auto* row = new SettingsOptionRow(symbolName, this);
    row->makeChoice();
    column_->addWidget(row);
    rows_.append(row);
    return row;
}

void SettingsOptionGroup::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 8, 8);
    p.fillPath(shape, viewstyle::gray(palette(), 0.06));
}
