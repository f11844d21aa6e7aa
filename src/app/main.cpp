#include "app/app_delegate.h"
#include "app/bench_marks.h"
#include "app/command_line_client.h"
#include "app/font_warm_up.h"
#include "app/lumora_app.h"
#include "app/termination_signals.h"
#include "app/timer_bus_interface.h"
#include "build_config.h"
#include "notifications/notification_helper.h"
#include "platform/defaults_store.h"
#include "platform/single_instance.h"
#include "timer/timer_manager.h"

#include <QApplication>
#include <cstdio>
#include <memory>

namespace {
bool haveDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}
}  // namespace

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (CommandLineClient::wanted(arguments)) {
        // A command for the running instance: no display, no window.
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QString::fromUtf8(lumora::build::kAppName));
        QCoreApplication::setApplicationVersion(QString::fromUtf8(lumora::build::kVersion));
        CommandLineClient client;
        return client.run(QCoreApplication::arguments());
    }
    if (!haveDisplay()) {
        std::fputs("lumora: no graphical display found (neither DISPLAY nor WAYLAND_DISPLAY is set)\n",
                   stdout);
        return 1;
    }
    FontWarmUp fonts;
    QApplication app(argc, argv);
    // The thread needs the application; it fills the font database while
    // the window is built (which waits on Qt's lock for what it lacks).
    fonts.listFonts();
    LumoraApp::applyApplicationIdentity();

    // The window is built, not shown, while the bus connects; a second
    // start then only wakes the first, before any window or tray item.
    SingleInstance instance(QString::fromUtf8(lumora::build::kAppId));
    instance.connectAhead();
    LumoraApp lumora;
    // Made before the claim, so whoever sees the name finds the interface.
    new TimerBusInterface(lumora.appDelegate().timer(), &instance, QDBusConnection::sessionBus(),
                          instance.objectPath());
    const SingleInstance::Role role = instance.claim();
    if (role != SingleInstance::Role::primary) {
        DefaultsStore::shared().discardHeldWrites();  // the first process keeps the settings
        fonts.wait();  // it uses Qt's font database, which goes with `app`
    }
    switch (role) {
    case SingleInstance::Role::primary:
        break;
    case SingleInstance::Role::secondary:
        return 0;
    case SingleInstance::Role::failed:
        std::fputs("lumora: Lumora is already running but does not answer\n", stdout);
        return 1;
    }

    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &app, [] { QCoreApplication::quit(); });

    QObject::connect(&instance, &SingleInstance::activateRequested, &lumora.appDelegate(),
                     &AppDelegate::bringWindowToFrontWith);
    lumora.launch();
    // After launch(): the marks' filter is then asked first about the first
    // paint, so "first-frame" is not held up by the launch steps that follow it.
    std::unique_ptr<BenchMarks> bench;
    if (BenchMarks::wanted())
        bench = std::make_unique<BenchMarks>(lumora);
    // A click on one of our notifications brings the timer window forward.
    QObject::connect(&NotificationHelper::shared(), &NotificationHelper::activated,
                     &lumora.appDelegate(),
                     [&lumora](const QString&, const QString& action, const QString& token) {
                         if (action == QLatin1String("default"))
                             lumora.appDelegate().bringWindowToFrontWith(token);
                     });
    const int status = app.exec();
    fonts.wait();
    return status;
}
