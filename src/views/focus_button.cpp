#include "views/focus_button.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <algorithm>

FocusButton::FocusButton(QWidget* parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
}

void FocusButton::makeChoice()
{
    choice_ = true;
    setCheckable(true);
}

void FocusButton::setChosen(bool chosen)
{
    if (isChecked() == chosen)
        return;
    setChecked(chosen);
    updateGroupTabStops();
}

QList<FocusButton*> FocusButton::groupChoices() const
{
    QList<FocusButton*> group;
    if (!parentWidget())
        return group;
    for (QObject* o : parentWidget()->children()) {
        auto* b = qobject_cast<FocusButton*>(o);
        if (b && b->isChoice())
            group.append(b);
    }
    return group;
}

void FocusButton::updateGroupTabStops() const
{
    const QList<FocusButton*> group = groupChoices();
    const bool anyChecked = std::any_of(group.begin(), group.end(), [](FocusButton* b) { return b->isChecked(); });
    for (FocusButton* b : group) {
        const Qt::FocusPolicy policy = !anyChecked || b->isChecked() ? Qt::StrongFocus : Qt::ClickFocus;
        if (b->focusPolicy() != policy)
            b->setFocusPolicy(policy);
    }
}

void FocusButton::nextCheckState()
{
    // A choice shows the model's state; the click only asks for it.
    if (!choice_)
        QAbstractButton::nextCheckState();
}

bool FocusButton::moveChoice(int step)
{
    QList<FocusButton*> group = groupChoices();
    group.removeIf([this](FocusButton* b) { return b != this && (!b->isEnabled() || b->isHidden()); });
    const qsizetype at = group.indexOf(this);
    if (at < 0 || group.size() < 2)
        return false;
    FocusButton* next = group[(at + step + group.size()) % group.size()];
    next->setFocus(Qt::TabFocusReason);
    next->click();
    return true;
}

void FocusButton::keyPressEvent(QKeyEvent* event)
{
    // Enter activates the focused button, as Space does.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        if (isEnabled())
            click();
        event->accept();
        return;
    }
    if (choice_ && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        int step = 0;
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            step = -1;
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            step = 1;
            break;
        default:
            break;
        }
        if (step != 0 && moveChoice(step)) {
            event->accept();
            return;
        }
    }
    QAbstractButton::keyPressEvent(event);
}

void FocusButton::focusInEvent(QFocusEvent* event)
{
    const auto reason = event->reason();
    keyboardFocus_ = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
    QAbstractButton::focusInEvent(event);
}

void FocusButton::focusOutEvent(QFocusEvent* event)
{
    keyboardFocus_ = false;
    QAbstractButton::focusOutEvent(event);
}
