#include "run/renewal_period.h"

#include "runtime/datetime/numbers.h"

namespace korvan {

namespace {

std::int32_t Shortened(std::int32_t hours) { return hours > kLongestPeriodHours ? kLongestPeriodHours : hours; }

}  // namespace

std::optional<std::int32_t> ClampedPeriodHours(std::int32_t hours) {
  if (hours < 0) return std::nullopt;
  if (hours == 0) return 1;
  return Shortened(hours);
}

std::int32_t HoursToMilliseconds(std::int32_t hours) {
  // Any int32 times 3,600,000 stays far inside the 64-bit range, so the truncation is exact and
  // only the cut to 32 bits wraps.
  const auto milliseconds = static_cast<std::int64_t>(static_cast<double>(hours) * 3600000.0);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(milliseconds));
}

std::int32_t PeriodInterval(std::int32_t hours) { return hours < 0 ? 0 : HoursToMilliseconds(Shortened(hours)); }

std::optional<std::int64_t> RenewalPeriodMilliseconds(std::string_view hoursText) {
  constexpr std::int64_t kMillisecondsPerHour = 3600000;
  const std::optional<std::int32_t> hours = ClampedPeriodHours(ToInteger(hoursText));
  if (!hours) return std::nullopt;
  return *hours * kMillisecondsPerHour;
}

}  // namespace korvan
