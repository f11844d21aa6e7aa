#pragma once

#include <QAbstractButton>

// A painted button of the window: Space and Enter activate it, and it knows
// whether it was reached by keyboard, so it can show a focus ring only then.
//
// A button can also be one choice of an exclusive group (its sibling
// choices under the same parent): it is then checkable, its owner sets the
// checked state from the model (a click does not toggle it), the arrow keys
// move the choice like a radio group's, and Tab stops only at the checked
// choice of the group.
class FocusButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit FocusButton(QWidget* parent = nullptr);

    void makeChoice();
    bool isChoice() const { return choice_; }
    // Checks or unchecks this choice and lets Tab stop at the group's
    // checked one (at every choice while none is checked).
    void setChosen(bool chosen);
    // The group this choice belongs to, in the order the arrows walk it.
    QList<FocusButton*> groupChoices() const;

    // Whether the focus came by keyboard (Tab, a shortcut, the arrows).
    bool hasKeyboardFocus() const { return keyboardFocus_ && hasFocus(); }

protected:
    bool showsFocusRing() const { return hasKeyboardFocus(); }

    void nextCheckState() override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool moveChoice(int step);
    void updateGroupTabStops() const;

    bool keyboardFocus_ = false;
    bool choice_ = false;
};
