#include "plan/renewal_plan.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <vector>

#include "plan/provider_time.h"
#include "run_message_bytes.h"

namespace korvan {
namespace {

using namespace message_bytes;

// The VPS expires 2024-05-07 12:00:00 UTC+8; its window opens a day before. Times are in minutes from the opening.
constexpr std::int64_t kOpens = 1714968000;
constexpr int kNone = std::numeric_limits<int>::min();
std::int64_t At(int minutes) { return minutes == kNone ? 0 : kOpens + minutes * 60LL; }
const Text kExpiryText = "2024-05-07 12:00:00";
const Text kLaterText = "2024-06-06 12:00:00";  // 30 days on: 43,200 minutes

const Text kWindowLine = "\xD0\xF8\xC6\xDA\xB4\xB0\xBF\xDA\xA3\xBA";         // 续期窗口：
const Text kOpensWord = " \xBF\xAA\xB7\xC5\xA3\xAC";                         // " 开放，"
const Text kRenewWord = " \xD0\xF8\xC6\xDA";                                 // " 续期"
const Text kRetryLine = "\xD0\xF8\xC6\xDA\xCE\xB4\xB3\xC9\xB9\xA6\xA3\xAC";  // 续期未成功，
const Text kRetryWord = " \xD6\xD8\xCA\xD4";                                 // " 重试"
// 续期未生效（到期时间未变），
const Text kNotTakenLine =
    "\xD0\xF8\xC6\xDA\xCE\xB4\xC9\xFA\xD0\xA7\xA3\xA8\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xCE\xB4\xB1\xE4\xA3\xA9\xA3\xAC";
// 到期时间无法识别，按监控时间续期
const Text kUnreadable =
    "\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xCE\xDE\xB7\xA8\xCA\xB6\xB1\xF0\xA3\xAC\xB0\xB4\xBC\xE0\xBF\xD8\xCA\xB1\xBC\xE4"
    "\xD0\xF8\xC6\xDA";

// A run as the job reports it, the outcome on its last entry; one that found the VPS read an
// expiry, even an empty one.
RunReport Run(RunOutcome outcome, std::vector<Text> messages, std::optional<Text> expiry = {}, Text newExpiry = "") {
  RunReport report;
  for (const Text& message : messages)
    report.entries.push_back({"stamp", message, message == messages.back() ? outcome : RunOutcome::None});
  report.outcome = outcome;
  report.vpsId = expiry ? "7" : "";
  report.expiry = expiry.value_or("");
  report.newExpiry = std::move(newExpiry);
  return report;
}
RunReport Read(const Text& expiry, const Text& verdict, RunOutcome outcome) {
  return Run(outcome, {"u" + kLoggedIn, kExpiry + expiry, verdict}, expiry);
}

const RunReport kTooEarly = Read(kExpiryText, kOneDay, RunOutcome::TooEarly);
const RunReport kChecked = Read(kExpiryText, kCheckDone, RunOutcome::CheckDone);
const RunReport kRenewedRun = Read(kExpiryText, kRenewed, RunOutcome::Renewed);
// The verification's runs: "续费成功！" and then what the expiry read again says.
RunReport SaidRenewedFirst(RunReport run) {
  run.entries[1].outcome = RunOutcome::Renewed;
  return run;
}
const RunReport kMoved =
    SaidRenewedFirst(Run(RunOutcome::ExpiryMoved,
                         {kExpiry + kExpiryText, kRenewed, kMovedLabel + kExpiryText + kArrow + kLaterText},
                         kExpiryText,
                         kLaterText));
const RunReport kUnmoved = SaidRenewedFirst(
    Run(RunOutcome::ExpiryUnchanged, {kExpiry + kExpiryText, kRenewed, kUnchangedWarning}, kExpiryText, kExpiryText));
const RunReport kUnknown = Run(RunOutcome::UnknownVerdict, {kExpiry + kExpiryText, kUnknownVerdict}, kExpiryText);
const RunReport kLoginFailedRun = Run(RunOutcome::LoginFailed, {"u" + kLoginFailed});
const RunReport kWrongPasswordRun = Run(RunOutcome::WrongPassword, {"u" + kWrongPassword});
const RunReport kNoVpsRun = Run(RunOutcome::NoVps, {"u" + kLoggedIn, kNoFreeVps});
const RunReport kEmptyExpiry = Run(RunOutcome::TooEarly, {"u" + kLoggedIn, kExpiry, kOneDay}, "");
const RunReport kEmptyCheck = Run(RunOutcome::CheckDone, {"u" + kLoggedIn, kExpiry, kCheckDone}, "");
const RunReport kRenewedUnreadable = Read("<font>", kRenewed, RunOutcome::Renewed);
// "续费成功！", then an expiry read again that came back empty: nothing proved, the verdict stands.
const RunReport kNotComparedRun =
    SaidRenewedFirst(Run(RunOutcome::Renewed, {kExpiry + kExpiryText, kRenewed, kNotCompared}, kExpiryText, ""));
const RunReport kGarbage = Read("<font>", kOneDay, RunOutcome::TooEarly);
const RunReport kDecadesAhead = Read("2064-05-07 12:00:00", kOneDay, RunOutcome::TooEarly);
const RunReport kNoEntries = Run(RunOutcome::None, {});

RenewalPlan Plan(int attempts, int nextRun = kNone) {
  RenewalPlan plan;
  if (attempts == kNone) return plan;
  plan.windowOpens = kOpens;
  plan.attempts = attempts;
  plan.nextRun = At(nextRun);
  return plan;
}

enum class Says { Nothing, Window, Retry, NotTaken, Unreadable };

struct AfterRunCase {
  const char* name;
  int attemptsBefore, nextBefore;  // kNone attempts: no plan before
  const RunReport& run;
  bool verify;
  int now, opens, next, attempts;
  Says says;
};

const AfterRunCase kAfterRunCases[] = {
    // Where "now" stands when a run first reads the expiry, or the plan's run ends.
    {"AheadPlansTheCheck", kNone, kNone, kTooEarly, false, -2880, 0, -30, 0, Says::Window},
    {"CheckTwoMinutesAfterTheRun", kNone, kNone, kTooEarly, false, -31, 0, -29, 0, Says::Window},
    {"CheckThenFirstRenewal", 0, -30, kChecked, false, -30, 0, 5, 0, Says::Nothing},
    {"FailedTickBeforeTheFirstRun", 0, 5, kLoginFailedRun, false, 4, 0, 6, 1, Says::Retry},
    // A failed try says when the next comes, also in the run that made the plan.
    {"MadeInsideTheWindow", kNone, kNone, kTooEarly, false, 10, 0, 12, 1, Says::Retry},
    {"LastMinutesKeepTwoMinutes", 6, kNone, kLoginFailedRun, false, 1435, 0, 1437, 7, Says::Retry},
    {"NoRetryAtTheExpiry", 6, kNone, kLoginFailedRun, false, 1439, 0, kNone, 7, Says::Nothing},
    {"AtTheExpiry", 3, 1439, kTooEarly, false, 1440, kNone, kNone, 0, Says::Nothing},
    {"ClockIn1970", kNone, kNone, kTooEarly, false, -28582800, kNone, kNone, 0, Says::Nothing},
    {"ClockJumpedBack", 4, 300, kTooEarly, false, -2880, 0, -30, 4, Says::Nothing},
    // Each outcome three hours into the window, two tries behind.
    {"RenewedWaitsForTheNextRead", 2, kNone, kRenewedRun, false, 180, kNone, kNone, 0, Says::Nothing},
    {"RenewedWithAnUnreadableExpirySaysSo", 2, kNone, kRenewedUnreadable, false, 180, kNone, kNone, 0,
     Says::Unreadable},
    {"VerifiedButNotComparedClosesTheWindow", 2, kNone, kNotComparedRun, true, 180, kNone, kNone, 0, Says::Nothing},
    {"VerifiedRenewalPlansTheNext", 2, kNone, kMoved, true, 180, 43200, 43170, 0, Says::Window},
    // "续费成功！" then the expiry unchanged: the retry's entry says why, not "续期未成功".
    {"SuccessNotMovedRetriesSayingWhy", 2, kNone, kUnmoved, true, 180, 0, 190, 3, Says::NotTaken},
    {"SuccessNotMovedFirstTrySayingWhy", 0, 5, kUnmoved, true, 5, 0, 7, 1, Says::NotTaken},
    {"TooEarlyInsideRetries", 2, kNone, kTooEarly, false, 180, 0, 190, 3, Says::Retry},
    {"UnknownVerdictRetries", 2, kNone, kUnknown, true, 180, 0, 190, 3, Says::Retry},
    {"NoVpsRetries", 2, kNone, kNoVpsRun, false, 180, 0, 190, 3, Says::Retry},
    {"CheckInsideIsNoTry", 2, kNone, kChecked, false, 180, 0, 185, 2, Says::Nothing},
    {"NoEntriesNoChange", 2, 240, kNoEntries, false, 180, 0, 240, 2, Says::Nothing},
    // One bad read while a plan stands is a failed try of it, never the end of it.
    {"EmptyExpiryIsAFailedTry", 2, kNone, kEmptyExpiry, false, 0, 0, 5, 3, Says::Retry},
    {"GarbageExpiryIsAFailedTry", 2, kNone, kGarbage, false, 60, 0, 70, 3, Says::Retry},
    {"GlitchAtTheCheckKeepsTheFirstRun", 0, -30, kEmptyCheck, false, -30, 0, 5, 0, Says::Nothing},
    // Expiries that make no plan.
    {"EmptyExpiry", kNone, kNone, kEmptyExpiry, false, 0, kNone, kNone, 0, Says::Unreadable},
    {"GarbageExpiry", kNone, kNone, kGarbage, false, 0, kNone, kNone, 0, Says::Unreadable},
    {"ExpiryDecadesAhead", kNone, kNone, kDecadesAhead, false, 0, kNone, kNone, 0, Says::Nothing},
};

std::vector<Text> Entries(const AfterRunCase& c) {
  const int first = c.next >= c.opens ? c.next : c.opens + 5;
  switch (c.says) {
    case Says::Window:
      return {kWindowLine + ProviderTimeText(At(c.opens)) + kOpensWord + ProviderTimeText(At(first)) + kRenewWord};
    case Says::Retry: return {kRetryLine + ProviderTimeText(At(c.next)) + kRetryWord};
    case Says::NotTaken: return {kNotTakenLine + ProviderTimeText(At(c.next)) + kRetryWord};
    case Says::Unreadable: return {kUnreadable};
    default: return {};
  }
}

TEST(PlanAfterRun, PlansTheNextRunAndSaysSo) {
  for (const AfterRunCase& c : kAfterRunCases) {
    SCOPED_TRACE(c.name);
    const PlanStep step = PlanAfterRun(Plan(c.attemptsBefore, c.nextBefore), c.run, c.verify, At(c.now));
    EXPECT_EQ(step.plan.windowOpens, At(c.opens));
    EXPECT_EQ(step.plan.nextRun, At(c.next));
    EXPECT_EQ(step.plan.attempts, c.attempts);
    EXPECT_EQ(step.entries, Entries(c));
  }
}

// Retries an hour into the window after each failed try, never more than 10 minutes apart, and
// sooner when a quarter of the time left is shorter.
TEST(PlanAfterRun, RetriesOnTheLadderCappedByAQuarterOfTheTimeLeft) {
  const int steps[] = {2, 5, 10, 10, 10, 10, 10};
  for (int attempts = 0; attempts < 7; ++attempts)
    EXPECT_EQ(PlanAfterRun(Plan(attempts), kLoginFailedRun, false, At(60)).plan.nextRun, At(60 + steps[attempts]));
  const int left[] = {240, 20, 6}, delay[] = {10, 5, 2};
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(PlanAfterRun(Plan(9), kLoginFailedRun, false, At(1440 - left[i])).plan.nextRun,
              At(1440 - left[i] + delay[i]));
}

TEST(PlanAfterRun, WrongPasswordWaitsForTheUser) {
  const PlanStep refused = PlanAfterRun(Plan(1, 20), kWrongPasswordRun, false, At(60));
  EXPECT_EQ(NextPlannedRun(refused.plan), std::nullopt);
  EXPECT_TRUE(refused.entries.empty());
  const RenewalPlan still = PlanAfterRun(refused.plan, kWrongPasswordRun, false, At(120)).plan;
  EXPECT_EQ(NextPlannedRun(still), std::nullopt);
  // A tick that logs in ends the wait; so does a new password, a save or a restart (ResumePlan).
  EXPECT_EQ(NextPlannedRun(PlanAfterRun(still, kTooEarly, false, At(180)).plan),
            (PlannedRun{At(185), RenewalMode::Renew}));
  EXPECT_EQ(NextPlannedRun(ResumePlan(still, At(240))), (PlannedRun{At(242), RenewalMode::Renew}));
}

TEST(PlanAfterRun, LogsAnUnreadableExpiryOncePerText) {
  const RenewalPlan plan = PlanAfterRun({}, kGarbage, false, At(0)).plan;
  EXPECT_TRUE(PlanAfterRun(plan, kGarbage, false, At(60)).entries.empty());
  EXPECT_TRUE(
      PlanAfterRun(PlanAfterRun(plan, kLoginFailedRun, false, At(60)).plan, kGarbage, false, At(90)).entries.empty());
  EXPECT_EQ(PlanAfterRun(plan, kEmptyExpiry, false, At(60)).entries, std::vector<Text>{kUnreadable});
}

// Sums with a clock at the ends of 64 bits must not wrap into a planned time (UBSan sees the wrap).
TEST(PlanAfterRun, AClockAtTheEndsOfTimePlansNothing) {
  for (const std::int64_t now : {std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()}) {
    const std::optional<PlannedRun> next = NextPlannedRun(PlanAfterRun(Plan(2), kLoginFailedRun, false, now).plan);
    EXPECT_TRUE(!next || next->at == At(-30)) << now;
  }
}

// Whatever the clock and the runs do, no planned run is less than two minutes after the last run,
// none falls outside the window and its check, and a resume plans none in the past.
TEST(PlanAfterRun, NoBurstUnderAJumpingClock) {
  std::mt19937_64 random(7);
  const RunReport* runs[] = {&kLoginFailedRun, &kWrongPasswordRun, &kTooEarly, &kChecked, &kGarbage, &kRenewedRun};
  RenewalPlan plan;
  for (int step = 0; step < 5000; ++step) {
    const std::int64_t now = At(-360 + static_cast<int>(random() % 2160));
    const std::uint64_t pick = random() % 8;
    plan = pick < 6 ? PlanAfterRun(plan, *runs[pick], false, now).plan : ResumePlan(plan, now);
    if (const std::optional<PlannedRun> next = NextPlannedRun(plan)) {
      ASSERT_GE(next->at, pick < 6 ? now + 120 : now) << step;
      ASSERT_GE(next->at, At(-30)) << step;
      ASSERT_LT(next->at, At(1440)) << step;
    }
  }
}

TEST(ResumePlan, KeepsAPlannedTimeOnlyWhenThePlanCouldHaveChosenIt) {
  struct {
    int attempts, nextRun, now, next;
  } const cases[] = {
      {0, -30, -120, -30},         // the check
      {6, 100, 90, 100},           // the ladder's step
      {0, -30, -10, 5},            // a check missed: the first renewal run
      {3, 60, 180, 182},           // a retry missed: two minutes on
      {3, 1440 + 525600, 60, 62},  // a year past the expiry
      {3, 1439, 60, 62},           // further than the ladder's longest step
      {3, 1439, 1440, kNone},      // past the expiry
      {0, -30, -26280000, kNone},  // the clock fifty years back
      {kNone, kNone, 0, kNone},    // no plan
  };
  for (const auto& c : cases) {
    const std::optional<PlannedRun> next = NextPlannedRun(ResumePlan(Plan(c.attempts, c.nextRun), At(c.now)));
    EXPECT_EQ(next ? next->at : 0, At(c.next)) << c.nextRun << " at " << c.now;
  }
}

TEST(RestartWaits, ForARunUnderWayOrOneDueWithinHalfAnHour) {
  RenewalPlan waiting = Plan(1, 5);
  waiting.waitingForUser = true;
  EXPECT_TRUE(RestartWaits({}, At(0), true));
  for (const int now : {-24, 5})
    EXPECT_TRUE(RestartWaits(Plan(0, 5), At(now), false)) << now;
  for (const int now : {-26, 60})  // a planned time long passed is no run coming
    EXPECT_FALSE(RestartWaits(Plan(0, 5), At(now), false)) << now;
  EXPECT_FALSE(RestartWaits(waiting, At(0), false));
  EXPECT_FALSE(RestartWaits({}, At(0), false));
}

TEST(LateWarningDue, OnceInTheLastSixHoursOfAWindowNotRenewed) {
  RenewalPlan plan = Plan(3);
  EXPECT_FALSE(LateWarningDue(plan, At(1080) - 1));
  EXPECT_TRUE(LateWarningDue(plan, At(1080)));
  EXPECT_FALSE(LateWarningDue(plan, At(1440)));
  EXPECT_FALSE(LateWarningDue(PlanAfterRun(plan, kRenewedRun, false, At(1380)).plan, At(1381)));
  plan.lateWarned = true;
  EXPECT_FALSE(LateWarningDue(plan, At(1380)));
  EXPECT_TRUE(LateWarningDue(PlanAfterRun(plan, Read(kLaterText, kOneDay, RunOutcome::TooEarly), false, At(1380)).plan,
                             At(43200 + 1200)));
}

}  // namespace
}  // namespace korvan
