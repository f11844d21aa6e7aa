#pragma once

#include <QDate>
#include <QTimeZone>
#include <cstdint>
#include <optional>

// Local clock-time arithmetic for counting down to a time of day.
namespace target_time {

// The instant at which `date` shows hh:mm:00 in `zone`. A time skipped by a
// daylight-saving gap gives the first existing time after it; a time that
// occurs twice gives its first occurrence. None when the zone has no answer.
std::optional<std::int64_t> resolve(QDate date, int hour, int minute, const QTimeZone& zone);

// The next instant after `nowMs` at which the local clock shows hh:mm:00:
// today if still ahead, otherwise the same time one calendar day later.
std::optional<std::int64_t> nextOccurrence(std::int64_t nowMs, int hour, int minute,
                                           const QTimeZone& zone);

}  // namespace target_time
