#include "timer/target_time.h"

#include <QDateTime>
#include <algorithm>
#include <vector>

namespace target_time {

std::optional<std::int64_t> resolve(QDate date, int hour, int minute, const QTimeZone& zone)
{
    if (!date.isValid() || !zone.isValid())
        return std::nullopt;
    // The wall time read as if it were UTC; each offset the zone uses near
    // that day turns it into one candidate instant.
    const std::int64_t naive =
        QDateTime(date, QTime(hour, minute), Qt::UTC).toMSecsSinceEpoch();
    constexpr std::int64_t day = 86'400'000;
    std::vector<int> offsets;
    for (std::int64_t probe : {naive - 2 * day, naive - day, naive, naive + day, naive + 2 * day}) {
        const int o = zone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(probe, Qt::UTC));
        if (std::find(offsets.begin(), offsets.end(), o) == offsets.end())
            offsets.push_back(o);
    }
    std::optional<std::int64_t> first;
    std::int64_t earliestCandidate = naive;
    for (int o : offsets) {
        const std::int64_t t = naive - std::int64_t(o) * 1000;
        earliestCandidate = std::min(earliestCandidate, t);
        const QDateTime at = QDateTime::fromMSecsSinceEpoch(t, Qt::UTC);
        if (zone.offsetFromUtc(at) == o && (!first || t < *first))
            first = t;
    }
    if (first)
        return first;
    // In a gap: the clock jumps over the wanted time, so the first existing
    // time after it is the moment of the jump.
    const auto next = zone.nextTransition(
        QDateTime::fromMSecsSinceEpoch(earliestCandidate - 1, Qt::UTC));
    if (!next.atUtc.isValid())
        return std::nullopt;
    return next.atUtc.toMSecsSinceEpoch();
}

std::optional<std::int64_t> nextOccurrence(std::int64_t nowMs, int hour, int minute,
                                           const QTimeZone& zone)
{
    if (!zone.isValid())
        return std::nullopt;
    const QDate today = QDateTime::fromMSecsSinceEpoch(nowMs, zone).date();
    const auto target = resolve(today, hour, minute, zone);
    if (!target)
        return std::nullopt;
    if (*target > nowMs)
        return target;
    const auto tomorrow = resolve(today.addDays(1), hour, minute, zone);
    // A calendar that cannot go on gives no later instant: no countdown.
    if (!tomorrow || *tomorrow <= nowMs)
        return std::nullopt;
    return tomorrow;
}

}  // namespace target_time
