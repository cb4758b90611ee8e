// Input: now (8 bytes), lateness (2), a flag, the layout (1), year (2), month, day, hour, minute,
// second (1 each), then the panel's text.
//
// The panel's expiry text as the plan reads it, at any clock: no undefined behaviour; fields
// written in the panel's layouts read as the time they name on the calendar, or not at all; a time
// read is one the plan's own lines give back; full-width digits read as ASCII ones; and the plan
// made from either text keeps its promises: every planned run at least 2 minutes after the run
// that set it, none before the check or at or after that expiry, none more than 400 days ahead, and
// an unreadable text logged once.
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_input.h"
#include "plan/provider_time.h"
#include "plan/renewal_plan.h"
#include "runtime/text/text.h"

namespace korvan::fuzz {
namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kLastSecond = 253402300799;  // 9999-12-31 23:59:59 UTC
// 1000-01-01 00:00:00 UTC+8: from here on the year has four digits.
constexpr std::int64_t kFirstFourDigitYear = -30610224000 - 8 * 3600;
// 到期时间：
const Text kExpiryLabel = "\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xA3\xBA";

RunReport ReadRun(std::string_view expiry, RunOutcome outcome) {
  RunReport run;
  run.entries.push_back({"stamp", JoinTexts(kExpiryLabel, expiry), outcome});
  run.outcome = outcome;
  run.vpsId = "7";
  run.expiry = Text(expiry);
  return run;
}

RunReport FailedLogin() {
  RunReport run;
  run.entries.push_back(
      {"stamp", "u \xB5\xC7\xC2\xBC\xCA\xA7\xB0\xDC\xA3\xA1", RunOutcome::LoginFailed});  // 登录失败！
  run.outcome = RunOutcome::LoginFailed;
  return run;
}

Text WithFullWidthDigits(std::string_view text) {
  Text wide;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = std::max<std::size_t>(CharacterLength(text, at), 1);
    if (length == 1 && text[at] >= '0' && text[at] <= '9') {
      wide += '\xA3';
      wide += static_cast<char>(0xB0 + text[at] - '0');
    } else {
      wide.append(text.substr(at, length));
    }
    at += length;
  }
  return wide;
}

void CheckNext(const RenewalPlan& plan, std::optional<std::int64_t> expiry, std::int64_t earliest) {
  const std::optional<PlannedRun> next = NextPlannedRun(plan);
  if (!next) return;
  FUZZ_CHECK(expiry.has_value());
  FUZZ_CHECK(next->at >= earliest);
  FUZZ_CHECK(next->at >= *expiry - kDay - 1800);
  FUZZ_CHECK(next->at < *expiry);
}

// Fields written in one of the panel's layouts, 24-hour or 12-hour, and the time they name, worked
// out on the calendar of <chrono>; none when they name no time.
struct WrittenTime {
  Text text;
  std::optional<std::int64_t> expiry;
};

WrittenTime WriteFields(int layout, int year, int month, int day, int hour, int minute, int second) {
  // 年 月 日 时 分 秒, 上午, 下午
  constexpr char kMarks[][3] = {"\xC4\xEA", "\xD4\xC2", "\xC8\xD5", "\xCA\xB1", "\xB7\xD6", "\xC3\xEB"};
  constexpr char kMorning[] = "\xC9\xCF\xCE\xE7", kAfternoon[] = "\xCF\xC2\xCE\xE7";
  const bool twelveHour = layout >= 2;
  const bool afternoon = (layout & 1) != 0;
  char text[96];
  switch (layout) {
    case 0: std::snprintf(text, sizeof text, "%04d-%d-%d %d:%d:%d", year, month, day, hour, minute, second); break;
    case 1:
      std::snprintf(text, sizeof text, "%04d%s%d%s%d%s%d%s%d%s%d%s", year, kMarks[0], month, kMarks[1], day, kMarks[2],
                    hour, kMarks[3], minute, kMarks[4], second, kMarks[5]);
      break;
    case 2:
    case 3:
      std::snprintf(text, sizeof text, "%04d/%d/%d %s %d:%02d:%02d", year, month, day,
                    afternoon ? kAfternoon : kMorning, hour, minute, second);
      break;
    default:
      std::snprintf(text, sizeof text, "%04d-%02d-%02d %d:%02d:%02d %s", year, month, day, hour, minute, second,
                    afternoon ? "pm" : "AM");
      break;
  }
  using namespace std::chrono;
  const year_month_day date{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                            std::chrono::day(static_cast<unsigned>(day))};
  const bool hourExists = twelveHour ? hour >= 1 && hour <= 12 : hour <= 23;
  if (!date.ok() || !hourExists || minute > 59 || second > 59) return {text, std::nullopt};
  const int hours = twelveHour ? hour % 12 + (afternoon ? 12 : 0) : hour;
  const std::int64_t days = sys_days(date).time_since_epoch().count();
  return {text, days * kDay + hours * 3600 + minute * 60 + second - 8 * 3600};
}

// The plan made from a run that read `text` at `now`, then its planned run failing and a restart.
void CheckPlan(const Text& text,
               std::optional<std::int64_t> expiry,
               std::uint64_t rawNow,
               std::int64_t late,
               bool checkFirst) {
  // A clock anywhere the plan takes as is; or, half the time, within a few days of the expiry.
  std::int64_t now = static_cast<std::int64_t>(rawNow % static_cast<std::uint64_t>(kLastSecond + 1));
  if (expiry && (rawNow & 1) != 0)
    now = std::max<std::int64_t>(0, *expiry - static_cast<std::int64_t>(rawNow % (3 * kDay)));

  const PlanStep first =
      PlanAfterRun({}, ReadRun(text, checkFirst ? RunOutcome::CheckDone : RunOutcome::TooEarly), false, now);
  CheckNext(first.plan, expiry, now + 120);
  if (!NextPlannedRun(first.plan)) {
    // Read again by the next run: an unreadable text is logged once, a readable one not at all.
    const PlanStep again = PlanAfterRun(first.plan, ReadRun(text, RunOutcome::TooEarly), false, now + late);
    FUZZ_CHECK(expiry ? first.entries.empty() : first.entries.size() == 1 && again.entries.empty());
    return;
  }
  FUZZ_CHECK(*expiry - now <= 400 * kDay);

  const std::int64_t ranAt = NextPlannedRun(first.plan)->at + late % 120;
  const PlanStep retry = PlanAfterRun(first.plan, FailedLogin(), false, ranAt);
  CheckNext(retry.plan, expiry, ranAt + 120);
  const std::int64_t restartAt = ranAt + late;
  CheckNext(ResumePlan(retry.plan, restartAt), expiry, restartAt);
}

}  // namespace
}  // namespace korvan::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvan;
  using namespace korvan::fuzz;
  FuzzInput input(data, size);
  const auto rawNow = input.Raw<std::uint64_t>();
  const auto late = static_cast<std::int64_t>(input.Raw<std::uint16_t>());
  const bool checkFirst = input.Flag();
  const int layout = input.Raw<std::uint8_t>() % 6;
  const int year = input.Raw<std::uint16_t>() % 10000;
  const int month = input.Raw<std::uint8_t>() % 14, day = input.Raw<std::uint8_t>() % 33;
  const int hour = input.Raw<std::uint8_t>() % 26, minute = input.Raw<std::uint8_t>() % 62;
  const int second = input.Raw<std::uint8_t>() % 62;
  const Text text = input.Piece();

  const WrittenTime written = WriteFields(layout, year, month, day, hour, minute, second);
  FUZZ_CHECK(ReadProviderTime(written.text) == written.expiry);
  CheckPlan(written.text, written.expiry, rawNow, late, checkFirst);

  const std::optional<std::int64_t> expiry = ReadProviderTime(text);
  if (expiry && *expiry >= kFirstFourDigitYear && *expiry <= kLastSecond) {
    FUZZ_CHECK(ReadProviderTime(ProviderTimeText(*expiry)) == expiry);
  }
  // Only in well-formed code page 936 is a digit after a high byte a character of its own.
  const Text formed = WellFormed(text);
  const Text wide = WithFullWidthDigits(formed);
  if (wide.size() <= 64) FUZZ_CHECK(ReadProviderTime(wide) == ReadProviderTime(formed));
  CheckPlan(text, expiry, rawNow, late, checkFirst);
  return 0;
}
