#pragma once

#include "platform/published.h"
#include "timer/timer_types.h"

#include <QWidget>

class ControlSection;
class CustomInput;
class FlatButton;
class LocalizationManager;
class ModeSelector;
class PresetGrid;
class ProgressRing;
class QLabel;
class QStackedWidget;
class RingingOverlay;
class SettingsPopover;
class TargetTimeInput;
class TimerManager;

// The whole content of the timer window, 360 × 490: header, ring, mode
// selector, the current mode's inputs and the controls, with the gear in
// the corner and the ringing overlay above everything while the alarm
// rings. It holds no timer logic: it shows the engine and calls it.
class ContentView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int width = 360;
    static constexpr int height = 490;
    static constexpr int modeContentHeight = 148;

    // On the shared timer and localization.
    explicit ContentView(QWidget* parent = nullptr);
    ContentView(TimerManager& timer, LocalizationManager& l10n, QWidget* parent = nullptr);
    ~ContentView() override;

    QString titleText() const;
    bool showSettings() const;
    void setShowSettings(bool show);

    // Brings every part up to date with the engine and the language now;
    // otherwise this happens on the next turn of the event loop after a
    // change, once however many changes came.
    void sync();

    SettingsPopover* settingsPopover() const { return popover_; }
    ProgressRing* ring() const { return ring_; }
    ModeSelector* modeSelector() const { return modes_; }
    PresetGrid* presetGrid() const { return presets_; }
    // The custom and target pages are made the first time they are needed,
    // so the window's first frame does not wait for pages it does not show.
    CustomInput* customInput() const;
    TargetTimeInput* targetTimeInput() const;
    ControlSection* controlSection() const { return controls_; }
    RingingOverlay* ringingOverlay() const { return overlay_; }
    FlatButton* gearButton() const { return gear_; }
    QLabel* header() const { return header_; }
    QWidget* modeContent() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void scheduleSync();
    void onModeChanged(TimerMode mode);
    // Tab walks the window as it reads: the gear, the mode selector, the
    // current page, the controls, and (while it rings) only the card.
    void restoreTabOrder() const;
    void syncFocusWithRinging(bool ringing);
    void openContextMenu();

    TimerManager& timer_;
    LocalizationManager& l10n_;
    QLabel* header_;
    ProgressRing* ring_;
    ModeSelector* modes_;
    QStackedWidget* pages_;
    PresetGrid* presets_;
    void addPage(QWidget* page) const;

    mutable CustomInput* custom_ = nullptr;
    mutable TargetTimeInput* target_ = nullptr;
    ControlSection* controls_;
    RingingOverlay* overlay_;
    FlatButton* gear_;
    SettingsPopover* popover_;
    TimerMode lastMode_;
    bool syncPending_ = false;
    bool focusedOnce_ = false;
    bool wasRinging_ = false;
    double ringValue_ = -1;
    Cancellables cancellables_;
};
