#pragma once

#include <QDateTime>
#include <QTimeZone>
#include <cstdint>

// The time sources the engine reads. Durations run on a clock that keeps
// counting across suspend and ignores wall-clock steps; clock-time targets
// use the wall clock and the local time zone.
class Clock {
public:
    virtual ~Clock() = default;

    // Milliseconds on a monotonic clock that includes time spent suspended.
    virtual std::int64_t elapsedMs() const = 0;
    // Milliseconds since the Unix epoch on the wall clock.
    virtual std::int64_t wallMs() const = 0;
    // The zone used for local clock times.
    virtual QTimeZone timeZone() const = 0;

    QDateTime wallNow() const;

    // The process-wide clock of the real system.
    static Clock& system();
};
