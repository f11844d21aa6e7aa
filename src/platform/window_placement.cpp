#include "platform/window_placement.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace windowplacement {
namespace {
// The main window where the user can see it, else none.
QWidget* shownMainWindow(const QWidget* dialog)
{
    const QWidgetList widgets = QApplication::topLevelWidgets();
    // In the order the windows were made, the main window comes first.
    for (QWindow* handle : QGuiApplication::topLevelWindows()) {
        for (QWidget* w : widgets) {
            if (w != dialog && w->windowHandle() == handle && w->windowType() == Qt::Window)
                return w->isVisible() && !w->isMinimized() ? w : nullptr;
        }
    }
    return nullptr;
}
}  // namespace

void centreOnMainWindow(QWidget* dialog)
{
    if (!dialog)
        return;
    const QWidget* owner = shownMainWindow(dialog);
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QPoint centre = owner ? owner->frameGeometry().center() : area.center();
    // The frame is not known before the first show; the client area stands in.
    QRect frame(QPoint(), dialog->frameGeometry().size().expandedTo(dialog->size()));
    frame.moveCenter(centre);
    frame.moveLeft(qBound(area.left(), frame.left(), qMax(area.left(), area.right() + 1 - frame.width())));
    frame.moveTop(qBound(area.top(), frame.top(), qMax(area.top(), area.bottom() + 1 - frame.height())));
    dialog->move(frame.topLeft());
}

}  // namespace windowplacement
