#pragma once

#include "platform/clock.h"

// A clock the test moves by hand, standing at first at 2026-06-01 10:00 in
// Berlin. advance() moves both clocks, as time passing does; stepWall() moves
// only the wall clock, as a correction does.
class FakeClock final : public Clock {
public:
    std::int64_t elapsedMs() const override { return elapsed_; }
    std::int64_t wallMs() const override { return wall_; }
    QTimeZone timeZone() const override { return zone_; }

    void advance(std::int64_t ms) { elapsed_ += ms, wall_ += ms; }
    void stepWall(std::int64_t ms) { wall_ += ms; }

private:
    QTimeZone zone_{"Europe/Berlin"};
    std::int64_t elapsed_ = 1'000'000;
    std::int64_t wall_ = QDateTime(QDate(2026, 6, 1), QTime(10, 0), zone_).toMSecsSinceEpoch();
};
