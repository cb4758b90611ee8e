// The plan's lines in the "运行状况" box. Code page 936.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "plan/renewal_plan.h"
#include "runtime/text/text.h"

namespace korvan {

// Three lines, in order: when the renewal window opens, the next planned run (its time and whether it
// is a check or a renewal, the wait for a new password, or 未安排) and the renewal runs tried in this
// window. Without a plan the first says 尚无.
std::vector<Text> PlanStatusLines(const RenewalPlan& plan);

// "本机时钟：比网络时间快40分钟" (or 慢, in days and hours, hours and minutes, or minutes) when the
// computer's clock is more than a minute off the time page (offset: computer minus network, seconds);
// nothing otherwise.
std::optional<Text> ClockOffsetLine(std::int64_t offsetSeconds);

}  // namespace korvan
