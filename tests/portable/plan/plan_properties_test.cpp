// The plan's promises over generated inputs: any expiry text the panel may write, any clock the runs
// come at, any outcome of theirs. A planned run never follows the run before it by less than 2
// minutes (no burst), never falls before the check half an hour ahead of the window or at or after
// the expiry the text names, and a text that names no time plans nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "plan/renewal_plan.h"
#include "run_message_bytes.h"

namespace korvan {
namespace {

using namespace message_bytes;

struct ExpiryCase {
  Text text;
  std::optional<std::int64_t> expiry;  // Unix seconds; none: the text names no time
};

// Code page 936: 年 月 日 时 分 秒, 上午 下午, 凌晨.
constexpr char kYear[] = "\xC4\xEA", kMonth[] = "\xD4\xC2", kDay[] = "\xC8\xD5", kHour[] = "\xCA\xB1",
               kMinute[] = "\xB7\xD6", kSecond[] = "\xC3\xEB", kMorning[] = "\xC9\xCF\xCE\xE7",
               kAfternoon[] = "\xCF\xC2\xCE\xE7", kSmallHours[] = "\xC1\xE8\xB3\xBF";

Text Printed(const char* format, auto... values) {
  char text[96];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

// ASCII digits and ":" as their full-width forms.
Text FullWidth(const Text& ascii) {
  Text wide;
  for (const char c : ascii) {
    if (c >= '0' && c <= '9')
      wide += Text{'\xA3', static_cast<char>(0xB0 + c - '0')};
    else
      wide += c == ':' ? Text("\xA3\xBA") : Text(1, c);
  }
  return wide;
}

// An expiry in one of the panel's ways of writing it, or one that cannot be a time.
ExpiryCase GenerateExpiry(std::mt19937& random) {
  using namespace std::chrono;
  auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  const int y = pick(2001, 2098), mo = pick(1, 12);
  const int last = static_cast<int>(static_cast<unsigned>((year{y} / month(mo) / std::chrono::last).day()));
  int d = pick(1, last), h = pick(0, 23), mi = pick(0, 59), s = pick(0, 59);
  const int way = pick(0, 11);
  if (way >= 7) s = 0;
  if (way >= 8) h = mi = 0;
  const int h12 = h % 12 == 0 ? 12 : h % 12;
  Text text;
  switch (way) {
    case 0: text = Printed("%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s); break;
    case 1: text = Printed("%d/%d/%d %d:%d:%d", y, mo, d, h, mi, s); break;
    case 2: text = FullWidth(Printed("%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s)); break;
    case 3:
      text = Printed("%d%s%d%s%d%s %s%d:%02d:%02d", y, kYear, mo, kMonth, d, kDay, h < 12 ? kMorning : kAfternoon, h12,
                     mi, s);
      break;
    case 4: text = Printed("%d-%d-%d %d:%02d:%02d %s", y, mo, d, h12, mi, s, h < 12 ? "am" : "PM"); break;
    case 5:
      text = Printed("%d%s%d%s%d%s%d%s%d%s%d%s", y, kYear, mo, kMonth, d, kDay, h, kHour, mi, kMinute, s, kSecond);
      break;
    case 6: text = Printed("%04d-%02d-%02dT%02d:%02d:%02d", y, mo, d, h, mi, s); break;
    case 7: text = Printed("%04d-%02d-%02d %02d:%02d", y, mo, d, h, mi); break;
    case 8: text = Printed("%d%s%d%s%d%s", y, kYear, mo, kMonth, d, kDay); break;
    // No such day, no such hour, a day part other than morning or afternoon.
    case 9: return {Printed("%04d-%02d-%02d %02d:%02d:%02d", y, mo, last + 1, h, mi, s), std::nullopt};
    case 10: return {Printed("%04d-%02d-%02d 24:%02d:%02d", y, mo, d, mi, s), std::nullopt};
    default: return {Printed("%04d-%02d-%02d %s%d:%02d:%02d", y, mo, d, kSmallHours, h12, mi, s), std::nullopt};
  }
  const std::int64_t days = sys_days{year{y} / month(mo) / day(d)}.time_since_epoch().count();
  return {text, days * 86400 + h * 3600 + mi * 60 + s - 8 * 3600};
}

RunReport Reported(RunOutcome outcome, std::vector<Text> messages, std::optional<Text> expiry) {
  RunReport report;
  for (const Text& message : messages)
    report.entries.push_back({"stamp", message, message == messages.back() ? outcome : RunOutcome::None});
  report.outcome = outcome;
  report.vpsId = expiry ? "7" : "";
  report.expiry = expiry.value_or("");
  return report;
}

TEST(PlanProperties, NoBurstAndNoRunAtOrAfterTheExpiryForAnyTextAndClock) {
  std::mt19937 random(2028);
  auto pick = [&random](std::int64_t low, std::int64_t high) {
    return std::uniform_int_distribution<std::int64_t>(low, high)(random);
  };
  constexpr std::int64_t kDay = 86400;
  int plannedRuns = 0, nearTheEdges = 0;
  for (int index = 0; index < 3000; ++index) {
    const ExpiryCase expiry = GenerateExpiry(random);
    SCOPED_TRACE(expiry.text);
    const std::int64_t reference = expiry.expiry.value_or(4102444800);  // 2100 for a text naming no time
    const RunReport runs[] = {
        Reported(RunOutcome::LoginFailed, {"u" + kLoginFailed}, std::nullopt),
        Reported(RunOutcome::TooEarly, {"u" + kLoggedIn, kExpiry + expiry.text, kOneDay}, expiry.text),
        Reported(RunOutcome::CheckDone, {"u" + kLoggedIn, kExpiry + expiry.text, kCheckDone}, expiry.text),
        Reported(RunOutcome::UnknownVerdict, {kExpiry + expiry.text, kUnknownVerdict}, expiry.text),
        Reported(RunOutcome::TooEarly, {"u" + kLoggedIn, kExpiry, kOneDay}, ""),
        Reported(RunOutcome::WrongPassword, {"u" + kWrongPassword}, std::nullopt),
        Reported(RunOutcome::Renewed, {"u" + kLoggedIn, kExpiry + expiry.text, kRenewed}, expiry.text),
    };
    // Where the first run's clock stands: days or a year ahead, the window's edges, past the expiry.
    const std::int64_t starts[] = {-pick(kDay, 3 * kDay),
                                   -pick(300 * kDay, 500 * kDay),
                                   -kDay - 1800 + pick(-300, 300),
                                   -kDay + 300 + pick(-300, 300),
                                   pick(-600, 60),
                                   pick(-kDay, 0)};
    std::int64_t now = reference + starts[pick(0, 5)];
    RenewalPlan plan;
    for (int step = 0; step < 40; ++step) {
      const std::optional<PlannedRun> due = NextPlannedRun(plan);
      const std::int64_t event = pick(0, 9);
      if (event < 6 && due) {
        now = std::max(now, due->at) + pick(0, 45);  // a planned run, on time or a little late
      } else if (event < 8) {
        now += pick(0, 6 * 3600);  // an N-hour run or one by hand
      } else if (event < 9) {
        now += pick(-2 * kDay, 2 * kDay);  // the clock stepped
      }
      const bool resume = event == 9;
      plan = resume ? ResumePlan(plan, now) : PlanAfterRun(plan, runs[pick(0, 6)], false, now).plan;
      const std::optional<PlannedRun> next = NextPlannedRun(plan);
      if (!next) continue;
      ASSERT_TRUE(expiry.expiry) << "a planned run from a text that names no time";
      ASSERT_GE(next->at, resume ? now : now + 120) << "step " << step;
      ASSERT_GE(next->at, *expiry.expiry - kDay - 1800) << "step " << step;
      ASSERT_LT(next->at, *expiry.expiry) << "step " << step;
      ++plannedRuns;
      nearTheEdges += next->at - now <= 120 || *expiry.expiry - next->at <= 600 ? 1 : 0;
    }
  }
  // The inputs came where the promises are at stake, not only far from them.
  EXPECT_GT(plannedRuns, 10000);
  EXPECT_GT(nearTheEdges, 3000);
}

}  // namespace
}  // namespace korvan
