#include "app/main_window.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QHideEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWindow>

namespace {
void collectLeaves(const QList<QAction*>& actions, QList<QAction*>& out)
{
    for (QAction* a : actions) {
        if (QMenu* sub = a->menu())
            collectLeaves(sub->actions(), out);
        else if (!a->isSeparator())
            out.append(a);
    }
}
}  // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent, borderlessFlags)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(width, height);
}

MainWindow::~MainWindow() = default;

void MainWindow::setContentWidget(QWidget* content)
{
    if (content_ == content)
        return;
    delete content_;
    content_ = content;
    if (!content)
        return;
    content->setParent(this);
    content->setGeometry(0, 0, width, height);
    content->show();
}

void MainWindow::setMainMenu(std::unique_ptr<QMenuBar> menu)
{
    if (menu_) {
        QList<QAction*> old;
        collectLeaves(menu_->actions(), old);
        for (QAction* a : old) {
            removeAction(a);
            // Until the old menu is gone its shortcuts would clash with the new.
            a->setShortcut({});
        }
        menu_->deleteLater();
    }
    if (contextMenu_)
        contextMenu_->deleteLater();
    menu_ = nullptr;
    contextMenu_ = nullptr;
    if (!menu)
        return;

    QMenuBar* bar = menu.release();
    bar->setParent(this);
    // A global menu bar takes the menus out of the window; without one the
    // bar stays hidden and the context menu offers them instead.
    bar->hide();
    menu_ = bar;

    auto* popup = new QMenu(this);
    for (QAction* top : bar->actions())
        popup->addAction(top);
    contextMenu_ = popup;

    // Shortcuts work while the window is active, whether or not any menu
    // bar is on screen.
    QList<QAction*> leaves;
    collectLeaves(bar->actions(), leaves);
    addActions(leaves);
}

void MainWindow::applyBorderlessStyle()
{
    if (!hasBorderlessStyle()) {
        const bool wasVisible = isVisible();
        setWindowFlags(borderlessFlags);
        if (wasVisible)
            show();
    }
    if (!testAttribute(Qt::WA_TranslucentBackground))
        setAttribute(Qt::WA_TranslucentBackground);
}

bool MainWindow::hasBorderlessStyle() const
{
    return (windowFlags() & borderlessFlags) == borderlessFlags && testAttribute(Qt::WA_TranslucentBackground);
}

void MainWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    p.fillPath(shape, palette().color(QPalette::Window));
}

void MainWindow::mousePressEvent(QMouseEvent* event)
{
    // Only presses that no control took reach here: the background.
    if (event->button() == Qt::LeftButton && windowHandle()) {
        windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event)
{
    if (contextMenu_) {
        contextMenu_->popup(event->globalPos());
        event->accept();
        return;
    }
    QWidget::contextMenuEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Q_EMIT closed();
}

void MainWindow::closePopups()
{
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w->isWindow() && w->windowType() == Qt::Popup && w->isVisible())
            w->hide();
    }
}

void MainWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    closePopups();
}

void MainWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        closePopups();
}
