#include "plan/renewal_plan.h"

#include <algorithm>

#include "plan/plan_messages.h"
#include "plan/provider_time.h"
#include "renewal/run_messages.h"

namespace korvan {
namespace {

constexpr std::int64_t kMinute = 60;
constexpr std::int64_t kHour = 60 * kMinute;
constexpr std::int64_t kWindowLength = 24 * kHour;
constexpr std::int64_t kCheckBeforeOpening = 30 * kMinute;
constexpr std::int64_t kFirstRenewalAfterOpening = 5 * kMinute;
constexpr std::int64_t kShortestGap = 2 * kMinute;
// Never more than 10 minutes apart: a panel that comes back for 10 minutes between two outages is
// still caught. Steps going on to an hour missed such windows in the replay (docs/performance.md).
constexpr std::int64_t kRetrySteps[] = {2 * kMinute, 5 * kMinute, 10 * kMinute};
// Beyond this the expiry text, or the clock, is wrong rather than the VPS paid for years.
constexpr std::int64_t kFarthestExpiry = 400 * 24 * kHour;
constexpr std::int64_t kRestartHold = 30 * kMinute;
constexpr std::int64_t kLateWarningLead = 6 * kHour;
// The ladder ends at its last step long before this; it only keeps a hand-written count in range.
constexpr int kMostAttempts = 999;

// 9999-12-31 23:59:59 UTC: no date-time the plan reads lies beyond, and the sums below stay far from overflow.
constexpr std::int64_t kLastSecond = 253402300799;

std::int64_t SaneNow(std::int64_t now) { return std::clamp<std::int64_t>(now, 0, kLastSecond); }
bool HasWindow(const RenewalPlan& plan) { return plan.windowOpens > 0 && plan.windowOpens <= kLastSecond; }
std::int64_t ExpiryOf(const RenewalPlan& plan) { return plan.windowOpens + kWindowLength; }

// With the verification a renewal counts when the expiry moved, or when it could not be compared
// (an empty read proves nothing either way, so the provider's word stands).
bool IsRenewal(const RunReport& run, bool verify) {
  const bool said = std::any_of(run.entries.begin(), run.entries.end(),
                                [](const RunEntry& entry) { return entry.outcome == RunOutcome::Renewed; });
  return said && (!verify || run.outcome == RunOutcome::ExpiryMoved || run.outcome == RunOutcome::Renewed);
}

// A run that found the VPS went on to read its expiry and log it, even an empty one.
bool ReadAnExpiry(const RunReport& run) { return !run.vpsId.empty() || !run.expiry.empty(); }

// The planned time from now: the check, the first renewal run, or `delayInside` inside the window;
// 0 when it would fall at or past the expiry.
std::int64_t ScheduleFrom(const RenewalPlan& plan, std::int64_t now, std::int64_t delayInside) {
  std::int64_t at = 0;
  if (now < plan.windowOpens - kCheckBeforeOpening) {
    at = plan.windowOpens - kCheckBeforeOpening;
  } else if (now < plan.windowOpens + kFirstRenewalAfterOpening) {
    at = plan.windowOpens + kFirstRenewalAfterOpening;
  } else {
    at = now + delayInside;
  }
  at = std::max(at, now + kShortestGap);
  return at < ExpiryOf(plan) ? at : 0;
}

// The ladder's step after this many tries, capped by a quarter of the time left.
std::int64_t RetryDelay(const RenewalPlan& plan, int attempts, std::int64_t now) {
  constexpr int kLastStep = static_cast<int>(std::size(kRetrySteps)) - 1;
  const std::int64_t step = kRetrySteps[std::clamp(attempts - 1, 0, kLastStep)];
  return std::min(step, (ExpiryOf(plan) - now) / 4);
}

// "到期时间无法识别" once per text, for a run that leaves no plan.
void NoteUnreadable(PlanStep& step, std::string_view text) {
  if (ReadProviderTime(text)) return;
  if (step.plan.unreadableExpiry != text) step.entries.emplace_back(kUnreadableExpiryMessage);
  step.plan.unreadableExpiry = Text(text);
}

// Takes the expiry a run read. Only one that can be read and opens another window replaces the
// plan (true: a new plan); an empty or unreadable one is a glitch of that run while a plan stands.
bool TakeExpiry(PlanStep& step, std::string_view text, std::int64_t now) {
  RenewalPlan& plan = step.plan;
  if (HasWindow(plan) && now >= ExpiryOf(plan)) plan = RenewalPlan{.unreadableExpiry = plan.unreadableExpiry};
  const std::optional<std::int64_t> expiry = ReadProviderTime(text);
  const bool usable = expiry && *expiry > now && *expiry - now <= kFarthestExpiry;
  if (!usable) {
    if (HasWindow(plan)) return false;
    plan = RenewalPlan{.unreadableExpiry = plan.unreadableExpiry};
    NoteUnreadable(step, text);
    return false;
  }
  plan.unreadableExpiry.reset();
  const std::int64_t opens = *expiry - kWindowLength;
  if (opens == plan.windowOpens) return false;
  plan = RenewalPlan{};
  plan.windowOpens = opens;
  return true;
}

}  // namespace

PlanStep PlanAfterRun(const RenewalPlan& before, const RunReport& run, bool verify, std::int64_t now) {
  now = SaneNow(now);
  PlanStep step{before, {}};
  RenewalPlan& plan = step.plan;
  if (run.entries.empty()) return step;
  if (run.outcome == RunOutcome::WrongPassword) {
    plan.waitingForUser = true;
    plan.nextRun = 0;
    return step;
  }
  const bool renewed = IsRenewal(run, verify);
  bool newPlan = false;
  if (renewed) {
    // This window is done. Without a new expiry read again its next one is unknown until a run reads it.
    plan = RenewalPlan{.unreadableExpiry = before.unreadableExpiry};
    if (verify && !run.newExpiry.empty()) {
      newPlan = TakeExpiry(step, run.newExpiry, now);
    } else {
      NoteUnreadable(step, run.expiry);
    }
  } else if (ReadAnExpiry(run)) {
    plan.waitingForUser = false;  // it logged in: the password is right again
    newPlan = TakeExpiry(step, run.expiry, now);
  }
  if (!HasWindow(plan) || plan.waitingForUser) return step;

  const bool tried =
      !renewed && run.outcome != RunOutcome::CheckDone && now >= plan.windowOpens && now < ExpiryOf(plan);
  if (tried) plan.attempts = std::clamp(plan.attempts + 1, 1, kMostAttempts);
  plan.nextRun = ScheduleFrom(plan, now, RetryDelay(plan, plan.attempts, now));
  if (plan.nextRun == 0) return step;
  // A failed try says when the next one comes, also in the run that made the plan.
  if (tried) {
    // "续期未成功" right after "续费成功！" would contradict it: the entry names why it did not count.
    const std::string_view start = run.outcome == RunOutcome::ExpiryUnchanged ? kNotTakenLineStart : kRetryLineStart;
    step.entries.push_back(JoinTexts(start, ProviderTimeText(plan.nextRun), kRetryWord));
  } else if (newPlan) {
    const std::int64_t firstRenewal =
        plan.nextRun >= plan.windowOpens ? plan.nextRun : plan.windowOpens + kFirstRenewalAfterOpening;
    step.entries.push_back(JoinTexts(kWindowLineStart, ProviderTimeText(plan.windowOpens), kWindowOpensWord,
                                     ProviderTimeText(firstRenewal), kRenewWord));
  }
  return step;
}

RenewalPlan ResumePlan(const RenewalPlan& before, std::int64_t now) {
  now = SaneNow(now);
  RenewalPlan plan = before;
  plan.waitingForUser = false;
  plan.attempts = std::clamp(plan.attempts, 0, kMostAttempts);
  if (!HasWindow(plan) || ExpiryOf(plan) - now > kFarthestExpiry) {
    RenewalPlan none;
    none.unreadableExpiry = before.unreadableExpiry;
    return none;
  }
  const std::int64_t latest = ScheduleFrom(plan, now, RetryDelay(plan, kMostAttempts, now));
  const bool keep = !before.waitingForUser && plan.nextRun > 0 && plan.nextRun >= now && plan.nextRun <= latest;
  if (!keep) plan.nextRun = ScheduleFrom(plan, now, kShortestGap);
  return plan;
}

std::optional<PlannedRun> NextPlannedRun(const RenewalPlan& plan) {
  if (!HasWindow(plan) || plan.nextRun <= 0 || plan.nextRun > kLastSecond || plan.waitingForUser) return std::nullopt;
  return PlannedRun{plan.nextRun, plan.nextRun < plan.windowOpens ? RenewalMode::CheckOnly : RenewalMode::Renew};
}

bool PlanWaitsForExpiry(const RenewalPlan& plan) { return !HasWindow(plan) && !plan.waitingForUser; }

bool RestartWaits(const RenewalPlan& plan, std::int64_t now, bool runUnderWay) {
  if (runUnderWay) return true;
  now = SaneNow(now);
  const std::optional<PlannedRun> next = NextPlannedRun(plan);
  return next && now >= next->at - kRestartHold && now <= next->at;
}

bool LateWarningDue(const RenewalPlan& plan, std::int64_t now) {
  now = SaneNow(now);
  return HasWindow(plan) && !plan.lateWarned && now >= ExpiryOf(plan) - kLateWarningLead && now < ExpiryOf(plan);
}

}  // namespace korvan
