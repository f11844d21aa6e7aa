#include "app/lumora_app.h"

#include "app/app_delegate.h"
#include "app/main_window.h"
#include "build_config.h"
#include "views/content_view.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

LumoraApp::LumoraApp() : LumoraApp(std::make_unique<AppDelegate>()) {}

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
    QIcon icon = QIcon::fromTheme(QString::fromUtf8(lumora::build::kAppId));
    if (icon.isNull())
        icon = QIcon(QStringLiteral(":/icons/org.lumora.Lumora.svg"));
    QApplication::setWindowIcon(icon);
}

void LumoraApp::launch()
{
    // The stored theme is applied here, before the window first shows.
    window_->show();
    QTimer::singleShot(0, appDelegate_.get(), &AppDelegate::applicationDidFinishLaunching);
}
