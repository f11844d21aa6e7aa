#pragma once

#include <QTimer>
#include <QWidget>

class LocalizationManager;
class NumberField;
class QLabel;
class TimerManager;

// A clock time to count down to, and under it how long that is (or, while
// counting, how long is left) in an accent capsule.
class TargetTimeInput final : public QWidget {
    Q_OBJECT
public:
    // A time box: 56 for the digits, padded 4 on each side.
    static constexpr int fieldWidth = 56;
    static constexpr int fieldPadding = 4;
    static constexpr int fieldHeight = 38;

    TargetTimeInput(TimerManager& timer, LocalizationManager& l10n, QWidget* parent = nullptr);

    void sync();

    // "1h 0min 0s"-style text from the unit texts; zero parts are written.
    static QString formatDuration(qint64 seconds, const LocalizationManager& l10n);

    NumberField* hourField() const { return hour_; }
    NumberField* minuteField() const { return minute_; }
    QLabel* colon() const { return colon_; }
    // What the length line shows now: the capsule's text, the hint, or
    // nothing (both empty).
    QString lengthText() const;
    QString hintText() const;
    // Whether the once-a-second refresh of the idle length runs.
    bool isRefreshing() const { return refresh_.isActive(); }

Q_SIGNALS:
    // The idle length was redrawn for a new second of the clock; whatever
    // else shows it must follow.
    void clockAdvanced();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    NumberField* makeField(QLabel*& caption, const char* name);
    void updateRefresh();
    void centreColon();

    TimerManager& timer_;
    LocalizationManager& l10n_;
    QLabel* caption_;
    QLabel* hourCaption_ = nullptr;
    QLabel* minuteCaption_ = nullptr;
    NumberField* hour_;
    NumberField* minute_;
    QLabel* colon_;
    QWidget* capsule_;
    QLabel* hint_;
    QTimer refresh_;
};
