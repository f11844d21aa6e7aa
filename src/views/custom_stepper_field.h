#pragma once

#include <QLabel>
#include <QWidget>
#include <functional>

class FlatButton;
class NumberField;

// A caption over a minus button, a number field and a plus button. The
// buttons keep to the range; what is typed is stored as typed.
class CustomStepperField final : public QWidget {
    Q_OBJECT
public:
    using Getter = std::function<qint64()>;
    using Setter = std::function<void(qint64)>;

    CustomStepperField(qint64 lower, qint64 upper, Getter get, Setter set, QWidget* parent = nullptr);

    // Shows the engine's value and lock state; `decrease`/`increase` are
    // the buttons' accessible names.
    void sync(const QString& label, bool locked, const QString& decrease, const QString& increase);

    FlatButton* minusButton() const { return minus_; }
    FlatButton* plusButton() const { return plus_; }
    NumberField* field() const { return field_; }

private:
    qint64 lower_;
    qint64 upper_;
    Getter get_;
    Setter set_;
    QLabel* caption_;
    FlatButton* minus_;
    NumberField* field_;
    FlatButton* plus_;
};
