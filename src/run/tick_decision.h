// Whether `korvan tick` runs now. The timer calls it every few minutes; what it decides by is kept in
// the state directory's korvan-tick.ini whatever the run record's switch says, so that a tick finds
// when the last run started, the plan's wait for a new password and the latest network time even
// with korvan.log and korvan-status.ini off. The N-hour period goes by the computer's clock, as the
// window's timer does; the plan's times are network time (log/network_clock.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "log/network_clock.h"
#include "plan/renewal_plan.h"
#include "run/renewal_period.h"
#include "run/run_record.h"

namespace korvan {

// A tick waits in its own process this long at most for a planned run due before the next tick.
inline constexpr int kLongestPlannedRunWaitSeconds = 300;

inline constexpr std::string_view kTickFileName = "korvan-tick.ini";
inline constexpr std::string_view kTickSection = "tick";
inline constexpr std::string_view kLastRunStartedKey = "lastRunStarted";  // Unix seconds
inline constexpr std::string_view kLastRunEndedKey = "lastRunEnded";      // Unix seconds
inline constexpr std::string_view kWaitingForUserKey = "waitingForUser";  // 1: the password was refused
inline constexpr std::string_view kConfigDigestKey = "configDigest";      // of the korvan.ini refused
inline constexpr std::string_view kConfigKey = "config";                  // the config file's absolute path
inline constexpr std::string_view kLastExitKey = "lastExit";              // the last run's exit status
inline constexpr std::string_view kSeenConfigKey = "seenConfig";          // digest of the korvan.ini the last tick read

struct TickState {
  std::optional<std::int64_t> lastRunStarted{};  // Unix seconds; none before the first renewal run
  std::optional<std::int64_t> lastRunEnded{};
  bool waitingForUser = false;  // the plan waits until korvan.ini is no longer the one refused
  Text configDigest{};
  TimeReading clock{};            // the latest read of the time page that answered
  Text config{};                  // whose state this is: the config file's absolute path; empty before the first run
  std::optional<int> lastExit{};  // the last run's exit status, for `korvan status`
  Text seenConfig{};              // the digest of korvan.ini as the last tick read it: a change switches the plan on
  friend bool operator==(const TickState&, const TickState&) = default;
};

// A value that is no positive count of seconds reads as none, so a damaged file costs one run early,
// never a renewal missed.
TickState ReadTickState(IniStore& file);
void WriteTickState(IniStore& file, const TickState& state);

enum class TickReason {
  PlannedRun,  // due: a run of the renewal plan has come due (a check or a renewal), or comes due
               // within waitSeconds, before the next tick would come
  NoRunYet,    // due: no renewal run has been recorded
  PeriodOver,  // due: the last run started a whole period ago or more
  PlanCheck,   // due: a check, as korvan.ini changed with the plan on and no expiry read for it yet
  NotYet,      // not due
  Stopped,     // not due: a negative period, with which the window renews only once at its start
};

struct TickDecision {
  bool due = false;
  TickReason reason = TickReason::NotYet;
  std::int64_t millisecondsToDue = 0;  // when not due and not stopped: how long until it is
  RenewalMode mode = RenewalMode::Renew;
  std::int64_t waitSeconds = 0;  // due: how long to wait in this tick before the run
  friend bool operator==(const TickDecision&, const TickDecision&) = default;
};

// planned: the plan's next run, with deadline on, due by networkNow (nowSeconds when not given). The
// N-hour period counts from the last run's start (the end of one for a file of an older version),
// so a run that keeps dying is not repeated at every tick. checkForPlan: korvan.ini changed since
// the last tick while the plan waits for an expiry (PlanWaitsForExpiry); a check then comes unless
// a renewal run, which reads the expiry too, is due.
TickDecision DecideTick(const TickState& state,
                        std::optional<std::int64_t> periodMilliseconds,
                        std::int64_t nowSeconds,
                        const std::optional<PlannedRun>& planned = std::nullopt,
                        std::optional<std::int64_t> networkNow = std::nullopt,
                        bool checkForPlan = false);

}  // namespace korvan
