#include "views/mode_selector.h"

#include "localization/localization_manager.h"
#include "timer/timer_manager.h"
#include "views/flat_button.h"
#include "views/view_style.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace {
const char* keyOf(TimerMode mode)
{
    switch (mode) {
    case TimerMode::preset:
        return "mode.preset";
    case TimerMode::custom:
        return "mode.custom";
    case TimerMode::targetTime:
        return "mode.targetTime";
    }
    return "mode.preset";
}
}  // namespace

ModeSelector::ModeSelector(TimerManager& timer, LocalizationManager& l10n, QWidget* parent)
    : QWidget(parent), timer_(timer), l10n_(l10n)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(4);
    for (std::size_t i = 0; i < allTimerModes.size(); ++i) {
        const TimerMode mode = allTimerModes[i];
        auto* b = new FlatButton(FlatButton::Look::segment, this);
        b->setHorizontalPadding(12);
        b->setObjectName(QStringLiteral("mode.") + rawValue(mode));
        b->makeChoice();
        connect(b, &FlatButton::clicked, this, [this, mode] {
            if (!timer_.isRunning)
                timer_.mode = mode;
        });
        row->addWidget(b);
        segments_[i] = b;
    }
    sync();
}

FlatButton* ModeSelector::segment(TimerMode mode) const
{
    for (std::size_t i = 0; i < allTimerModes.size(); ++i)
        if (allTimerModes[i] == mode)
            return segments_[i];
    return nullptr;
}

void ModeSelector::sync()
{
    for (std::size_t i = 0; i < allTimerModes.size(); ++i) {
        FlatButton* b = segments_[i];
        const bool selected = timer_.mode == allTimerModes[i];
        b->setSelected(selected);
        b->setTextFont(viewstyle::font(11, selected ? QFont::DemiBold : QFont::Normal));
        b->setLabel(l10n_.localized(keyOf(allTimerModes[i])));
        b->setEnabled(!timer_.isRunning);
    }
}

void ModeSelector::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath capsule;
    const QRectF r = QRectF(rect());
    capsule.addRoundedRect(r, r.height() / 2, r.height() / 2);
    p.fillPath(capsule, viewstyle::gray(palette(), 0.08));
}
