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

    std::vector<double> ringVsEnd, soundAfterRing, noticeAfterRing;
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
        qint64 rang = 0;
        qint64 noticed = 0;
        spin([&] {
            if (!rang && timer.isRinging)
                rang = now();
            if (!noticed && server.received.size() > before)
                noticed = now();
            return rang && noticed && sound.first;
        }, 10'000);
        if (!rang)
            continue;
        ringVsEnd.push_back(double(rang - end));
        soundAfterRing.push_back(double(sound.first - rang));
        if (noticed)
            noticeAfterRing.push_back(double(noticed - rang));
        timer.stopRinging();
    }
    std::printf("expiry: ringing vs end instant, median %+.0f ms (the engine ends at the first tick with less "
                "than a whole second left) over %zu countdowns\n",
                median(ringVsEnd), ringVsEnd.size());
    std::printf("expiry: first alarm sound after ringing starts, median %.0f ms\n", median(soundAfterRing));
    std::printf("expiry: notification at the server after ringing starts, median %.0f ms\n", median(noticeAfterRing));
    return 0;
}
