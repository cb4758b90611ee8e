// What the status label says while monitoring runs. With the run record or the plan on (高级设置
// history, deadline) it also tells a failing renewal from a good one; with both off it says only
// 监控运行中, as it always has.
#pragma once

#include <cstdint>

#include "config/advanced_settings.h"
#include "plan/renewal_plan.h"
#include "run/run_record.h"
#include "runtime/text/text.h"

namespace korvan {

struct RenewalStanding {
  bool shown = false;          // history or deadline on: the label speaks of the renewals
  bool lastRunFailed = false;  // the record's last run failed
  std::int64_t retryAt = 0;    // Unix seconds of the plan's retry after a failed try; 0: none
  friend bool operator==(const RenewalStanding&, const RenewalStanding&) = default;
};

// The standing by the settings a run went by, the record after it and the plan (read only with deadline on).
RenewalStanding StandingOf(const AdvancedSettings& settings, const RunRecord& record, const RenewalPlan& plan);

// The standing the status label shows; window thread only, set after each run and at the start.
RenewalStanding& shownStanding();

// "监控运行中 ●" (○ when not filled), or while renewals fail "续期未成功，8:25重试 ●" (the retry's
// clock time, UTC+8) or "上次续期未成功 ●".
Text RunningCaption(const RenewalStanding& standing, bool filled);

}  // namespace korvan
