#include "views/preset_grid.h"

#include "localization/localization_manager.h"
#include "timer/timer_manager.h"
#include "views/flat_button.h"
#include "views/view_style.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace {
constexpr int shadowReach = 4;
constexpr int cardRadius = 7;
}  // namespace

PresetGrid::PresetGrid(TimerManager& timer, LocalizationManager& l10n, QWidget* parent)
    : QWidget(parent), timer_(timer), l10n_(l10n)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 0, 4, 0);
    column->setSpacing(8);
    const int count = int(timer.presets.size());
    rows_ = (count + columns - 1) / columns;
    column->addStretch(1);
    for (int r = 0; r < rows_; ++r) {
        auto* row = new QHBoxLayout;
        row->setSpacing(10);
        for (int c = 0; c < columns && r * columns + c < count; ++c) {
            const qint64 minutes = timer.presets[std::size_t(r * columns + c)].minutes;
            auto* card = new FlatButton(FlatButton::Look::card, this);
            card->setObjectName(QStringLiteral("preset.%1").arg(minutes));
            card->makeChoice();
            card->setTextFont(viewstyle::digitsFont(15, QFont::DemiBold));
            card->setDetailFont(viewstyle::font(11, QFont::Medium));
            card->setMinimumContentHeight(cardHeight);
            card->setText(QString::number(minutes));
            card->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
            connect(card, &FlatButton::clicked, this, [this, minutes] { timer_.selectedPresetMinutes = minutes; });
            row->addWidget(card, 1);
            cards_.push_back(card);
        }
        column->addLayout(row);
    }
    column->addStretch(1);
    sync();
}

void PresetGrid::sync()
{
    const QString unit = l10n_.localized("unit.minute");
    for (std::size_t i = 0; i < cards_.size(); ++i) {
        FlatButton* card = cards_[i];
        const bool selected = timer_.selectedPresetMinutes == timer_.presets[i].minutes;
        if (selected != card->isSelected())
            update(card->geometry().adjusted(-shadowReach, -shadowReach, shadowReach, shadowReach));
        card->setSelected(selected);
        card->setDetail(unit);
        card->setLabel(card->text());
    }
}

void PresetGrid::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor shadow = viewstyle::withAlpha(viewstyle::accent(palette()), 0.2);
    for (const FlatButton* card : cards_) {
        if (!card->isSelected())
            continue;
        // Radius 3, one pixel down: a few widening translucent outlines.
        const QRectF shape = QRectF(card->geometry()).translated(0, 1);
        for (int i = 3; i >= 1; --i) {
            QPainterPath halo;
            halo.addRoundedRect(shape.adjusted(-i, -i, i, i), cardRadius + i, cardRadius + i);
            p.fillPath(halo, viewstyle::withAlpha(shadow, 0.35 / i));
        }
    }
}
