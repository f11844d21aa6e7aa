#include "views/shortcut_relay.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace shortcutrelay {

bool relay(const QKeyEvent* event, const QWidget* from)
{
    const int key = event->key();
    if (key == Qt::Key_unknown || key == 0 || key == Qt::Key_Control || key == Qt::Key_Shift || key == Qt::Key_Alt
        || key == Qt::Key_Meta)
        return false;
    const QKeySequence pressed(event->keyCombination());
    const QWidget* own = from ? from->window() : nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == own || w->windowType() == Qt::Popup)
            continue;
        for (QAction* a : w->actions()) {
            if (a->isEnabled() && a->shortcutContext() == Qt::WindowShortcut && a->shortcut() == pressed) {
                a->trigger();
                return true;
            }
        }
    }
    return false;
}

}  // namespace shortcutrelay
