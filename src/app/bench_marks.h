#pragma once

#include "platform/published.h"

#include <QHash>
#include <QObject>

class LumoraApp;

// Hooks for the benchmarks and the process-level fault tests, off unless
// their environment variables are set:
//   LUMORA_BENCH_MARKS=1        print "lumora-bench <mark> <epoch ms>" lines for
//                               first-frame, tray-ready and ringing
//   LUMORA_BENCH_COUNTDOWN=<s>  start a custom countdown of s seconds at launch
//   LUMORA_BENCH_HIDE=1         hide the window once it has been drawn
//   LUMORA_BENCH_PAINTS=<s>     after s seconds, print "lumora-bench paints
//                               <widget> <count> <pixels>" for every widget drawn
class BenchMarks final : public QObject {
    Q_OBJECT
public:
    explicit BenchMarks(LumoraApp& app, QObject* parent = nullptr);
    ~BenchMarks() override;

    static bool wanted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void mark(const char* name);

    LumoraApp& app_;
    bool marks_ = false;
    bool hide_ = false;
    bool drawn_ = false;
    bool countPaints_ = false;
    struct Painted {
        int count = 0;
        qint64 pixels = 0;
    };
    QHash<QString, Painted> paints_;
    Cancellables cancellables_;
};
