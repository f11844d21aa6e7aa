#pragma once

#include "timer/timer_types.h"

#include <QWidget>
#include <array>

class FlatButton;
class LocalizationManager;
class TimerManager;

// Three capsules, one per timer mode, on a soft gray capsule. Locked while
// a countdown runs or is paused.
class ModeSelector final : public QWidget {
    Q_OBJECT
public:
    ModeSelector(TimerManager& timer, LocalizationManager& l10n, QWidget* parent = nullptr);

    void sync();
    FlatButton* segment(TimerMode mode) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TimerManager& timer_;
    LocalizationManager& l10n_;
    std::array<FlatButton*, 3> segments_{};
};
