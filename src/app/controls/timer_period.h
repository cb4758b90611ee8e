#pragma once

#include <cstdint>

namespace korvan {

// hours x 3,600,000.0, truncated toward zero to 64 bits, of which the low 32 bits are the interval.
// Exact for 0..596 hours; larger periods wrap, which is why the period boxes stop at 596.
std::int32_t HoursToMilliseconds(std::int32_t hours);

}  // namespace korvan
