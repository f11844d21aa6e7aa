#include "app/about_window.h"

#include "platform/window_placement.h"
#include "platform/x11_motif_hints.h"
#include "views/about_view.h"
#include "views/shortcut_relay.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

AboutWindow::AboutWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setFixedSize(AboutView::width, AboutView::height);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    // The hints go with the native window, so it is made here, before the
    // window manager first sees it.
    winId();
    x11motif::dropResize(this);
}

void AboutWindow::setView(QWidget* view)
{
    if (view_ == view)
        return;
    if (view_)
        view_->deleteLater();
    view_ = view;
    if (!view)
        return;
    view->setParent(this);
    view->setGeometry(rect());
    view->show();
}

void AboutWindow::centerOnScreen()
{
    windowplacement::centreOnMainWindow(this);
}

void AboutWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && windowHandle()) {
        windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void AboutWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel) || event->matches(QKeySequence::Close)
        || QKeySequence(event->keyCombination()) == QKeySequence(Qt::CTRL | Qt::Key_W)) {
        close();
        event->accept();
        return;
    }
    if (shortcutrelay::relay(event, this)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
