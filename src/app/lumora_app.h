#pragma once

#include <memory>

class AppDelegate;
class MainWindow;

// The application's one scene: the main window with its content, and the
// delegate that is told once launching has finished.
class LumoraApp final {
public:
    // On the shared timer, localization and the desktop's tray.
    LumoraApp();
    explicit LumoraApp(std::unique_ptr<AppDelegate> delegate);
    ~LumoraApp();
    LumoraApp(const LumoraApp&) = delete;
    LumoraApp& operator=(const LumoraApp&) = delete;

    // The name and desktop entry id the desktop knows Lumora by.
    static void applyApplicationIdentity();
    // The icon of every window; launch() sets it once the window is drawn.
    static void applyApplicationIcon();

    AppDelegate& appDelegate() const { return *appDelegate_; }
    MainWindow& mainWindow() const { return *window_; }

    // Longest wait for the first frame before launching goes on anyway.
    static constexpr int firstFrameFallbackMs = 300;

    // Shows the window and, once it has been drawn, runs the delegate's
    // launch sequence.
    void launch();

private:
    std::unique_ptr<MainWindow> window_;
    // Declared last, so it goes first: it only watches the window.
    std::unique_ptr<AppDelegate> appDelegate_;
};
