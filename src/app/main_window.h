#pragma once

#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QWidget>
#include <memory>

// The one timer window: fixed 360 × 490, no title bar, rounded corners on a
// translucent background, moved by dragging its background. It carries the
// main menu three ways: as the desktop's global menu where there is one, as
// its context menu, and as window shortcuts.
class MainWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr int width = 360;
    static constexpr int height = 490;
    static constexpr int cornerRadius = 12;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The window's content, sized 360 × 490; the previous one is deleted.
    void setContentWidget(QWidget* content);
    QWidget* contentWidget() const { return content_; }

    // Installs a freshly built main menu in place of the previous one.
    void setMainMenu(std::unique_ptr<QMenuBar> menu);
    QMenuBar* mainMenu() const { return menu_; }
    // The same menus, opened by a right click on the background.
    QMenu* contextMenu() const { return contextMenu_; }

    // The borderless look; only touches the flags when they differ, since
    // changing them re-creates the native window.
    void applyBorderlessStyle();
    bool hasBorderlessStyle() const;

    // Hides the popups that hang off this window (the settings popover, the
    // context menu), so none is left above a raised or hidden window or
    // keeps the pointer grab there.
    void closePopups();

Q_SIGNALS:
    // The user or the Window menu closed the window (it is only hidden).
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    static constexpr Qt::WindowFlags borderlessFlags = Qt::Window | Qt::FramelessWindowHint;

    QPointer<QWidget> content_;
    QPointer<QMenuBar> menu_;
    QPointer<QMenu> contextMenu_;
};
