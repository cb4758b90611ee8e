// The renewal period (监控时间) and the restart period (重启时间) in hours, as the window arms its
// timers from them; the Linux program counts its period the same way.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace korvan {

// The longest period whose milliseconds fit the window timer's signed 32-bit interval. Longer ones
// would wrap: 597..1193 hours would stop the timer and larger values would renew within minutes.
inline constexpr std::int32_t kLongestPeriodHours = 596;

// The hours a period box's value is taken as: 0 (or no digits) is 1, above kLongestPeriodHours is
// kLongestPeriodHours; none for a negative period, which stops the timer.
std::optional<std::int32_t> ClampedPeriodHours(std::int32_t hours);

// hours x 3,600,000.0, truncated toward zero to 64 bits, of which the low 32 bits are the window
// timer's interval. Exact for 0..kLongestPeriodHours; larger periods wrap.
std::int32_t HoursToMilliseconds(std::int32_t hours);

// The interval a period of this many hours arms the window's timer with, as it stands in its box
// (0 gives 0: the zero repair is the box's). A negative period stops the timer whatever its size:
// cut to 32 bits, its milliseconds can come out positive (-641859 hours gives 5,248 ms, -1193 hours
// under three minutes).
std::int32_t PeriodInterval(std::int32_t hours);

// 监控时间's text as a period in milliseconds; none when it stops the timer.
std::optional<std::int64_t> RenewalPeriodMilliseconds(std::string_view hoursText);

}  // namespace korvan
