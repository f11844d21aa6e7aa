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
    primary_->setEnabled(!(running && !paused && !ringing));

    pause_->setLabel(l10n_.localized("control.pause"));
    pause_->setEnabled(running && !paused);
    reset_->setLabel(l10n_.localized("control.reset"));
    reset_->setEnabled(running || paused || ringing);
}

void ControlSection::triggerDefault()
{
    if (primary_->isEnabled())
        primary_->click();
    else if (pause_->isEnabled())
        pause_->click();
}
