#pragma once

#include <QWidget>

class FlatButton;
class LocalizationManager;
class TimerManager;

// Start / continue / stop-alarm as one wide button, pause and reset under
// it. Which of them can be pressed follows the engine's flags exactly.
class ControlSection final : public QWidget {
    Q_OBJECT
public:
    ControlSection(TimerManager& timer, LocalizationManager& l10n, QWidget* parent = nullptr);

    void sync();

    // What Space does when no control has the focus: the primary action
    // when it can be pressed, else pause.
    void triggerDefault();

    // Where the keyboard goes back to: the main button, or pause while a
    // running countdown locks it.
    FlatButton* focusTarget() const;

    FlatButton* primaryButton() const { return primary_; }
    FlatButton* pauseButton() const { return pause_; }
    FlatButton* resetButton() const { return reset_; }

private:
    void primaryClicked();

    TimerManager& timer_;
    LocalizationManager& l10n_;
    FlatButton* primary_;
    FlatButton* pause_;
    FlatButton* reset_;
};
