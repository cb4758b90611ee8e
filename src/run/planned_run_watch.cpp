#include "run/planned_run_watch.h"

namespace korvan {
namespace {

// One check of the window's timer later than the wake, so a check always falls inside.
constexpr std::int64_t kAwakeBefore = kWakeLead + 60;
// A run overdue this long was started or refused; the computer may sleep again.
constexpr std::int64_t kAwakeAfter = 10 * 60;

}  // namespace

bool PlannedRunDue(const std::optional<PlannedRun>& next, std::int64_t now) { return next && next->at <= now; }

bool PlannedRunWatch::StartIfDue(const std::optional<PlannedRun>& next,
                                 std::int64_t now,
                                 const std::function<bool(RenewalMode)>& start) {
  if (!PlannedRunDue(next, now) || startedFor_ == next->at) return false;
  if (!start(next->mode)) return false;
  startedFor_ = next->at;
  return true;
}

std::optional<std::int64_t> WakeTimeFor(const std::optional<PlannedRun>& next, bool wake, std::int64_t now) {
  if (!wake || !next) return std::nullopt;
  const std::int64_t at = next->at - kWakeLead;
  if (at <= now) return std::nullopt;
  return at;
}

bool KeepAwakeFor(const std::optional<PlannedRun>& next, bool wake, std::int64_t now) {
  if (!wake || !next) return false;
  const std::int64_t ahead = next->at - now;
  return ahead <= kAwakeBefore && ahead > -kAwakeAfter;
}

}  // namespace korvan
