#pragma once

#include <QAbstractButton>

// A painted button of the window: Space and Enter activate it, and it knows
// whether it was reached by keyboard, so it can show a focus ring only then.
class FocusButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit FocusButton(QWidget* parent = nullptr);

protected:
    bool showsFocusRing() const { return keyboardFocus_ && hasFocus(); }

    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool keyboardFocus_ = false;
};
