#pragma once

#include "app/app_delegate.h"
#include "app/lumora_app.h"
#include "app/main_window.h"
#include "fake_tray_backend.h"
#include "platform/defaults_store.h"
#include "platform/status_item.h"
#include "support/engine_rig.h"

#include <QApplication>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

// The whole shell on the engine rig's private config home, fake clock and
// counting sound, with a tray that records what it is told.
struct ShellRig : EngineRig {
    explicit ShellRig(bool trayAvailable = true)
        : ShellRig([this, trayAvailable] {
              return std::unique_ptr<TrayBackend>(tray = new FakeTrayBackend(trayAvailable));
          })
    {
    }

    // The shell on a tray of the test's own making.
    explicit ShellRig(AppDelegate::TrayFactory makeTray)
    {
        LumoraApp::applyApplicationIdentity();
        app = std::make_unique<LumoraApp>(std::make_unique<AppDelegate>(timer, l10n, std::move(makeTray)));
    }

    AppDelegate& delegate() const { return app->appDelegate(); }
    MainWindow& window() const { return app->mainWindow(); }

    // Shows the window and waits for the launch sequence it starts.
    void launch()
    {
        QSignalSpy steps(&delegate(), &AppDelegate::launchStepFinished);
        app->launch();
        QTRY_VERIFY(!steps.isEmpty() && steps.last().at(0).toString() == QLatin1String("languageSubscription"));
        settle();
    }

    // A one-second custom countdown that rings in the window only, bringing
    // the window forward or not: start it, then advance the clock past it.
    void armAlarm(bool bringToFront)
    {
        timer.setNotificationType(NotificationType::desktop);
        timer.setBringToFrontOnExpire(bringToFront);
        timer.mode = TimerMode::custom;
        timer.customSeconds = 1;
    }

    // The main menu's top-level menu with that position.
    QMenu* topMenu(int index) const { return window().mainMenu()->actions().at(index)->menu(); }

    FakeTrayBackend* tray = nullptr;
    std::unique_ptr<LumoraApp> app;
};
