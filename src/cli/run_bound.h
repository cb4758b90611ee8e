// How long one tick may take at the most, from the constants that bound each of its waits.
#pragma once

namespace korvan {

// A tick waits this long at the most for a planned run that comes due before the next tick.
inline constexpr int kLongestPlannedRunWaitSeconds = 300;

}  // namespace korvan
