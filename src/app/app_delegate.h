#pragma once

#include "platform/published.h"
#include "platform/tray_backend.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class AboutWindow;
class LocalizationManager;
class MainWindow;
class QAction;
class QKeySequence;
class QMenu;
class QMenuBar;
class QWidget;
class QWindow;
class StatusItem;
class TimerManager;

// Wires the shell together once launching has finished: the tray item and
// its live title, the main menu, the window observers and the About window.
// Everything here runs on the main thread.
class AppDelegate final : public QObject {
    Q_OBJECT
public:
    using TrayFactory = std::function<std::unique_ptr<TrayBackend>()>;

    // U+23F1 STOPWATCH and a space, before every tray title.
    static inline const QString titlePrefix = QStringLiteral("\u23F1 ");

    // The shared timer and localization, and the desktop's tray.
    explicit AppDelegate(QObject* parent = nullptr);
    AppDelegate(TimerManager& timer, LocalizationManager& l10n, TrayFactory makeTray,
                QObject* parent = nullptr);
    ~AppDelegate() override;

    static QString applicationName();
    static QString applicationVersion();
    static QString applicationBuild();
    // "<label> <version>", then " (<build>)" only when there is a build.
    static QString versionLine(const QString& label, const QString& version, const QString& build);

    // The window of the scene. The delegate knows it by identity, keeps it
    // across closing and never adopts any other window as the main one.
    void setMainWindow(MainWindow* window);
    MainWindow* mainWindow() const;

    void applicationDidFinishLaunching();

    // The tray item and its menu.
    void setupStatusBar();
    std::unique_ptr<QMenu> buildStatusMenu();
    void statusItemClicked(TrayBackend::Click click);
    void observeTimer();
    void updateStatusTitle();
    void quitApp();

    // The main menu.
    std::unique_ptr<QMenuBar> buildMainMenu();
    void changeLanguage(QAction* sender);
    void checkForUpdates();

    // Windows.
    void observeWindows();
    void observeBringToFront();
    void bringWindowToFront();
    // The same, with the activation token of a notification click or a
    // second launch: a Wayland compositor gives the focus only with one.
    void bringWindowToFrontWith(const QString& activationToken);
    void openSettings();
    void showAbout();

    // The key-window observer: only the main window is tracked and restyled.
    void keyWindowChanged(QWindow* keyWindow);

    // Application and Window menu commands.
    void hideApplication();
    void unhideAllApplications();
    void minimizeKeyWindow();
    void closeKeyWindow();
    void arrangeInFront();
    // Sends an Edit command to the focused text field, if it takes it.
    void sendToFocusWidget(const char* slot);

    StatusItem* statusItem() const { return statusItem_.get(); }
    QWidget* window() const;
    AboutWindow* aboutWindow() const { return aboutWindow_.get(); }
    TimerManager& timer() const { return timer_; }
    LocalizationManager& l10n() const { return l10n_; }

    // Lumora's own windows in the order the application made them: popups,
    // tooltips and the tray's helper windows are not among them.
    static QList<QWidget*> applicationWindows();

Q_SIGNALS:
    // After each step of applicationDidFinishLaunching, with its name.
    void launchStepFinished(const QString& step);
    // Emitted by quitApp, just before the application is asked to quit.
    void quitRequested();

private:
    QAction* addItem(QMenu* menu, const QString& title, void (AppDelegate::*action)(),
                     const QKeySequence& key);
    void installMainMenu();
    void subscribeToLanguage();
    void sendInstallReport();
    void readUpdateController();
    void mainWindowClosed();
    void listWindows(QMenu* windowMenu, QAction* fixedEnd);
    QWidget* clickTarget() const;
    static void showAndActivate(QWidget* window, const QString& activationToken = {});
    static void closeAllPopups();
    QString localized(const char* key) const;

    TimerManager& timer_;
    LocalizationManager& l10n_;
    TrayFactory makeTray_;

    std::unique_ptr<StatusItem> statusItem_;
    Cancellables cancellables;
    QPointer<QWidget> window_;
    std::unique_ptr<AboutWindow> aboutWindow_;

    QPointer<MainWindow> mainWindow_;
    QList<QPointer<QWidget>> hiddenByHide_;
};
