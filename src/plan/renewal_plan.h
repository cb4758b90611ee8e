// "Renew on time": the provider takes the free renewal only in the last 24 hours before the expiry,
// so besides the N-hour runs (which go on untouched) the plan asks for a few runs of its own:
//
//   window ahead    a check (login, VPS list, renewal page) 30 minutes before the window opens,
//                   then the first renewal run 5 minutes after it opens;
//   inside          after a run that did not renew, the next one after 2, 5, then every 10
//                   minutes, never later than a quarter of the time left and never sooner than
//                   2 minutes; none after a wrong password until a run logs in or ResumePlan
//                   (retries could lock the account);
//   renewed         on to the new expiry: at once with the verification, else from the next run;
//   past the expiry, or no expiry that can be read, or one more than 400 days ahead: no planned runs.
//
// The plan is a value; the caller keeps it, gives the network time as Unix seconds, logs the
// entries PlanAfterRun hands back, saves it (plan_store.h) and arms one timer at NextPlannedRun.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "renewal/renew_free_vps.h"
#include "renewal/run_report.h"
#include "runtime/text/text.h"

namespace korvan {

struct RenewalPlan {
  std::int64_t windowOpens = 0;          // Unix seconds, 24 hours before the expiry; 0: no plan
  std::int64_t nextRun = 0;              // Unix seconds of the next planned run; 0: none
  int attempts = 0;                      // runs in this window that tried to renew and did not
  bool waitingForUser = false;           // the last login was refused: no planned runs until ResumePlan
  bool lateWarned = false;               // the "即将到期" push went out for this window
  std::optional<Text> unreadableExpiry;  // the last expiry text that could not be read (logged once)
  friend bool operator==(const RenewalPlan&, const RenewalPlan&) = default;
};

struct PlannedRun {
  std::int64_t at = 0;  // Unix seconds; may have passed (a clock that jumped, a late start): run at once
  RenewalMode mode = RenewalMode::Renew;  // a check before the window, renewal runs from its opening
  friend bool operator==(const PlannedRun&, const PlannedRun&) = default;
};

struct PlanStep {
  RenewalPlan plan;
  std::vector<Text> entries;  // to log after the run's own, in order (code page 936)
};

// The plan after any run, planned, N-hour or by hand. A run is renewed when it logged "续费成功！"
// and, with verify on, the expiry moved (RunOutcome::ExpiryMoved). Every planned time it sets is at
// least 2 minutes after now, so no clock and no input can make the planned runs come in a burst.
PlanStep PlanAfterRun(const RenewalPlan& plan, const RunReport& run, bool verify, std::int64_t now);

// At the start (after LoadRenewalPlan), after the password was changed and after a save: ends the
// wait for the user, and replaces a planned time that has passed, lies past what the plan would
// choose from now, or is missing, with a fresh one (inside the window: 2 minutes from now).
RenewalPlan ResumePlan(const RenewalPlan& plan, std::int64_t now);

// The run the caller's timer waits for; nothing while waiting for the user or without a plan.
std::optional<PlannedRun> NextPlannedRun(const RenewalPlan& plan);

// No window yet (no expiry read since the plan was switched on, or none that can be read) and no
// wait for a new password: a check run now would read the expiry and make the plan.
bool PlanWaitsForExpiry(const RenewalPlan& plan);

// A restart that falls due now waits while a run is under way, or when the planned run is due within
// 30 minutes; it then waits for that run to end and restarts without asking again.
bool RestartWaits(const RenewalPlan& plan, std::int64_t now, bool runUnderWay);

// "Korvan：即将到期，尚未续期" (plan_messages.h) is due: less than 6 hours left in a window that has
// not been renewed and not yet warned of. The caller sends it and sets lateWarned.
bool LateWarningDue(const RenewalPlan& plan, std::int64_t now);

}  // namespace korvan
