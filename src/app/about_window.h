#pragma once

#include <QPointer>
#include <QWidget>

// The About window: an ordinary titled window with only a close button,
// 340 × 420, made once and shown again on every About command. Closing it
// only hides it.
class AboutWindow final : public QWidget {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* parent = nullptr);

    // Replaces what the window shows; the previous view is deleted.
    void setView(QWidget* view);
    QWidget* view() const { return view_; }

    // On the main window where it is shown, else on the screen.
    void centerOnScreen();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    // Escape and Ctrl+W close it; the main menu's shortcuts work here too.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPointer<QWidget> view_;
};
