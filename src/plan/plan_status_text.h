// The plan's lines in the "运行状况" box. Code page 936.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "plan/renewal_plan.h"
#include "runtime/text/text.h"

namespace korvan {

// Three lines, in order: when the renewal window opens, the next planned run (its time and whether it
// is a check or a renewal, the wait for a new password, or 未安排) and the renewal runs tried in this
// window. Without a plan the first says 尚无, and the second's 未安排 is followed by unplannedHint:
// why nothing is planned yet and how to plan now, as each front end says it.
std::vector<Text> PlanStatusLines(const RenewalPlan& plan, std::string_view unplannedHint = {});

// （读到到期时间后安排，可点“立即检查”）: the window program's unplannedHint.
inline constexpr std::string_view kUnplannedHintWindow =
    "\xA3\xA8\xB6\xC1\xB5\xBD\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xBA\xF3\xB0\xB2\xC5\xC5\xA3\xAC\xBF\xC9\xB5\xE3"
    "\xA1\xB0\xC1\xA2\xBC\xB4\xBC\xEC\xB2\xE9\xA1\xB1\xA3\xA9";
// （读到到期时间后安排，可运行 korvan check）: the Linux program's.
inline constexpr std::string_view kUnplannedHintCommand =
    "\xA3\xA8\xB6\xC1\xB5\xBD\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xBA\xF3\xB0\xB2\xC5\xC5\xA3\xAC\xBF\xC9\xD4\xCB"
    "\xD0\xD0 korvan check\xA3\xA9";

// "本机时钟：比网络时间快40分钟" (or 慢, in days and hours, hours and minutes, or minutes) when the
// computer's clock is more than a minute off the time page (offset: computer minus network, seconds);
// nothing otherwise.
std::optional<Text> ClockOffsetLine(std::int64_t offsetSeconds);

}  // namespace korvan
