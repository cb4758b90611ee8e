#include "run/renewal_period.h"

#include "runtime/datetime/numbers.h"

namespace korvan {

std::optional<std::int32_t> ClampedPeriodHours(std::int32_t hours) {
  if (hours < 0) return std::nullopt;
  if (hours == 0) return 1;
  return hours > kLongestPeriodHours ? kLongestPeriodHours : hours;
}

std::optional<std::int64_t> RenewalPeriodMilliseconds(std::string_view hoursText) {
  constexpr std::int64_t kMillisecondsPerHour = 3600000;
  const std::optional<std::int32_t> hours = ClampedPeriodHours(ToInteger(hoursText));
  if (!hours) return std::nullopt;
  return *hours * kMillisecondsPerHour;
}

}  // namespace korvan
