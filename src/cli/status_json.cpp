#include "cli/status_json.h"

#include <nlohmann/json.hpp>

#include <cstdio>

#include "cli/terminal_text.h"
#include "plan/provider_time.h"
#include "runtime/datetime/datetime.h"

namespace korvan {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// A stamp as the log writes it ("2024年5月6日12时"), read back as a time.
nlohmann::json StampTime(std::string_view stamp) {
  const std::optional<std::int64_t> seconds = ReadProviderTime(stamp);
  return seconds ? nlohmann::json(IsoTimeUtc8(*seconds)) : nlohmann::json(nullptr);
}

nlohmann::json TimeOrNull(std::optional<std::int64_t> seconds) {
  return seconds && *seconds > 0 ? nlohmann::json(IsoTimeUtc8(*seconds)) : nlohmann::json(nullptr);
}

// Civil date from days since 1970-01-01 (H. Hinnant's algorithm), the inverse of the plan's reading.
void CivilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

}  // namespace

std::string IsoTimeUtc8(std::int64_t unixSeconds) {
  const std::int64_t local = unixSeconds + kUtc8OffsetSeconds;
  std::int64_t days = local / kSecondsPerDay, second = local % kSecondsPerDay;
  if (second < 0) {
    second += kSecondsPerDay;
    --days;
  }
  std::int64_t year = 0;
  int month = 0, day = 0;
  CivilFromDays(days, year, month, day);
  char text[48];
  std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02lld:%02lld:%02lld+08:00", static_cast<long long>(year), month,
                day, static_cast<long long>(second / 3600), static_cast<long long>(second % 3600 / 60),
                static_cast<long long>(second % 60));
  return text;
}

std::string StatusJson(const StatusFacts& facts) {
  const RunRecord& record = facts.record;
  nlohmann::json status = {
      {"lastRun", StampTime(record.lastRun)},
      {"lastResult", TerminalText(record.lastResult)},
      {"lastRenewed", StampTime(record.lastRenewed)},
      {"expiry", TerminalText(record.expiry)},
      {"failures", record.failures},
      {"lastExitStatus", facts.lastExit ? nlohmann::json(*facts.lastExit) : nlohmann::json(nullptr)},
      {"nextRun", facts.nextRun ? nlohmann::json{{"time", IsoTimeUtc8(facts.nextRun->at)},
                                                 {"kind", NextRunKindName(facts.nextRun->kind)}}
                                : nlohmann::json(nullptr)},
      {"nextRenewalRun", TimeOrNull(facts.nextRenewalRun)},
      {"deadline", facts.plan.has_value()},
      {"plan", nullptr},
      {"clockOffsetSeconds", facts.clockOffsetSeconds},
      {"recordFile", facts.recordFile},
  };
  if (facts.plan) {
    const RenewalPlan& plan = *facts.plan;
    const std::optional<PlannedRun> next = NextPlannedRun(plan);
    status["plan"] = {
        {"windowOpens", TimeOrNull(plan.windowOpens)},
        {"nextRun", TimeOrNull(next ? std::optional(next->at) : std::nullopt)},
        {"nextRunKind",
         next ? nlohmann::json(next->mode == RenewalMode::CheckOnly ? "check" : "renew") : nlohmann::json(nullptr)},
        {"attempts", plan.windowOpens > 0 ? plan.attempts : 0},
        {"waitingForUser", plan.waitingForUser},
    };
  }
  // Texts from the panel that are not valid UTF-8 are replaced, never a throw.
  return status.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace korvan
