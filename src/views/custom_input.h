#pragma once

#include <QWidget>

class CustomStepperField;
class FlatButton;
class LocalizationManager;
class QLabel;
class TimerManager;

// Minutes and seconds for a countdown of one's own, and three chips that
// add time without ever passing the fields' upper bounds.
class CustomInput final : public QWidget {
    Q_OBJECT
public:
    static constexpr qint64 maxMinutes = 999;
    static constexpr qint64 maxSeconds = 59;

    CustomInput(TimerManager& timer, LocalizationManager& l10n, QWidget* parent = nullptr);

    void sync();

    // What a chip leaves: the smaller of value + amount and the bound,
    // computed without overflow whatever was typed.
    static qint64 addCapped(qint64 value, qint64 amount, qint64 bound);

    CustomStepperField* minutesField() const { return minutes_; }
    CustomStepperField* secondsField() const { return seconds_; }
    FlatButton* chip(int index) const { return chips_[index]; }

private:
    TimerManager& timer_;
    LocalizationManager& l10n_;
    CustomStepperField* minutes_;
    CustomStepperField* seconds_;
    QLabel* colon_;
    FlatButton* chips_[3]{};
};
