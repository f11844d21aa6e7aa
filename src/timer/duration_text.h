#pragma once

#include <QString>
#include <optional>

// Lengths and clock times as people type them on a command line.
namespace duration_text {

// Seconds in "25m", "90s", "1h30m", "1h 30m 10s", "1:30:00", "25:00" (minutes
// and seconds) or plain minutes "25". Units come largest first, each once;
// after a colon come two digits below 60. Values too large to hold saturate,
// so they read as too long rather than as malformed. None when it is no length.
std::optional<qint64> parseDuration(const QString& text);

// Minutes past midnight for "HH:MM" (one or two hour digits, 0..23, and two
// minute digits, 0..59). None for anything else.
std::optional<int> parseClockTime(const QString& text);

}  // namespace duration_text
