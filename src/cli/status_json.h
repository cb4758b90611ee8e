// `korvan status --json`: the run record, the next run and the plan for scripts and monitors, with
// absolute times in ISO 8601 at UTC+8 (the panel's and the stamps' zone). No setting of korvan.ini
// is in it: the password and the push addresses are secrets.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "plan/renewal_plan.h"
#include "run/next_run.h"
#include "run/run_record.h"

namespace korvan {

struct StatusFacts {
  RunRecord record;
  std::optional<std::int64_t> nextRenewalRun;  // Unix seconds by the computer's clock
  std::optional<NextRun> nextRun;              // the one next run, network time (next_run.h)
  std::optional<RenewalPlan> plan;             // with deadline on
  std::int64_t clockOffsetSeconds = 0;         // the computer's clock minus the network time
  std::optional<int> lastExit;
  std::string recordFile;
};

// Keys: lastRun, lastResult, lastRenewed, expiry, failures, lastExitStatus, nextRun {time, kind
// ("periodic", "renew", "retry" or "check")}, nextRenewalRun,
// deadline, plan {windowOpens, nextRun, nextRunKind ("check" or "renew"), attempts, waitingForUser},
// clockOffsetSeconds, recordFile; an absent time or status is null. One line, UTF-8, newline ended.
std::string StatusJson(const StatusFacts& facts);

// 2024-05-06T12:00:00+08:00
std::string IsoTimeUtc8(std::int64_t unixSeconds);

}  // namespace korvan
