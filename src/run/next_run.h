// The one answer to "when is the next run?": the earlier of the N-hour run and the plan's run, with
// its kind. 运行状况, `korvan status` and the pushes' 下次检查 all say it from here, so they agree.
// Times are network-time Unix seconds, as the plan's are. Code page 936.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "plan/renewal_plan.h"
#include "runtime/text/text.h"

namespace korvan {

enum class NextRunKind {
  Periodic,  // 定时续期: the N-hour run
  Renew,     // 按时续期: the plan's first renewal run in the window
  Retry,     // 按时续期重试: the plan's run after a failed try
  Check,     // 检查: the plan's check before the window
};

struct NextRun {
  std::int64_t at = 0;
  NextRunKind kind = NextRunKind::Periodic;
  friend bool operator==(const NextRun&, const NextRun&) = default;
};

// What a repeating timer has left `elapsed` milliseconds after it had `left` of its `interval` (both
// from one reading; 0 when it was not armed): it ticks on each interval, so a run longer than what
// was left names the tick after.
std::int64_t TimerLeftAfter(std::int64_t left, std::int64_t interval, std::int64_t elapsed);

// The N-hour run's time from the milliseconds its timer has left (0 or less: not armed, none).
std::optional<std::int64_t> PeriodicRunAt(std::int64_t millisecondsToRun, std::int64_t now);

// plan: with deadline on. A plan waiting for a new password plans nothing, so the N-hour run is
// next; on a tie the plan's run is named, as it is the one that renews on time.
std::optional<NextRun> ChooseNextRun(std::optional<std::int64_t> periodicAt, const std::optional<RenewalPlan>& plan);

// "8时25分（2分钟后，按时续期重试）": the clock time in UTC+8, the distance as DueText says it
// (a run due or overdue is 不到1分钟后) and the kind; "未安排" without a next run.
Text NextRunText(const std::optional<NextRun>& next, std::int64_t now);

// "下次运行：" + NextRunText: the first line of 运行状况 and of `korvan status`.
Text NextRunLine(const std::optional<NextRun>& next, std::int64_t now);

// "periodic", "renew", "retry" or "check", for `korvan status --json`.
std::string_view NextRunKindName(NextRunKind kind);

}  // namespace korvan
