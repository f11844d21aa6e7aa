#include "app/app_delegate.h"

#include "app/about_window.h"
#include "app/main_window.h"
#include "build_config.h"
#include "localization/app_language.h"
#include "localization/localization_manager.h"
#include "platform/app_notification_center.h"
#include "platform/desktop_tray_backend.h"
#include "platform/status_item.h"
#include "services/install_reporter.h"
#include "services/update_service.h"
#include "services/updater.h"
#include "services/updater_controller.h"
#include "timer/timer_manager.h"
#include "views/about_view.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QWindow>
#include <utility>

AppDelegate::AppDelegate(QObject* parent)
    : AppDelegate(TimerManager::shared(), LocalizationManager::shared(),
                  &DesktopTrayBackend::forSession, parent)
{
}

AppDelegate::AppDelegate(TimerManager& timer, LocalizationManager& l10n, TrayFactory makeTray,
                         QObject* parent)
    : QObject(parent), timer_(timer), l10n_(l10n), makeTray_(std::move(makeTray))
{
}

AppDelegate::~AppDelegate() = default;

// --- application values ------------------------------------------------------

QString AppDelegate::applicationName()
{
    return QString::fromUtf8(*lumora::build::kDisplayName ? lumora::build::kDisplayName : lumora::build::kAppName);
}

QString AppDelegate::applicationVersion()
{
    return QString::fromUtf8(lumora::build::kVersion);
}

QString AppDelegate::applicationBuild()
{
    return QString::fromUtf8(lumora::build::kBuildNumber);
}

QString AppDelegate::versionLine(const QString& label, const QString& version, const QString& build)
{
    QString line = label + QLatin1Char(' ') + version;
    if (!build.isEmpty())
        line += QStringLiteral(" (") + build + QLatin1Char(')');
    return line;
}

QString AppDelegate::localized(const char* key) const
{
    return l10n_.localized(QString::fromLatin1(key));
}

void AppDelegate::setMainWindow(MainWindow* window)
{
    if (mainWindow_)
        disconnect(mainWindow_, nullptr, this, nullptr);
    mainWindow_ = window;
    if (window)
        connect(window, &MainWindow::closed, this, &AppDelegate::mainWindowClosed);
}

MainWindow* AppDelegate::mainWindow() const
{
    return mainWindow_;
}

QWidget* AppDelegate::window() const
{
    return window_;
}

// --- launch ----------------------------------------------------------------------

void AppDelegate::applicationDidFinishLaunching()
{
    using Step = void (AppDelegate::*)();
    static constexpr std::pair<const char*, Step> steps[] = {
        {"setupStatusBar", &AppDelegate::setupStatusBar},
        {"installReport", &AppDelegate::sendInstallReport},
        {"updateController", &AppDelegate::readUpdateController},
        {"observeTimer", &AppDelegate::observeTimer},
        {"observeWindows", &AppDelegate::observeWindows},
        {"observeBringToFront", &AppDelegate::observeBringToFront},
        {"mainMenu", &AppDelegate::installMainMenu},
        {"languageSubscription", &AppDelegate::subscribeToLanguage},
    };
    for (const auto& [name, step] : steps) {
        (this->*step)();
        Q_EMIT launchStepFinished(QString::fromLatin1(name));
    }
}

void AppDelegate::sendInstallReport()
{
    // The one install report of this launch; it returns at once.
    InstallReporter::report();
}

void AppDelegate::readUpdateController()
{
    // The first read makes the controller, which starts the scheduled checks.
    UpdateService::shared().controller();
}

void AppDelegate::installMainMenu()
{
    if (mainWindow_)
        mainWindow_->setMainMenu(buildMainMenu());
}

void AppDelegate::subscribeToLanguage()
{
    // `current` tells its subscribers before it holds the new language, so
    // the rebuild runs on the next turn of the event loop.
    cancellables.push_back(l10n_.current.sink(receiveOnMain<AppLanguage>(this, [this](const AppLanguage&) {
        installMainMenu();
        if (statusItem_)
            statusItem_->setMenu(buildStatusMenu());
        updateStatusTitle();
    })));
}

// --- tray item -------------------------------------------------------------------

void AppDelegate::setupStatusBar()
{
    statusItem_ = std::make_unique<StatusItem>(makeTray_());
    statusItem_->setTitle(titlePrefix + localized("menubar.idle"));
    connect(statusItem_.get(), &StatusItem::clicked, this, &AppDelegate::statusItemClicked);
    statusItem_->setMenu(buildStatusMenu());
    // Panels that draw the title keep room for its widest form, so the item
    // does not change width as the seconds count down.
    auto updateGuide = [this](const auto&...) {
        if (statusItem_)
            statusItem_->setTitleGuide(StatusItem::widestText(
                {titlePrefix + localized("menubar.idle"), titlePrefix + QStringLiteral("00:00:00")}));
    };
    updateGuide();
    cancellables.push_back(l10n_.current.sink(receiveOnMain<AppLanguage>(this, updateGuide)));
    // The tray keeps Lumora reachable with its window closed; without a tray
    // closing the main window quits (see mainWindowClosed).
    QApplication::setQuitOnLastWindowClosed(false);
}

QAction* AppDelegate::addItem(QMenu* menu, const QString& title, void (AppDelegate::*action)(),
                              const QKeySequence& key)
{
    auto* item = menu->addAction(title);
    item->setShortcut(key);
    // The delegate as context: an item outliving it does nothing.
    connect(item, &QAction::triggered, this, action);
    return item;
}

std::unique_ptr<QMenu> AppDelegate::buildStatusMenu()
{
    auto menu = std::make_unique<QMenu>();
    menu->setObjectName(QStringLiteral("StatusMenu"));
    addItem(menu.get(), localized("status.settings"), &AppDelegate::openSettings,
            QKeySequence(Qt::CTRL | Qt::Key_Comma));
    addItem(menu.get(), localized("menu.checkUpdate"), &AppDelegate::checkForUpdates, {});
    menu->addSeparator();
    addItem(menu.get(), localized("status.about").arg(applicationName()), &AppDelegate::showAbout, {});
    menu->addSeparator();
    addItem(menu.get(), localized("status.quit"), &AppDelegate::quitApp, QKeySequence(Qt::CTRL | Qt::Key_Q));
    return menu;
}

void AppDelegate::observeTimer()
{
    auto refresh = [this](const auto&...) { updateStatusTitle(); };
    for (auto& c : combineLatest(timer_.isRunning, timer_.remainingSeconds,
                                 receiveOnMain<bool, qint64>(this, refresh)))
        cancellables.push_back(std::move(c));
    // The picture also tells paused and ringing apart.
    cancellables.push_back(timer_.isPaused.sink(receiveOnMain<bool>(this, refresh)));
    cancellables.push_back(timer_.isRinging.sink(receiveOnMain<bool>(this, refresh)));
    // The gear is off while the alarm rings; its panel must not stay above
    // the overlay and take the click meant for Stop.
    cancellables.push_back(timer_.isRinging.sink(receiveOnMain<bool>(this, [this](bool ringing) {
        if (ringing && mainWindow_)
            mainWindow_->closePopups();
    })));
}

void AppDelegate::updateStatusTitle()
{
    if (!statusItem_)
        return;
    const bool running = timer_.isRunning;
    statusItem_->setTitle(titlePrefix + (running ? timer_.formattedDisplay() : localized("menubar.idle")));

    TrayState state = TrayState::idle;
    if (timer_.isRinging)
        state = TrayState::ringing;
    else if (running && timer_.isPaused)
        state = TrayState::paused;
    else if (running)
        state = TrayState::running;
    const qint64 total = timer_.totalSeconds;
    const double fraction = total > 0 ? double(timer_.remainingSeconds.get()) / double(total) : 1.0;
    statusItem_->setProgress(state, fraction);
}

QWidget* AppDelegate::clickTarget() const
{
    if (window_)
        return window_;
    // Known by identity, so a click finds the main window even before it was
    // ever active or after it was closed.
    if (mainWindow_)
        return mainWindow_;
    for (QWidget* w : applicationWindows()) {
        if (w->isVisible())
            return w;
    }
    return nullptr;
}

void AppDelegate::statusItemClicked(TrayBackend::Click click)
{
    // The secondary button opens the status menu by itself.
    if (click != TrayBackend::Click::primary)
        return;
    QWidget* target = clickTarget();
    if (!target)
        return;
    if (target->isVisible() && !target->isMinimized())
        target->hide();
    else
        showAndActivate(target);
}

void AppDelegate::quitApp()
{
    Q_EMIT quitRequested();
    QCoreApplication::quit();
}

void AppDelegate::mainWindowClosed()
{
    // Without a tray nothing could bring the window back.
    if (!statusItem_ || !statusItem_->isAvailable())
        quitApp();
}

// --- main menu -------------------------------------------------------------------

std::unique_ptr<QMenuBar> AppDelegate::buildMainMenu()
{
    const QString name = applicationName();
    auto root = std::make_unique<QMenuBar>();
    root->setObjectName(QStringLiteral("MainMenu"));

    QMenu* app = root->addMenu(name);
    addItem(app, localized("status.about").arg(name), &AppDelegate::showAbout, {});
    QMenu* languages = app->addMenu(localized("menu.language"));
    auto* group = new QActionGroup(languages);
    const AppLanguage current = l10n_.current;
    for (AppLanguage language : allAppLanguages) {
        QAction* item = languages->addAction(l10n_.localized(labelKey(language)));
        item->setCheckable(true);
        item->setChecked(language == current);
        item->setData(QVariant::fromValue(language));
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, item] { changeLanguage(item); });
    }
    app->addSeparator();
    addItem(app, localized("status.settings"), &AppDelegate::openSettings, QKeySequence(Qt::CTRL | Qt::Key_Comma));
    addItem(app, localized("menu.checkUpdate"), &AppDelegate::checkForUpdates, {});
    app->addSeparator();
    addItem(app, localized("menu.hide").arg(name), &AppDelegate::hideApplication, QKeySequence(Qt::CTRL | Qt::Key_H));
    // Other applications' windows are not ours to hide on a Linux desktop;
    // the item keeps its place so the menu reads as documented.
    QAction* others = app->addAction(localized("menu.hideOthers"));
    others->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_H));
    others->setEnabled(false);
    addItem(app, localized("menu.showAll"), &AppDelegate::unhideAllApplications, {});
    app->addSeparator();
    addItem(app, localized("menu.quit").arg(name), &AppDelegate::quitApp, QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* edit = root->addMenu(localized("menu.edit"));
    struct EditItem {
        const char* key;
        const char* slot;
        QKeySequence shortcut;
    };
    const EditItem editItems[] = {
        {"menu.undo", "undo", QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {"menu.redo", "redo", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
        {nullptr, nullptr, {}},
        {"menu.cut", "cut", QKeySequence(Qt::CTRL | Qt::Key_X)},
        {"menu.copy", "copy", QKeySequence(Qt::CTRL | Qt::Key_C)},
        {"menu.paste", "paste", QKeySequence(Qt::CTRL | Qt::Key_V)},
        {"menu.selectAll", "selectAll", QKeySequence(Qt::CTRL | Qt::Key_A)},
    };
    for (const EditItem& e : editItems) {
        if (!e.key) {
            edit->addSeparator();
            continue;
        }
        QAction* item = edit->addAction(localized(e.key));
        item->setShortcut(e.shortcut);
        const char* slot = e.slot;
        connect(item, &QAction::triggered, this, [this, slot] { sendToFocusWidget(slot); });
    }

    QMenu* windows = root->addMenu(localized("menu.window"));
    addItem(windows, localized("menu.minimize"), &AppDelegate::minimizeKeyWindow, QKeySequence(Qt::CTRL | Qt::Key_M));
    addItem(windows, localized("menu.close"), &AppDelegate::closeKeyWindow, QKeySequence(Qt::CTRL | Qt::Key_W));
    windows->addSeparator();
    QAction* last = addItem(windows, localized("menu.bringAllToFront"), &AppDelegate::arrangeInFront, {});
    // As a windows menu, it lists the open windows below its own items.
    connect(windows, &QMenu::aboutToShow, this, [this, windows, last] { listWindows(windows, last); });
    return root;
}

void AppDelegate::listWindows(QMenu* windowMenu, QAction* fixedEnd)
{
    const QList<QAction*> all = windowMenu->actions();
    for (qsizetype i = all.indexOf(fixedEnd) + 1; i < all.size(); ++i) {
        windowMenu->removeAction(all[i]);
        all[i]->deleteLater();
    }
    bool first = true;
    for (QWidget* w : applicationWindows()) {
        if (!w->isVisible())
            continue;
        if (first)
            windowMenu->addSeparator();
        first = false;
        QString title = w->windowTitle();
        if (title.isEmpty())
            title = applicationName();
        QAction* item = windowMenu->addAction(title);
        item->setCheckable(true);
        item->setChecked(w->isActiveWindow());
        QPointer<QWidget> target = w;
        connect(item, &QAction::triggered, this, [target] {
            if (target)
                showAndActivate(target);
        });
    }
}

void AppDelegate::changeLanguage(QAction* sender)
{
    if (!sender)
        return;
    const QVariant value = sender->data();
    if (value.metaType() != QMetaType::fromType<AppLanguage>())
        return;
    l10n_.setCurrent(value.value<AppLanguage>());
}

void AppDelegate::checkForUpdates()
{
    UpdateService::shared().controller()->updater().checkForUpdates();
}

// --- windows ---------------------------------------------------------------------

QList<QWidget*> AppDelegate::applicationWindows()
{
    const QWidgetList widgets = QApplication::topLevelWidgets();
    QList<QWidget*> out;
    // QGuiApplication keeps its windows in a stable order; widgets without a
    // native window yet follow in no particular order.
    for (QWindow* handle : QGuiApplication::topLevelWindows()) {
        for (QWidget* w : widgets) {
            if (w->windowHandle() == handle && !out.contains(w))
                out.append(w);
        }
    }
    for (QWidget* w : widgets) {
        if (!out.contains(w))
            out.append(w);
    }
    out.removeIf([](QWidget* w) {
        const Qt::WindowType type = w->windowType();
        return (type != Qt::Window && type != Qt::Dialog) ||
               w->windowFlags().testFlag(Qt::BypassWindowManagerHint) || qobject_cast<QMenu*>(w);
    });
    return out;
}

void AppDelegate::observeWindows()
{
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &AppDelegate::keyWindowChanged);
}

void AppDelegate::keyWindowChanged(QWindow* keyWindow)
{
    // Dialogs, message boxes, popups and the About window keep their own look.
    if (!keyWindow || !mainWindow_ || mainWindow_->windowHandle() != keyWindow)
        return;
    window_ = mainWindow_.data();
    mainWindow_->applyBorderlessStyle();
}

void AppDelegate::observeBringToFront()
{
    AppNotificationCenter::defaultCenter().addObserver(AppNotificationCenter::bringToFrontOnExpire, this,
                                                      [this] { bringWindowToFront(); });
}

void AppDelegate::closeAllPopups()
{
    // A popup left open would stay below the raised window with the pointer
    // grab, or above it over what the user came back for.
    for (int i = 0; i < 16; ++i) {
        QWidget* popup = QApplication::activePopupWidget();
        if (!popup)
            return;
        popup->close();
        if (popup->isVisible())
            popup->hide();
    }
}

void AppDelegate::showAndActivate(QWidget* window, const QString& activationToken)
{
    closeAllPopups();
    if (auto* main = qobject_cast<MainWindow*>(window))
        main->closePopups();
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    if (QGuiApplication::platformName() == QLatin1String("wayland")) {
        // The compositor alone stacks and focuses. A token lets it focus the
        // window (Qt takes it from XDG_ACTIVATION_TOKEN when the window asks
        // to be activated). Without one, a window mapped anew is placed in
        // front like any new window, where the compositor allows it.
        if (!activationToken.isEmpty())
            qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
        else if (window->isVisible() && !window->isActiveWindow())
            window->hide();
        window->show();
        window->activateWindow();
        if (!window->isActiveWindow())
            QApplication::alert(window);
        return;
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void AppDelegate::bringWindowToFront()
{
    bringWindowToFrontWith({});
}

void AppDelegate::bringWindowToFrontWith(const QString& activationToken)
{
    QWidget* target = window_ ? window_.data() : mainWindow_.data();
    if (!target) {
        const QList<QWidget*> windows = applicationWindows();
        if (!windows.isEmpty())
            target = windows.first();
    }
    if (target)
        showAndActivate(target, activationToken);
}

void AppDelegate::openSettings()
{
    if (QWidget* target = clickTarget())
        showAndActivate(target);
    AppNotificationCenter::defaultCenter().post(AppNotificationCenter::openSettings);
}

void AppDelegate::showAbout()
{
    const QString name = applicationName();
    if (!aboutWindow_) {
        aboutWindow_ = std::make_unique<AboutWindow>();
        aboutWindow_->centerOnScreen();
    }
    aboutWindow_->setWindowTitle(localized("status.about").arg(name));
    const QString line = versionLine(localized("about.version"), applicationVersion(), applicationBuild());
    QPointer<AboutWindow> about = aboutWindow_.get();
    aboutWindow_->setView(new AboutView(name, line, localized("about.detail"), localized("about.ok"), [about] {
        if (about)
            about->hide();
    }));
    showAndActivate(aboutWindow_.get());
}

// --- application and window commands ------------------------------------------

void AppDelegate::hideApplication()
{
    for (QWidget* w : applicationWindows()) {
        if (w->isVisible()) {
            hiddenByHide_.append(w);
            w->hide();
        }
    }
}

void AppDelegate::unhideAllApplications()
{
    const auto hidden = std::exchange(hiddenByHide_, {});
    for (const QPointer<QWidget>& w : hidden) {
        if (w)
            w->show();
    }
}

void AppDelegate::minimizeKeyWindow()
{
    if (QWidget* w = QApplication::activeWindow())
        w->showMinimized();
}

void AppDelegate::closeKeyWindow()
{
    if (QWidget* w = QApplication::activeWindow())
        w->close();
}

void AppDelegate::arrangeInFront()
{
    for (QWidget* w : applicationWindows()) {
        if (w->isVisible() && !w->isMinimized())
            w->raise();
    }
}

void AppDelegate::sendToFocusWidget(const char* slot)
{
    QWidget* target = QApplication::focusWidget();
    if (!target || qobject_cast<QMenu*>(target)) {
        QWidget* active = QApplication::activeWindow();
        target = active ? active->focusWidget() : nullptr;
    }
    if (!target)
        return;
    const QByteArray signature = QByteArray(slot) + "()";
    // Like the responder chain: whoever takes the command gets it, nobody
    // else is bothered.
    if (target->metaObject()->indexOfMethod(signature.constData()) >= 0)
        QMetaObject::invokeMethod(target, slot);
}
