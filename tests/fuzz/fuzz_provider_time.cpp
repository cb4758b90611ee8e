// The panel's expiry text as the plan reads it, at any clock: fields read as the time they name on
// the calendar of <chrono>, or not at all; a time read is one the plan's own lines give back; every
// planned run at least 2 minutes after the run that set it, before the expiry and at most a day and
// half an hour ahead of it; an unreadable text logged once. The panel's layouts are the corpus's.
// Input: now (8 bytes), lateness (2), a flag, year (2), month, day, hour, minute, second (1 each), text.
#include <chrono>

#include "fuzz_input.h"
#include "plan/provider_time.h"
#include "plan/renewal_plan.h"

namespace korvan::fuzz {
namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kLastSecond = 253402300799;                     // 9999-12-31 23:59:59 UTC
constexpr std::int64_t kFirstFourDigitYear = -30610224000 - 8 * 3600;  // 1000-01-01 00:00 UTC+8

RunReport Run(std::string_view expiry, RunOutcome outcome) {
  const bool failed = outcome == RunOutcome::LoginFailed;
  // 登录失败！, 到期时间：
  const Text line = failed ? Text("u \xB5\xC7\xC2\xBC\xCA\xA7\xB0\xDC\xA3\xA1")
                           : JoinTexts("\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xA3\xBA", expiry);
  return {
      .entries = {{"stamp", line, outcome}}, .vpsId = failed ? "" : "7", .expiry = Text(expiry), .outcome = outcome};
}

void CheckNext(const RenewalPlan& plan, std::optional<std::int64_t> expiry, std::int64_t earliest) {
  const std::optional<PlannedRun> next = NextPlannedRun(plan);
  if (next) FUZZ_CHECK(expiry && next->at >= earliest && next->at >= *expiry - kDay - 1800 && next->at < *expiry);
}

// The plan made from a run that read `text` at `now`, then its planned run failing and a restart.
void CheckPlan(const Text& text, std::optional<std::int64_t> expiry, std::uint64_t raw, std::int64_t late, bool check) {
  // A clock anywhere; or, half the time, within a few days of the expiry.
  std::int64_t now = static_cast<std::int64_t>(raw % static_cast<std::uint64_t>(kLastSecond + 1));
  if (expiry && (raw & 1) != 0) now = std::max<std::int64_t>(0, *expiry - static_cast<std::int64_t>(raw % (3 * kDay)));
  const PlanStep first = PlanAfterRun({}, Run(text, check ? RunOutcome::CheckDone : RunOutcome::TooEarly), false, now);
  CheckNext(first.plan, expiry, now + 120);
  if (!NextPlannedRun(first.plan)) {
    const PlanStep again = PlanAfterRun(first.plan, Run(text, RunOutcome::TooEarly), false, now + late);
    FUZZ_CHECK(expiry ? first.entries.empty() : first.entries.size() == 1 && again.entries.empty());
    return;
  }
  FUZZ_CHECK(*expiry - now <= 400 * kDay);
  const std::int64_t ranAt = NextPlannedRun(first.plan)->at + late % 120;
  const PlanStep retry = PlanAfterRun(first.plan, Run({}, RunOutcome::LoginFailed), false, ranAt);
  CheckNext(retry.plan, expiry, ranAt + 120);
  CheckNext(ResumePlan(retry.plan, ranAt + late), expiry, ranAt + late);
}

}  // namespace
}  // namespace korvan::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvan;
  using namespace korvan::fuzz;
  FuzzInput input(data, size);
  const auto raw = input.Raw<std::uint64_t>();
  const auto late = static_cast<std::int64_t>(input.Raw<std::uint16_t>());
  const bool check = input.Flag();
  const int year = input.Raw<std::uint16_t>() % 10000, month = input.Raw<std::uint8_t>() % 14;
  const int day = input.Raw<std::uint8_t>() % 33, hour = input.Raw<std::uint8_t>() % 26;
  const int minute = input.Raw<std::uint8_t>() % 62, second = input.Raw<std::uint8_t>() % 62;
  const Text text = input.Piece();

  char written[64];
  std::snprintf(written, sizeof written, "%04d-%d-%d %d:%d:%d", year, month, day, hour, minute, second);
  const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                                         std::chrono::day(static_cast<unsigned>(day))};
  const std::int64_t days = std::chrono::sys_days(date).time_since_epoch().count();
  std::optional<std::int64_t> named;
  if (date.ok() && hour <= 23 && minute <= 59 && second <= 59)
    named = days * kDay + hour * 3600 + minute * 60 + second - 8 * 3600;
  FUZZ_CHECK(ReadProviderTime(written) == named);
  CheckPlan(written, named, raw, late, check);

  const std::optional<std::int64_t> expiry = ReadProviderTime(text);
  if (expiry && *expiry >= kFirstFourDigitYear && *expiry <= kLastSecond)
    FUZZ_CHECK(ReadProviderTime(ProviderTimeText(*expiry)) == expiry);
  CheckPlan(text, expiry, raw, late, check);
  return 0;
}
