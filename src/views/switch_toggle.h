#pragma once

#include "views/focus_button.h"

// A small on/off switch. It changes at once, without a sliding knob, so a
// setting that springs back after a failure does not play an animation.
class SwitchToggle final : public FocusButton {
    Q_OBJECT
public:
    static constexpr int width = 32;
    static constexpr int height = 18;

    explicit SwitchToggle(QWidget* parent = nullptr);

    QSize sizeHint() const override { return {width, height}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};
