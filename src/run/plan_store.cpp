#include "run/plan_store.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "plan/provider_time.h"
#include "runtime/datetime/numbers.h"

namespace korvan {
namespace {

std::int64_t TimeFromText(std::string_view text) { return ReadProviderTime(text).value_or(0); }
Text TimeToText(std::int64_t seconds) { return seconds > 0 ? ProviderTimeText(seconds) : Text(); }

std::optional<std::int64_t> SecondsFromText(std::string_view text) {
  const Text trimmed = TrimBlanks(text);
  const bool negative = !trimmed.empty() && trimmed[0] == '-';
  const std::string_view digits = std::string_view(trimmed).substr(negative ? 1 : 0);
  if (digits.empty() || digits.size() > 15 || digits.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  const std::int64_t value = std::stoll(std::string(digits));
  return negative ? -value : value;
}

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

namespace korvan {

TimeReading LoadTimeReading(IniStore& store, std::string_view section) {
  const std::optional<std::int64_t> network = SecondsFromText(store.Read(section, kNetworkTimeKey));
  const std::optional<std::int64_t> wall = SecondsFromText(store.Read(section, kComputerTimeKey));
  const std::optional<std::int64_t> monotonic = SecondsFromText(store.Read(section, kMonotonicTimeKey));
  if (!network || *network <= 0 || !wall || !monotonic) return {};
  return {*network, {*wall, *monotonic, TrimBlanks(store.Read(section, kBootIdKey))}};
}

bool SaveTimeReading(IniStore& store, std::string_view section, const TimeReading& reading) {
  if (reading.network <= 0) return true;
  const std::pair<std::string_view, Text> items[] = {
      {kNetworkTimeKey, ToText(reading.network)},
      {kComputerTimeKey, ToText(reading.computer.wall)},
      {kMonotonicTimeKey, ToText(reading.computer.monotonic)},
      {kBootIdKey, Text(reading.computer.boot)},
  };
  bool saved = true;
  for (const auto& [key, value] : items)
    saved = store.Write(section, key, value) && saved;
  return saved;
}

}  // namespace korvan
