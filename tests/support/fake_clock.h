#pragma once

#include "platform/clock.h"

// A clock the test moves by hand. advance() moves both clocks, as time
// passing does; stepWall() moves only the wall clock, as a correction does.
class FakeClock final : public Clock {
public:
    explicit FakeClock(QDateTime wallStart = QDateTime(QDate(2026, 6, 1), QTime(10, 0),
                                                       QTimeZone("Europe/Berlin")),
                       QTimeZone zone = QTimeZone("Europe/Berlin"))
        : wall_(wallStart.toMSecsSinceEpoch()), zone_(std::move(zone))
    {
    }

    std::int64_t elapsedMs() const override { return elapsed_; }
    std::int64_t wallMs() const override { return wall_; }
    QTimeZone timeZone() const override { return zone_; }

    void advance(std::int64_t ms)
    {
        elapsed_ += ms;
        wall_ += ms;
    }
    void stepWall(std::int64_t ms) { wall_ += ms; }

private:
    std::int64_t elapsed_ = 1'000'000;
    std::int64_t wall_;
    QTimeZone zone_;
};
