#include "views/custom_input.h"

#include "localization/localization_manager.h"
#include "timer/timer_manager.h"
#include "views/custom_stepper_field.h"
#include "views/flat_button.h"
#include "views/view_style.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <limits>

namespace {
struct Chip {
    const char* key;
    qint64 minutes;
    qint64 seconds;
};
constexpr Chip chipTable[3] = {{"custom.add1min", 1, 0}, {"custom.add5min", 5, 0}, {"custom.add30sec", 0, 30}};
}  // namespace

qint64 CustomInput::addCapped(qint64 value, qint64 amount, qint64 bound)
{
    qint64 sum = 0;
    if (__builtin_add_overflow(value, amount, &sum))
        sum = amount > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
    return qMin(sum, bound);
}

CustomInput::CustomInput(TimerManager& timer, LocalizationManager& l10n, QWidget* parent)
    : QWidget(parent), timer_(timer), l10n_(l10n)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addStretch(1);

    auto* fields = new QHBoxLayout;
    fields->setSpacing(10);
    minutes_ = new CustomStepperField(
        0, maxMinutes, [this] { return timer_.customMinutes.get(); }, [this](qint64 v) { timer_.customMinutes = v; },
        this);
    seconds_ = new CustomStepperField(
        0, maxSeconds, [this] { return timer_.customSeconds.get(); }, [this](qint64 v) { timer_.customSeconds = v; },
        this);
    minutes_->setObjectName(QStringLiteral("custom.minutes"));
    seconds_->setObjectName(QStringLiteral("custom.seconds"));
    colon_ = new QLabel(QStringLiteral(":"), this);
    colon_->setFont(viewstyle::font(24, QFont::Thin));
    colon_->setContentsMargins(0, 0, 0, 8);
    fields->addStretch(1);
    fields->addWidget(minutes_, 0, Qt::AlignBottom);
    fields->addWidget(colon_, 0, Qt::AlignBottom);
    fields->addWidget(seconds_, 0, Qt::AlignBottom);
    fields->addStretch(1);
    column->addLayout(fields);

    auto* chips = new QHBoxLayout;
    chips->setSpacing(6);
    chips->addStretch(1);
    for (int i = 0; i < 3; ++i) {
        const Chip chip = chipTable[i];
        auto* b = new FlatButton(FlatButton::Look::chip, this);
        b->setObjectName(QString::fromLatin1(chip.key));
        b->setTextFont(viewstyle::font(10, QFont::Medium));
        b->setHorizontalPadding(8);
        connect(b, &FlatButton::clicked, this, [this, chip] {
            timer_.customMinutes = addCapped(timer_.customMinutes, chip.minutes, maxMinutes);
            timer_.customSeconds = addCapped(timer_.customSeconds, chip.seconds, maxSeconds);
        });
        chips->addWidget(b);
        chips_[i] = b;
    }
    chips->addStretch(1);
    column->addLayout(chips);
    column->addStretch(1);
    sync();
}

void CustomInput::sync()
{
    const bool locked = timer_.isRunning;
    const auto step = [this](const char* key, const QString& what) {
        return l10n_.localized(key).arg(what.trimmed());
    };
    const QString min = l10n_.localized("unit.min").trimmed();
    const QString sec = l10n_.localized("unit.sec").trimmed();
    minutes_->sync(min, locked, step("a11y.decrease", min), step("a11y.increase", min));
    seconds_->sync(sec, locked, step("a11y.decrease", sec), step("a11y.increase", sec));
    viewstyle::setInk(colon_, viewstyle::tertiary(palette()));
    for (int i = 0; i < 3; ++i) {
        chips_[i]->setLabel(l10n_.localized(chipTable[i].key));
        chips_[i]->setEnabled(!locked);
    }
}
