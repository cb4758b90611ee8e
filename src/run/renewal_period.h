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

// 监控时间's text as a period in milliseconds; none when it stops the timer.
std::optional<std::int64_t> RenewalPeriodMilliseconds(std::string_view hoursText);

}  // namespace korvan
