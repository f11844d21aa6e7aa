#include "app/bench_marks.h"

#include "app/app_delegate.h"
#include "app/lumora_app.h"
#include "app/main_window.h"
#include "timer/timer_manager.h"

#include <QDateTime>
#include <QEvent>
#include <QTimer>
#include <cstdio>

BenchMarks::BenchMarks(LumoraApp& app, QObject* parent)
    : QObject(parent), app_(app), marks_(qEnvironmentVariableIntValue("LUMORA_BENCH_MARKS") == 1),
      hide_(qEnvironmentVariableIntValue("LUMORA_BENCH_HIDE") == 1)
{
    app.mainWindow().installEventFilter(this);
    AppDelegate& delegate = app.appDelegate();
    connect(&delegate, &AppDelegate::launchStepFinished, this, [this](const QString& step) {
        if (step == QLatin1String("setupStatusBar") && marks_)
            mark("tray-ready");
    });
    TimerManager& timer = delegate.timer();
    cancellables_.push_back(timer.isRinging.sink([this](bool ringing) {
        if (ringing && marks_)
            mark("ringing");
    }));
    bool ok = false;
    const qint64 seconds = qEnvironmentVariable("LUMORA_BENCH_COUNTDOWN").toLongLong(&ok);
    if (ok && seconds > 0) {
        QTimer::singleShot(0, this, [this, &timer, seconds] {
            timer.mode = TimerMode::custom;
            timer.customMinutes = seconds / 60;
            timer.customSeconds = seconds % 60;
            // The window resets the engine on a mode change, a turn later.
            QTimer::singleShot(0, this, [&timer] { timer.start(); });
        });
    }
}

BenchMarks::~BenchMarks() = default;

bool BenchMarks::wanted()
{
    return qEnvironmentVariableIsSet("LUMORA_BENCH_MARKS") || qEnvironmentVariableIsSet("LUMORA_BENCH_COUNTDOWN")
           || qEnvironmentVariableIsSet("LUMORA_BENCH_HIDE");
}

void BenchMarks::mark(const char* name)
{
    std::printf("lumora-bench %s %lld\n", name, static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
    std::fflush(stdout);
}

bool BenchMarks::eventFilter(QObject* watched, QEvent* event)
{
    if (!drawn_ && event->type() == QEvent::Paint && watched == &app_.mainWindow()) {
        drawn_ = true;
        // After this paint reaches the screen.
        QTimer::singleShot(0, this, [this] {
            if (marks_)
                mark("first-frame");
            if (hide_)
                app_.mainWindow().hide();
        });
    }
    return QObject::eventFilter(watched, event);
}
