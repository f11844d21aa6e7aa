// How late the alarm comes: many short countdowns on the real clock, with
// a notification server on a private bus. For each it records when the
// engine started ringing, when the first sound played and when the
// notification reached the server, against the countdown's end instant.
#include "localization/localization_manager.h"
#include "notifications/notification_helper.h"
#include "platform/alarm_sound.h"
#include "platform/clock.h"
#include "platform/defaults_store.h"
#include "support/notification_server.h"
#include "support/test_env.h"
#include "timer/timer_manager.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <cstdio>
#include <vector>

namespace {
qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

struct StampedSound final : AlarmSound {
    qint64 first = 0;
    void play() override
    {
        if (!first)
            first = now();
    }
};

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double latest(const std::vector<double>& v)
{
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

void spin(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}
}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int runs = qMax(1, qEnvironmentVariableIntValue("BENCH_EXPIRY_RUNS") ? qEnvironmentVariableIntValue("BENCH_EXPIRY_RUNS") : 20);
    const qint64 lengthSeconds = 2;

    PrivateBus bus;
    if (!bus.isRunning()) {
        std::fputs("bench_expiry: cannot start a private dbus-daemon\n", stderr);
        return 1;
    }
    NotificationServer server(bus.connect(QStringLiteral("server")));
    NotificationHelper helper(bus.connect(QStringLiteral("client")));
    TempConfigHome home;
    auto store = home.openStore();
    LocalizationManager l10n(*store, {QStringLiteral("en")});
    TimerManager timer(*store, Clock::system(), l10n);
    StampedSound sound;
    timer.setAlarmSound(&sound);
    timer.setNotificationHelper(&helper);

    // Stamped as the engine says so, before it plays the first sound.
    qint64 rang = 0;
    const auto ringing = timer.isRinging.sink([&rang](bool on) {
        if (on && !rang)
            rang = now();
    });
    std::vector<double> ringVsEnd, soundVsEnd, noticeVsEnd, soundAfterRing, noticeAfterRing;
    for (int i = 0; i < runs; ++i) {
        timer.reset();
        sound.first = 0;
        const std::size_t before = server.received.size();
        timer.mode = TimerMode::custom;
        timer.customMinutes = 0;
        timer.customSeconds = lengthSeconds;
        const qint64 started = now();
        timer.start();
        const qint64 end = started + lengthSeconds * 1000;
        rang = 0;
        qint64 noticed = 0;
        spin([&] {
            if (!noticed && server.received.size() > before)
                noticed = now();
            return rang && noticed && sound.first;
        }, 10'000);
        if (!rang)
            continue;
        ringVsEnd.push_back(double(rang - end));
        soundVsEnd.push_back(double(sound.first - end));
        soundAfterRing.push_back(double(sound.first - rang));
        if (noticed) {
            noticeVsEnd.push_back(double(noticed - end));
            noticeAfterRing.push_back(double(noticed - rang));
        }
        timer.stopRinging();
    }
    std::printf("expiry: ringing vs end instant, median %+.0f ms (the engine ends at the first tick with less "
                "than a whole second left) over %zu countdowns\n",
                median(ringVsEnd), ringVsEnd.size());
    // Negative is before the end instant; the target is at most 150 ms after it.
    std::printf("expiry: first alarm sound vs end instant, median %+.0f ms, latest %+.0f ms (%.0f ms after "
                "ringing starts; target < +150 ms)\n",
                median(soundVsEnd), latest(soundVsEnd), median(soundAfterRing));
    std::printf("expiry: notification at the server vs end instant, median %+.0f ms, latest %+.0f ms (%.0f ms "
                "after ringing starts; target < +150 ms)\n",
                median(noticeVsEnd), latest(noticeVsEnd), median(noticeAfterRing));
    return 0;
}
