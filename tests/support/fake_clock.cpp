#include "support/fake_clock.h"

FakeClock::FakeClock(QDateTime wallStart, QTimeZone zone)
    : wall_(wallStart.toMSecsSinceEpoch()), zone_(std::move(zone))
{
}

void FakeClock::advance(std::int64_t ms)
{
    elapsed_ += ms;
    wall_ += ms;
}

void FakeClock::stepWall(std::int64_t ms)
{
    wall_ += ms;
}

void FakeClock::setWall(const QDateTime& at)
{
    wall_ = at.toMSecsSinceEpoch();
}
