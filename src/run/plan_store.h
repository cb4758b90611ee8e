// The plan kept across restarts in korvan-status.ini, section 运行状态, beside the run record. The
// times are written as the log stamps them, so a reader of the file sees when the next run is due.
#pragma once

#include <string_view>

#include "log/network_clock.h"
#include "plan/renewal_plan.h"
#include "run/run_record.h"

namespace korvan {

inline constexpr std::string_view kWindowOpensKey = "windowOpens";
inline constexpr std::string_view kNextRunKey = "nextRun";
inline constexpr std::string_view kAttemptsKey = "attempts";
inline constexpr std::string_view kLateWarnedKey = "lateWarned";
// The latest read of the time page that answered, as Unix and monotonic seconds and the boot's name.
inline constexpr std::string_view kNetworkTimeKey = "networkTime";
inline constexpr std::string_view kComputerTimeKey = "computerTime";
inline constexpr std::string_view kMonotonicTimeKey = "monotonicTime";
inline constexpr std::string_view kBootIdKey = "bootId";

// A time that cannot be read is none (no opening: no plan at all); attempts read as the failures in
// a row do. The wait for the user is not kept, as a restart ends it. Give the result to ResumePlan
// before use: it drops a planned time that has passed or that the plan would not choose from now.
RenewalPlan LoadRenewalPlan(IniStore& store);
// Writes the four keys, an absent time as the empty text; true when every write succeeded.
bool SaveRenewalPlan(IniStore& store, const RenewalPlan& plan);

// A reading that cannot be read is none: the next decision reads the time page first.
TimeReading LoadTimeReading(IniStore& store, std::string_view section);
bool SaveTimeReading(IniStore& store, std::string_view section, const TimeReading& reading);

}  // namespace korvan
