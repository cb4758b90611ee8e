// The one next run and its text, as 运行状况, `korvan status` and the pushes' 下次检查 all say it.
#include "run/next_run.h"

#include <gtest/gtest.h>

#include <optional>

#include "runtime/datetime/numbers.h"

namespace korvan {
namespace {

// 2024-05-05 8:23:00 UTC+8; the window opens at 9:00, or for the retries opened at 8:00.
constexpr std::int64_t kNow = 1714868580;
constexpr std::int64_t kOpens = 1714870800;
constexpr std::int64_t kOpened = kOpens - 3600;
constexpr std::int64_t kMinute = 60;

const Text kLabel = "\xCF\xC2\xB4\xCE\xD4\xCB\xD0\xD0\xA3\xBA";  // 下次运行：
const Text kOpen = "\xA3\xA8";                                   // （
const Text kComma = "\xA3\xAC";                                  // ，
const Text kClose = "\xA3\xA9";                                  // ）
const Text kHour = "\xCA\xB1";                                   // 时
const Text kMinuteWord = "\xB7\xD6";                             // 分
const Text kMinutesFromNow = "\xB7\xD6\xD6\xD3\xBA\xF3";         // 分钟后
const Text kHours = "\xD0\xA1\xCA\xB1";                          // 小时
const Text kUnderAMinute =
    "\xB2\xBB\xB5\xBD"
    "1\xB7\xD6\xD6\xD3\xBA\xF3";                                         // 不到1分钟后
const Text kPeriodic = "\xB6\xA8\xCA\xB1\xD0\xF8\xC6\xDA";               // 定时续期
const Text kRenew = "\xB0\xB4\xCA\xB1\xD0\xF8\xC6\xDA";                  // 按时续期
const Text kRetry = "\xB0\xB4\xCA\xB1\xD0\xF8\xC6\xDA\xD6\xD8\xCA\xD4";  // 按时续期重试
const Text kCheck = "\xBC\xEC\xB2\xE9";                                  // 检查
const Text kNotScheduled = "\xCE\xB4\xB0\xB2\xC5\xC5";                   // 未安排

RenewalPlan Plan(std::int64_t nextRun, int attempts = 0, bool waitingForUser = false) {
  RenewalPlan plan;
  plan.windowOpens = attempts > 0 ? kOpened : kOpens;
  plan.nextRun = nextRun;
  plan.attempts = attempts;
  plan.waitingForUser = waitingForUser;
  return plan;
}

Text Clock(int hour, int minute) {
  return ToText(static_cast<std::int64_t>(hour)) + kHour + ToText(static_cast<std::int64_t>(minute)) + kMinuteWord;
}

struct Case {
  const char* name;
  std::int64_t periodicMilliseconds;  // the N-hour timer's time left; 0: stopped
  std::optional<RenewalPlan> plan;    // none: deadline off
  std::optional<NextRun> next;
  Text text;
};

const Case kCases[] = {
    {"NHourOnly", 12000000, std::nullopt, NextRun{kNow + 12000, NextRunKind::Periodic},
     Clock(11, 43) + kOpen + "3" + kHours + "20" + kMinutesFromNow + kComma + kPeriodic + kClose},
    // 59.5 s left is under a minute, not "未安排".
    {"NHourUnderAMinute", 59500, std::nullopt, NextRun{kNow + 59, NextRunKind::Periodic},
     Clock(8, 23) + kOpen + kUnderAMinute + kComma + kPeriodic + kClose},
    {"NHourStoppedNoPlan", 0, std::nullopt, std::nullopt, kNotScheduled},
    {"PlanEarlierCheck", 36000000, Plan(kOpens - 30 * kMinute), NextRun{kOpens - 30 * kMinute, NextRunKind::Check},
     Clock(8, 30) + kOpen + "7" + kMinutesFromNow + kComma + kCheck + kClose},
    {"TimerStoppedThePlansFirstRenewal", 0, Plan(kOpens + 5 * kMinute),
     NextRun{kOpens + 5 * kMinute, NextRunKind::Renew},
     Clock(9, 5) + kOpen + "42" + kMinutesFromNow + kComma + kRenew + kClose},
    {"PlanLaterTheNHourRunIsNext", 600000, Plan(kOpens + 5 * kMinute), NextRun{kNow + 600, NextRunKind::Periodic},
     Clock(8, 33) + kOpen + "10" + kMinutesFromNow + kComma + kPeriodic + kClose},
    {"RetryAfterAFailedTry", 36000000, Plan(kNow + 2 * kMinute, 1), NextRun{kNow + 2 * kMinute, NextRunKind::Retry},
     Clock(8, 25) + kOpen + "2" + kMinutesFromNow + kComma + kRetry + kClose},
    // On the same second the plan's run is named: it is the one that renews on time.
    {"TieGoesToThePlan", 120000, Plan(kNow + 2 * kMinute, 3), NextRun{kNow + 2 * kMinute, NextRunKind::Retry},
     Clock(8, 25) + kOpen + "2" + kMinutesFromNow + kComma + kRetry + kClose},
    // A planned run overdue (the check comes every 30 seconds) is not "未安排".
    {"PlanOverdue", 36000000, Plan(kNow - 10, 2), NextRun{kNow - 10, NextRunKind::Retry},
     Clock(8, 22) + kOpen + kUnderAMinute + kComma + kRetry + kClose},
    // A wrong password stops the plan: its kept time is not the next run, the N-hour run is.
    {"PlanWaitingForThePassword", 36000000, Plan(kNow + 2 * kMinute, 1, true),
     NextRun{kNow + 36000, NextRunKind::Periodic},
     Clock(18, 23) + kOpen + "10" + kHours + "0" + kMinutesFromNow + kComma + kPeriodic + kClose},
};

TEST(NextRunTest, TheEarlierOfTheNHourRunAndThePlansWithItsKind) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::optional<NextRun> next = ChooseNextRun(PeriodicRunAt(c.periodicMilliseconds, kNow), c.plan);
    EXPECT_EQ(next, c.next);
    EXPECT_EQ(NextRunText(next, kNow), c.text);
    EXPECT_EQ(NextRunLine(next, kNow), kLabel + c.text);
  }
}

// The window reads its renewal timer once, at the run's start; a push at the run's end must name
// the tick the timer will really give, also after a run that outlasted what was left.
TEST(NextRunTest, TheTimersLeftTimeGoesOnFromItsReading) {
  constexpr std::int64_t kHourMs = 3600000;
  struct Row {
    const char* name;
    std::int64_t left, interval, elapsed, expected;
  };
  const Row rows[] = {
      {"NotArmed", 0, 0, 5000, 0},
      {"StoppedTimerKeepsNone", 0, kHourMs, 5000, 0},
      {"WithinWhatWasLeft", 10 * kHourMs, 10 * kHourMs, 60000, 10 * kHourMs - 60000},
      {"TickedAtTheRunsEnd", 5000, kHourMs, 5000, kHourMs},
      {"TickedDuringTheRun", 5000, kHourMs, 65000, kHourMs - 60000},
      {"SeveralTicks", 1000, 60000, 1000 + 2 * 60000 + 500, 59500},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(TimerLeftAfter(row.left, row.interval, row.elapsed), row.expected);
  }
}

}  // namespace
}  // namespace korvan
