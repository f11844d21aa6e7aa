#pragma once

#include "localization/localization_manager.h"
#include "platform/alarm_sound.h"
#include "support/fake_clock.h"
#include "support/test_env.h"
#include "timer/timer_manager.h"

#include <QTest>

// Counts the plays of the alarm.
struct CountingSound final : AlarmSound {
    int plays = 0;
    void play() override { ++plays; }
};

// An engine on a private config home and a fake clock that stands at
// 10:00 local time, ringing into a counting sound.
struct EngineRig {
    TempConfigHome home;
    std::unique_ptr<DefaultsStore> store = home.openStore();
    FakeClock clock;
    LocalizationManager l10n{*store, {QStringLiteral("en-US")}};
    TimerManager timer{*store, clock, l10n};
    CountingSound sound;
    EngineRig() { timer.setAlarmSound(&sound); }

    void startPreset(qint64 minutes) { timer.selectedPresetMinutes = minutes, timer.start(); }
    void startTarget(qint64 hour, qint64 minute)
    {
        timer.mode = TimerMode::targetTime, timer.targetHour = hour, timer.targetMinute = minute, timer.start();
    }
    // Runs queued deliveries, redraws and deferred deletions until nothing
    // is left.
    static void settle()
    {
        for (int i = 0; i < 4; ++i) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    // A one-second countdown run out on the fake clock.
    void expire()
    {
        timer.mode = TimerMode::custom, timer.customSeconds = 1, timer.start();
        clock.advance(1001);
        QTRY_VERIFY(!timer.isRunning);
    }
};
