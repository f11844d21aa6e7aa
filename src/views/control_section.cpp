#include "views/control_section.h"

#include "localization/localization_manager.h"
#include "timer/timer_manager.h"
#include "views/flat_button.h"
#include "views/view_style.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

ControlSection::ControlSection(TimerManager& timer, LocalizationManager& l10n, QWidget* parent)
    : QWidget(parent), timer_(timer), l10n_(l10n)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);

    primary_ = new FlatButton(FlatButton::Look::prominent, this);
    primary_->setObjectName(QStringLiteral("control.primary"));
    primary_->setTextFont(viewstyle::font(12, QFont::DemiBold));
    primary_->setMinimumContentHeight(32);
    primary_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    column->addWidget(primary_);

    const auto makeSecondary = [this](const char* name, const QString& symbolName) {
        auto* b = new FlatButton(FlatButton::Look::bordered, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setTextFont(viewstyle::font(13));
        b->setSymbol(symbolName, 13);
        b->setMinimumContentHeight(32);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        return b;
    };
    pause_ = makeSecondary("control.pause", QStringLiteral("pause.fill"));
    reset_ = makeSecondary("control.reset", QStringLiteral("arrow.counterclockwise"));
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(pause_, 1);
    row->addWidget(reset_, 1);
    column->addLayout(row);

    connect(primary_, &FlatButton::clicked, this, &ControlSection::primaryClicked);
    connect(pause_, &FlatButton::clicked, this, [this] { timer_.pause(); });
    connect(reset_, &FlatButton::clicked, this, [this] { timer_.reset(); });
    sync();
}

void ControlSection::primaryClicked()
{
    if (timer_.isRinging) {
        timer_.stopRinging();
        timer_.reset();
    } else {
        timer_.start();
    }
}

void ControlSection::sync()
{
    const bool running = timer_.isRunning;
    const bool paused = timer_.isPaused;
    const bool ringing = timer_.isRinging;

    primary_->setTint(ringing ? FlatButton::Tint::red : FlatButton::Tint::accent);
    primary_->setSymbol(ringing ? QStringLiteral("bell.slash.fill") : QStringLiteral("play.fill"), 12);
    primary_->setLabel(ringing ? l10n_.localized("control.stopRinging") : timer_.startButtonTitle());
    pause_->setLabel(l10n_.localized("control.pause"));
    reset_->setLabel(l10n_.localized("control.reset"));

    const bool primaryOn = !(running && !paused && !ringing);
    const bool pauseOn = running && !paused;
    const bool resetOn = running || paused || ringing;
    FlatButton* focused = nullptr;
    for (FlatButton* b : {primary_, pause_, reset_})
        if (b->hasFocus())
            focused = b;
    const bool keyboard = focused && focused->hasKeyboardFocus();
    // What becomes pressable first, so that the focus never falls out of the
    // section on the way.
    primary_->setEnabled(primary_->isEnabled() || primaryOn);
    pause_->setEnabled(pause_->isEnabled() || pauseOn);
    reset_->setEnabled(reset_->isEnabled() || resetOn);
    // A control that is about to go dead hands the focus to the main button
    // (or, while that is locked by a running countdown, to pause): never to
    // reset, so a second Space cannot throw the countdown away.
    const bool focusedGoesDead = (focused == primary_ && !primaryOn) || (focused == pause_ && !pauseOn)
                                 || (focused == reset_ && !resetOn);
    if (focusedGoesDead && !ringing) {
        FlatButton* heir = primaryOn ? primary_ : pauseOn ? pause_ : nullptr;
        if (heir)
            heir->setFocus(keyboard ? Qt::TabFocusReason : Qt::OtherFocusReason);
    }
    primary_->setEnabled(primaryOn);
    pause_->setEnabled(pauseOn);
    reset_->setEnabled(resetOn);
}

FlatButton* ControlSection::focusTarget() const
{
    return !primary_->isEnabled() && pause_->isEnabled() ? pause_ : primary_;
}

void ControlSection::triggerDefault()
{
    if (primary_->isEnabled())
        primary_->click();
    else if (pause_->isEnabled())
        pause_->click();
}
