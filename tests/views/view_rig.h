#pragma once

#include "support/engine_rig.h"
#include "views/content_view.h"
#include "views/theme.h"

#include <QApplication>
#include <QTest>

// The timer window's content on a private config home and a fake clock,
// shown in a top-level of its own.
struct ViewRig : EngineRig {
    explicit ViewRig(AppLanguage language = AppLanguage::english)
    {
        l10n.setCurrent(language);
        view = std::make_unique<ContentView>(timer, l10n);
        view->show();
        settle();
    }

    // Lets queued redraws and deferred work run.
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    // A running preset countdown, `elapsedMs` in.
    void startPreset(qint64 minutes = 1, std::int64_t elapsedMs = 0)
    {
        EngineRig::startPreset(minutes);
        clock.advance(elapsedMs);
        QTRY_COMPARE(timer.remainingSeconds.get(), minutes * 60 - elapsedMs / 1000);
        settle();
    }

    // Shown, exposed and holding the keyboard, as a user's window is.
    bool activate()
    {
        if (!QTest::qWaitForWindowExposed(view.get()))
            return false;
        // Without a window manager the first window of the process takes
        // the keyboard only when it asks for it itself.
        view->activateWindow();
        QApplication::setActiveWindow(view.get());
        return QTest::qWaitForWindowActive(view.get());
    }

    void ring()
    {
        startPreset(1);
        clock.advance(61'000);
        QTRY_VERIFY(timer.isRinging);
        settle();
    }

    std::unique_ptr<ContentView> view;
};
