// The plan's lines in the "运行状况" box. Code page 936.
#pragma once

#include <vector>

#include "plan/renewal_plan.h"
#include "runtime/text/text.h"

namespace korvan {

// Three lines, in order: when the renewal window opens, the next planned run (its time and whether it
// is a check or a renewal, the wait for a new password, or 未安排) and the renewal runs tried in this
// window. Without a plan the first says 尚无.
std::vector<Text> PlanStatusLines(const RenewalPlan& plan);

}  // namespace korvan
