#include "app/controls/timer_period.h"

namespace korvan {

std::int32_t HoursToMilliseconds(std::int32_t hours) {
  // Any int32 times 3,600,000 stays far inside the 64-bit range, so the truncation is exact and
  // only the cut to 32 bits wraps.
  const auto milliseconds = static_cast<std::int64_t>(static_cast<double>(hours) * 3600000.0);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(milliseconds));
}

}  // namespace korvan
