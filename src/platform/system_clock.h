#pragma once

#include "platform/clock.h"

// CLOCK_BOOTTIME for durations, CLOCK_REALTIME for the wall, the system zone.
class SystemClock final : public Clock {
public:
    std::int64_t elapsedMs() const override;
    std::int64_t wallMs() const override;
    QTimeZone timeZone() const override;
};
