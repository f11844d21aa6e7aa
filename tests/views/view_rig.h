#pragma once

#include "support/engine_rig.h"
#include "views/content_view.h"
#include "views/ringing_overlay.h"
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

    // Takes `steps` as a user does: a control's name clicks it, "+ms" lets
    // that much time pass, "hide" and "show" the window, "zh" switches the
    // language; "mode=", "custom=m:s", "target=h:m" and "restart=0|1" set
    // the engine's inputs.
    void play(const QString& steps)
    {
        for (const QString& step : steps.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString value = step.section(QLatin1Char('='), 1);
            const qint64 a = value.section(QLatin1Char(':'), 0, 0).toLongLong();
            const qint64 b = value.section(QLatin1Char(':'), 1, 1).toLongLong();
            if (QWidget* control = view->findChild<QWidget*>(step)) {
                QTest::mouseClick(control, Qt::LeftButton);
            } else if (step.startsWith(QLatin1Char('+'))) {
                const qint64 left = timer.remainingSeconds.get() - step.toLongLong() / 1000;
                clock.advance(step.toLongLong());
                QTRY_VERIFY(timer.isRinging || timer.remainingSeconds.get() == left);
            } else if (step == QLatin1String("show")) {
                // Hidden, the window did no work, not even when it rang.
                QVERIFY(!view->ringingOverlay()->isPulsing());
                view->show();
                continue;  // what follows sees the first frame
            } else if (step == QLatin1String("hide")) {
                view->hide();
            } else if (step == QLatin1String("zh")) {
                l10n.setCurrent(AppLanguage::chinese);
            } else if (step.startsWith(QLatin1String("mode="))) {
                for (const TimerMode mode : allTimerModes)
                    if (rawValue(mode) == value)
                        timer.mode = mode;
            } else if (step.startsWith(QLatin1String("custom="))) {
                timer.customMinutes = a;
                timer.customSeconds = b;
            } else if (step.startsWith(QLatin1String("target="))) {
                timer.targetHour = a;
                timer.targetMinute = b;
            } else {
                QVERIFY2(step.startsWith(QLatin1String("restart=")), qPrintable(step));
                timer.setShowRestartOnExpire(a);
            }
            settle();
        }
    }

    std::unique_ptr<ContentView> view;
};
