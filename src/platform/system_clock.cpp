#include "platform/system_clock.h"

#include <ctime>

namespace {
std::int64_t readMs(clockid_t id)
{
    timespec ts{};
    clock_gettime(id, &ts);
    return std::int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}
}  // namespace

std::int64_t SystemClock::elapsedMs() const
{
    return readMs(CLOCK_BOOTTIME);
}

std::int64_t SystemClock::wallMs() const
{
    return readMs(CLOCK_REALTIME);
}

QTimeZone SystemClock::timeZone() const
{
    return QTimeZone::systemTimeZone();
}

QDateTime Clock::wallNow() const
{
    return QDateTime::fromMSecsSinceEpoch(wallMs(), timeZone());
}

Clock& Clock::system()
{
    static SystemClock clock;
    return clock;
}
