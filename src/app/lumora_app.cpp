#include "app/lumora_app.h"

#include "app/app_delegate.h"
#include "app/main_window.h"
#include "build_config.h"
#include "platform/defaults_store.h"
#include "views/content_view.h"
#include "timer/timer_manager.h"
#include "views/theme.h"

#include <QApplication>
#include <QIcon>
#include <QEvent>
#include <QTimer>
#include <functional>

namespace {
std::unique_ptr<AppDelegate> delegateHoldingWrites()
{
    // What start-up stores (the language, at every launch) goes down once
    // the window is up: on a first launch that is a new folder, a lock file
    // and a synced write the first frame need not wait for.
    DefaultsStore::shared().holdWrites();
    return std::make_unique<AppDelegate>();
}
}  // namespace

LumoraApp::LumoraApp() : LumoraApp(delegateHoldingWrites()) {}

LumoraApp::LumoraApp(std::unique_ptr<AppDelegate> delegate)
    : window_(std::make_unique<MainWindow>()), appDelegate_(std::move(delegate))
{
    window_->setWindowTitle(AppDelegate::applicationName());
    window_->setContentWidget(new ContentView(appDelegate_->timer(), appDelegate_->l10n()));
    appDelegate_->setMainWindow(window_.get());
}

LumoraApp::~LumoraApp() = default;

void LumoraApp::applyApplicationIdentity()
{
    QApplication::setApplicationName(QString::fromUtf8(lumora::build::kAppName));
    QApplication::setApplicationVersion(QString::fromUtf8(lumora::build::kVersion));
    // Wayland matches the window to org.lumora.Lumora.desktop by this id.
    QGuiApplication::setDesktopFileName(QString::fromUtf8(lumora::build::kAppId));
}

void LumoraApp::applyApplicationIcon()
{
    QIcon icon = QIcon::fromTheme(QString::fromUtf8(lumora::build::kAppId));
    if (icon.isNull())
        icon = QIcon(QStringLiteral(":/icons/org.lumora.Lumora.svg"));
    QApplication::setWindowIcon(icon);
}

namespace {
// Runs `then` once, on the turn after the window's first paint, or after
// `fallbackMs` if the window is never drawn (hidden at once, never exposed).
class FirstFrame final : public QObject {
public:
    FirstFrame(QWidget* window, int fallbackMs, std::function<void()> then)
        : QObject(window), window_(window), then_(std::move(then))
    {
        window->installEventFilter(this);
        QTimer::singleShot(fallbackMs, this, [this] { fire(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_ && event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, [this] { fire(); });
        return false;
    }

private:
    void fire()
    {
        if (!then_)
            return;
        window_->removeEventFilter(this);
        auto then = std::move(then_);
        then_ = nullptr;
        deleteLater();
        then();
    }

    QWidget* window_;
    std::function<void()> then_;
};
}  // namespace

void LumoraApp::launch()
{
    // The stored theme, before the window is first drawn, so a dark choice
    // never flashes light at start.
    Theme::shared().apply(appDelegate_->timer().appTheme());
    window_->show();
    // The rest of launching (tray, menus, reports) waits for the first frame,
    // so the window appears as early as it can.
    // The icon too: looking it up in the icon theme takes a while, and the
    // panel shows it as soon as it is set.
    new FirstFrame(window_.get(), firstFrameFallbackMs, [delegate = appDelegate_.get()] {
        DefaultsStore::shared().commitHeldWrites();
        applyApplicationIcon();
        delegate->applicationDidFinishLaunching();
        // Last: subscribing waits on the bus, and the tray need not wait.
        Theme::shared().followDesktop();
    });
}
