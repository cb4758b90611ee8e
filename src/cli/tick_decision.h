// Whether `korvan tick` runs a renewal now. The timer calls it every few minutes; what it decides by
// is kept in the state directory's korvan-tick.ini whatever the run record's switch says, so that a
// tick finds when the last run ended even with korvan.log and korvan-status.ini off.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "plan/renewal_plan.h"
#include "run/run_record.h"

namespace korvan {

inline constexpr std::string_view kTickFileName = "korvan-tick.ini";
inline constexpr std::string_view kTickSection = "tick";
inline constexpr std::string_view kLastRunEndedKey = "lastRunEnded";  // Unix seconds

struct TickState {
  std::optional<std::int64_t> lastRunEnded;  // Unix seconds; none before the first renewal run
  friend bool operator==(const TickState&, const TickState&) = default;
};

// A value that is no positive count of seconds reads as no run, so a damaged file costs one run early,
// never a renewal missed.
TickState ReadTickState(IniStore& file);
void WriteTickState(IniStore& file, const TickState& state);

// 监控时间 as the window arms its renewal timer from it: no digits or 0 is 1 hour, above 596 hours is
// 596; a negative period stops the timer, and none is given.
std::optional<std::int64_t> RenewalPeriodMilliseconds(std::string_view hoursText);

enum class TickReason {
  PlannedRun,  // due: a run of the renewal plan has come due (a check or a renewal)
  NoRunYet,    // due: no renewal run has been recorded
  PeriodOver,  // due: the last run ended a whole period ago or more
  NotYet,      // not due
  Stopped,     // not due: a negative period, with which the window renews only once at its start
};

struct TickDecision {
  bool due = false;
  TickReason reason = TickReason::NotYet;
  std::int64_t millisecondsToDue = 0;  // when not due and not stopped: how long until it is
  RenewalMode mode = RenewalMode::Renew;
  friend bool operator==(const TickDecision&, const TickDecision&) = default;
};

// planned: the plan's next run, with deadline on.
TickDecision DecideTick(const TickState& state,
                        std::optional<std::int64_t> periodMilliseconds,
                        std::int64_t nowSeconds,
                        const std::optional<PlannedRun>& planned = std::nullopt);

}  // namespace korvan
