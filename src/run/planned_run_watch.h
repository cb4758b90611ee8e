// What the main window's planned-run timer decides at each of its checks: whether the plan's next
// run is due and not yet started, when to wake the computer for it and when to keep it awake.
// Portable; the times are Unix seconds by the computer's clock, never waited for on the window's
// thread.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "plan/renewal_plan.h"

namespace korvan {

inline constexpr std::int64_t kWakeLead = 2 * 60;  // the computer is woken this long before a planned run

// The plan's due test, the window's watch and the tick's alike: a next run whose time has come by now.
bool PlannedRunDue(const std::optional<PlannedRun>& next, std::int64_t now);

class PlannedRunWatch {
 public:
  // Starts next through start when its time has come and no run was started for that time yet.
  // The time is remembered only when start took the run: a start refused while another run holds
  // the gate is tried again at the next check. True when a run was started.
  bool StartIfDue(const std::optional<PlannedRun>& next,
                  std::int64_t now,
                  const std::function<bool(RenewalMode)>& start);

 private:
  std::optional<std::int64_t> startedFor_;
};

// When the wake timer should go off for next: kWakeLead before it; nothing with the wake off,
// without a planned run, or when that moment has come already (the computer is awake then).
std::optional<std::int64_t> WakeTimeFor(const std::optional<PlannedRun>& next, bool wake, std::int64_t now);

// Whether the computer should be kept from idling back to sleep now: from kWakeLead (and a check's
// length) before the planned run until it is some minutes overdue, with the wake on.
bool KeepAwakeFor(const std::optional<PlannedRun>& next, bool wake, std::int64_t now);

}  // namespace korvan
