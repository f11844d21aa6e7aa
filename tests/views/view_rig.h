#pragma once

#include "localization/localization_manager.h"
#include "platform/defaults_store.h"
#include "support/fake_clock.h"
#include "support/test_env.h"
#include "timer/timer_manager.h"
#include "views/content_view.h"

#include <QApplication>
#include <QTest>

// The timer window's content on a private config home and a fake clock,
// shown in a top-level of its own.
struct ViewRig {
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

    // A running one-minute preset countdown, `elapsedMs` in.
    void startPreset(qint64 minutes = 1, std::int64_t elapsedMs = 0)
    {
        timer.selectedPresetMinutes = minutes;
        timer.start();
        if (elapsedMs > 0) {
            clock.advance(elapsedMs);
            const qint64 expected = minutes * 60 - elapsedMs / 1000;
            QTRY_COMPARE(timer.remainingSeconds.get(), expected);
        }
        settle();
    }

    void pause()
    {
        timer.pause();
        settle();
    }

    void ring()
    {
        startPreset(1);
        clock.advance(61'000);
        QTRY_VERIFY(timer.isRinging);
        settle();
    }

    TempConfigHome home;
    std::unique_ptr<DefaultsStore> store = home.openStore();
    FakeClock clock;
    LocalizationManager l10n{*store, {QStringLiteral("en-US")}};
    TimerManager timer{*store, clock, l10n};
    std::unique_ptr<ContentView> view;
};

// Light and dark palettes of the kind the theme applies; the views draw only
// with palette roles, so these are enough to see both.
inline QPalette testPalette(bool dark)
{
    QPalette p;
    const QColor window = dark ? QColor(0x26, 0x26, 0x2a) : QColor(0xf5, 0xf5, 0xf7);
    const QColor text = dark ? QColor(0xf2, 0xf2, 0xf5) : QColor(0x1c, 0x1c, 0x1e);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Window, window);
        p.setColor(group, QPalette::WindowText, text);
        p.setColor(group, QPalette::Text, text);
        p.setColor(group, QPalette::Base, dark ? QColor(0x1e, 0x1e, 0x22) : Qt::white);
        p.setColor(group, QPalette::Button, window);
        p.setColor(group, QPalette::ButtonText, text);
        p.setColor(group, QPalette::Highlight, dark ? QColor(0x3d, 0x8b, 0xf2) : QColor(0x1b, 0x6f, 0xe0));
        p.setColor(group, QPalette::HighlightedText, Qt::white);
    }
    QColor dim = text;
    dim.setAlphaF(0.4f);
    p.setColor(QPalette::Disabled, QPalette::Text, dim);
    p.setColor(QPalette::Disabled, QPalette::WindowText, dim);
    return p;
}
