#include "app/bench_marks.h"

#include "app/app_delegate.h"
#include "app/lumora_app.h"
#include "app/main_window.h"
#include "timer/timer_manager.h"

#include <QDateTime>
#include <QApplication>
#include <QEvent>
#include <QPaintEvent>
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
    const int paintSeconds = qEnvironmentVariableIntValue("LUMORA_BENCH_PAINTS");
    if (paintSeconds > 0) {
        QTimer::singleShot(2000, this, [this, paintSeconds] {
            paints_.clear();
            countPaints_ = true;
            qApp->installEventFilter(this);
            QTimer::singleShot(paintSeconds * 1000, this, [this] {
                countPaints_ = false;
                for (auto it = paints_.cbegin(); it != paints_.cend(); ++it)
                    std::printf("lumora-bench paints %s %d %lld\n", qPrintable(it.key()), it->count,
                                static_cast<long long>(it->pixels));
                std::fflush(stdout);
            });
        });
    }
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
           || qEnvironmentVariableIsSet("LUMORA_BENCH_HIDE") || qEnvironmentVariableIsSet("LUMORA_BENCH_PAINTS");
}

void BenchMarks::mark(const char* name)
{
    std::printf("lumora-bench %s %lld\n", name, static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
    std::fflush(stdout);
}

bool BenchMarks::eventFilter(QObject* watched, QEvent* event)
{
    if (countPaints_ && event->type() == QEvent::Paint) {
        const QRect r = static_cast<QPaintEvent*>(event)->rect();
        Painted& p = paints_[QString::fromLatin1(watched->metaObject()->className()) + QLatin1Char(':')
                             + watched->objectName()];
        ++p.count;
        p.pixels += qint64(r.width()) * r.height();
    }
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
