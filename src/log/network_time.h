// The current time in UTC+8 as the public time page tells it, for the log's time stamps.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/datetime/datetime.h"
#include "runtime/text/text.h"

namespace korvan {

// "window.baidu_time(": the call in the time page's answer that carries the millisecond count.
inline constexpr std::string_view kTimePageMarker = "window.baidu_time(";
inline constexpr std::string_view kTimePagePath = "/special/time";

// The time page every program of this build reads: http://, the time host, kTimePagePath.
Text TimePageUrl();

// 1970-01-01 08:00:00 plus the seconds: Unix seconds read as UTC+8, whatever the local time zone.
DateTime Utc8FromUnixSeconds(std::int64_t seconds);
// The other way: the Unix milliseconds of a UTC+8 time, to the nearest whole second.
std::int64_t UnixMillisecondsFromUtc8(DateTime time);

// The time in the time page's answer: the millisecond count after the marker up to the next ")",
// cut to whole seconds (64-bit, so counts past 2038 stay right). When the answer has no usable
// count (no marker, empty, non-numeric, zero or negative, beyond the year 9999) the result is the
// fallback; fallback omitted means 1970-01-01 08:00:00.
// The same count as Unix seconds; nothing when the answer has none that can be used (the page did not
// really answer).
std::optional<std::int64_t> NetworkSecondsFromAnswer(const ByteSet& answer);
DateTime NetworkTimeFromAnswer(const ByteSet& answer, std::optional<DateTime> fallback = std::nullopt);

}  // namespace korvan
