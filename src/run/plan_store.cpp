#include "run/plan_store.h"

#include <algorithm>
#include <utility>

#include "plan/provider_time.h"
#include "runtime/datetime/numbers.h"

namespace korvan {
namespace {

std::int64_t TimeFromText(std::string_view text) { return ReadProviderTime(text).value_or(0); }
Text TimeToText(std::int64_t seconds) { return seconds > 0 ? ProviderTimeText(seconds) : Text(); }

}  // namespace

RenewalPlan LoadRenewalPlan(IniStore& store) {
  RenewalPlan plan;
  plan.windowOpens = TimeFromText(store.Read(kStatusSection, kWindowOpensKey));
  if (plan.windowOpens <= 0) return RenewalPlan{};
  plan.nextRun = TimeFromText(store.Read(kStatusSection, kNextRunKey));
  plan.attempts = FailuresFromText(store.Read(kStatusSection, kAttemptsKey));
  plan.lateWarned = TrimBlanks(store.Read(kStatusSection, kLateWarnedKey)) == "1";
  return plan;
}

bool SaveRenewalPlan(IniStore& store, const RenewalPlan& plan) {
  const std::pair<std::string_view, Text> items[] = {
      {kWindowOpensKey, TimeToText(plan.windowOpens)},
      {kNextRunKey, TimeToText(plan.nextRun)},
      {kAttemptsKey, ToText(static_cast<std::int64_t>(std::max(plan.attempts, 0)))},
      {kLateWarnedKey, plan.lateWarned ? "1" : "0"},
  };
  bool saved = true;
  for (const auto& [key, value] : items)
    saved = store.Write(kStatusSection, key, value) && saved;
  return saved;
}

}  // namespace korvan
