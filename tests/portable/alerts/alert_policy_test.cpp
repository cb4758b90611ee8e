#include "alerts/alert_policy.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace korvan {
namespace {

RunReport RunEndingWith(RunOutcome outcome) {
  RunReport run;
  run.entries.push_back({"stamp", "last message"});
  run.outcome = outcome;
  return run;
}

constexpr FailureStreak kFirstRun{false, 0};
constexpr FailureStreak kAfterGood{true, 0};
constexpr FailureStreak kAfterOneFailure{true, 1};
constexpr FailureStreak kAfterThreeFailures{true, 3};

struct PolicyCase {
  const char* name;
  NotifyMode mode;
  RunOutcome outcome;
  FailureStreak before;
  std::optional<AlertEvent> event;
};

const PolicyCase kPolicyCases[] = {
    // "fail": the first failure of a streak, the recovery, nothing else.
    {"FailFirstRunFailing", NotifyMode::Fail, RunOutcome::WrongPassword, kFirstRun, AlertEvent::WrongPassword},
    {"FailFailureAfterGood", NotifyMode::Fail, RunOutcome::LoginFailed, kAfterGood, AlertEvent::LoginFailed},
    {"FailSecondFailureInARowIsQuiet", NotifyMode::Fail, RunOutcome::LoginFailed, kAfterOneFailure, std::nullopt},
    {"FailFailureOfAnotherKindInTheStreakIsQuiet", NotifyMode::Fail, RunOutcome::NoVps, kAfterThreeFailures,
     std::nullopt},
    {"FailNoVps", NotifyMode::Fail, RunOutcome::NoVps, kAfterGood, AlertEvent::NoVps},
    {"FailUnknownVerdict", NotifyMode::Fail, RunOutcome::UnknownVerdict, kAfterGood, AlertEvent::UnknownVerdict},
    {"FailExpiryUnchanged", NotifyMode::Fail, RunOutcome::ExpiryUnchanged, kAfterGood, AlertEvent::ExpiryUnchanged},
    {"FailGoodFirstRunIsQuiet", NotifyMode::Fail, RunOutcome::Renewed, kFirstRun, std::nullopt},
    {"FailGoodAfterGoodIsQuiet", NotifyMode::Fail, RunOutcome::TooEarly, kAfterGood, std::nullopt},
    {"FailRenewedAfterFailuresRecovers", NotifyMode::Fail, RunOutcome::Renewed, kAfterThreeFailures,
     AlertEvent::Recovered},
    {"FailTooEarlyAfterFailureRecovers", NotifyMode::Fail, RunOutcome::TooEarly, kAfterOneFailure,
     AlertEvent::Recovered},
    {"FailExpiryMovedAfterFailureRecovers", NotifyMode::Fail, RunOutcome::ExpiryMoved, kAfterOneFailure,
     AlertEvent::Recovered},
    {"FailCheckAfterFailuresNeitherRecoversNorFails", NotifyMode::Fail, RunOutcome::CheckDone, kAfterOneFailure,
     std::nullopt},
    {"FailUndecidedRunIsQuiet", NotifyMode::Fail, RunOutcome::None, kFirstRun, std::nullopt},
    // A record written by hand: failures counted without any run are not a streak.
    {"FailFailuresWithoutAnyRunAreNoStreak",
     NotifyMode::Fail,
     RunOutcome::LoginFailed,
     {false, 5},
     AlertEvent::LoginFailed},
    {"FailGoodRunAfterFailuresWithoutAnyRunIsNoRecovery",
     NotifyMode::Fail,
     RunOutcome::Renewed,
     {false, 5},
     std::nullopt},
    {"FailNegativeCountIsNoStreak", NotifyMode::Fail, RunOutcome::Renewed, {true, -2}, std::nullopt},
    // "renew": the same, and every successful renewal.
    {"RenewRenewedAfterGood", NotifyMode::Renew, RunOutcome::Renewed, kAfterGood, AlertEvent::Renewed},
    {"RenewRenewedFirstRun", NotifyMode::Renew, RunOutcome::Renewed, kFirstRun, AlertEvent::Renewed},
    {"RenewExpiryMovedIsARenewal", NotifyMode::Renew, RunOutcome::ExpiryMoved, kAfterGood, AlertEvent::Renewed},
    {"RenewRenewedAfterFailuresRecovers", NotifyMode::Renew, RunOutcome::Renewed, kAfterOneFailure,
     AlertEvent::Recovered},
    {"RenewTooEarlyIsQuiet", NotifyMode::Renew, RunOutcome::TooEarly, kAfterGood, std::nullopt},
    {"RenewFirstFailure", NotifyMode::Renew, RunOutcome::WrongPassword, kAfterGood, AlertEvent::WrongPassword},
    {"RenewRepeatedFailureIsQuiet", NotifyMode::Renew, RunOutcome::WrongPassword, kAfterOneFailure, std::nullopt},
    {"RenewCheckIsQuiet", NotifyMode::Renew, RunOutcome::CheckDone, kAfterGood, std::nullopt},
    // "all": every run, the recovery still named as such.
    {"AllTooEarly", NotifyMode::All, RunOutcome::TooEarly, kAfterGood, AlertEvent::TooEarly},
    {"AllRenewedFirstRun", NotifyMode::All, RunOutcome::Renewed, kFirstRun, AlertEvent::Renewed},
    {"AllRepeatedFailure", NotifyMode::All, RunOutcome::LoginFailed, kAfterThreeFailures, AlertEvent::LoginFailed},
    {"AllRecovery", NotifyMode::All, RunOutcome::TooEarly, kAfterOneFailure, AlertEvent::Recovered},
    {"AllCheck", NotifyMode::All, RunOutcome::CheckDone, kAfterGood, AlertEvent::RunEnded},
    {"AllUndecidedRun", NotifyMode::All, RunOutcome::None, kFirstRun, AlertEvent::RunEnded},
};

TEST(AlertPolicyTest, ChoosesTheEvent) {
  for (const PolicyCase& c : kPolicyCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(AlertEventOfRun(c.mode, RunEndingWith(c.outcome), c.before), c.event);
  }
}

TEST(AlertPolicyTest, RunWithoutEntriesPushesInNoMode) {
  RunReport empty;
  empty.outcome = RunOutcome::None;
  for (const NotifyMode mode : {NotifyMode::Fail, NotifyMode::Renew, NotifyMode::All}) {
    EXPECT_EQ(AlertEventOfRun(mode, empty, kFirstRun), std::nullopt);
  }
}

struct StreakCase {
  const char* name;
  FailureStreak before;
  RunOutcome outcome;
  FailureStreak after;
};

const StreakCase kStreakCases[] = {
    {"FailureStartsAStreak", kFirstRun, RunOutcome::LoginFailed, {true, 1}},
    {"FailureLengthensIt", kAfterThreeFailures, RunOutcome::ExpiryUnchanged, {true, 4}},
    {"GoodRunEndsIt", kAfterThreeFailures, RunOutcome::TooEarly, {true, 0}},
    {"CheckLeavesIt", kAfterThreeFailures, RunOutcome::CheckDone, {true, 3}},
    {"UndecidedRunLeavesIt", kAfterOneFailure, RunOutcome::None, {true, 1}},
    {"UndecidedFirstRunStillCounts", kFirstRun, RunOutcome::None, {true, 0}},
    {"HandWrittenCountWithoutRunIsDropped", {false, 7}, RunOutcome::NoVps, {true, 1}},
};

TEST(FailureStreakTest, FollowsTheRun) {
  for (const StreakCase& c : kStreakCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(StreakAfterRun(c.before, c.outcome), c.after);
  }
}

// A day of runs with a restart in the middle. With the record the streak survives the restart, so a
// failure that goes on is pushed once; without it, the new process starts a record of its own and
// pushes the failure again, but never a recovery it did not see the failure of.
struct Step {
  RunOutcome outcome;
  bool restartBefore = false;
};

std::vector<std::optional<AlertEvent>> PushesOfDay(NotifyMode mode,
                                                   const std::vector<Step>& steps,
                                                   bool streakSurvivesRestart) {
  std::vector<std::optional<AlertEvent>> pushes;
  FailureStreak streak;
  for (const Step& step : steps) {
    if (step.restartBefore && !streakSurvivesRestart) streak = FailureStreak{};
    pushes.push_back(AlertEventOfRun(mode, RunEndingWith(step.outcome), streak));
    streak = StreakAfterRun(streak, step.outcome);
  }
  return pushes;
}

struct DayCase {
  const char* name;
  NotifyMode mode;
  bool streakSurvivesRestart;
  std::vector<Step> steps;
  std::vector<std::optional<AlertEvent>> pushes;
};

const Step kGood{RunOutcome::TooEarly};
const Step kFailing{RunOutcome::WrongPassword};
const Step kFailingAfterRestart{RunOutcome::WrongPassword, true};
const Step kRenewedAfterRestart{RunOutcome::Renewed, true};
const Step kCheck{RunOutcome::CheckDone};

const DayCase kDayCases[] = {
    {"RecordKeepsTheStreakOverTheRestart",
     NotifyMode::Fail,
     true,
     {kGood, kFailing, kFailing, kFailingAfterRestart, kFailing, kRenewedAfterRestart},
     {std::nullopt, AlertEvent::WrongPassword, std::nullopt, std::nullopt, std::nullopt, AlertEvent::Recovered}},
    {"WithoutRecordEachProcessPushesItsFirstFailure",
     NotifyMode::Fail,
     false,
     {kGood, kFailing, kFailing, kFailingAfterRestart, kFailing, kRenewedAfterRestart},
     {std::nullopt, AlertEvent::WrongPassword, std::nullopt, AlertEvent::WrongPassword, std::nullopt, std::nullopt}},
    {"ChecksInsideAStreakChangeNothing",
     NotifyMode::Fail,
     true,
     {kFailing, kCheck, kFailing, kCheck, kGood},
     {AlertEvent::WrongPassword, std::nullopt, std::nullopt, std::nullopt, AlertEvent::Recovered}},
    {"RenewModePushesTheRenewalAfterTheRestart",
     NotifyMode::Renew,
     true,
     {kGood, kRenewedAfterRestart},
     {std::nullopt, AlertEvent::Renewed}},
};

TEST(AlertDayTest, PushesEachEventOnce) {
  for (const DayCase& c : kDayCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PushesOfDay(c.mode, c.steps, c.streakSurvivesRestart), c.pushes);
  }
}

struct NotifySettingCase {
  std::string_view setting;
  NotifyMode mode;
};

const NotifySettingCase kNotifySettingCases[] = {
    {"fail", NotifyMode::Fail},   {"renew", NotifyMode::Renew},  {"all", NotifyMode::All},
    {" ALL ", NotifyMode::All},   {"Renew", NotifyMode::Renew},  {"", NotifyMode::Fail},
    {"always", NotifyMode::Fail}, {"renewal", NotifyMode::Fail}, {"\xB6\xA4", NotifyMode::Fail},
};

TEST(NotifySettingTest, ReadsTheThreeChoicesDefaultsToFailAndWritesEachAsItIsRead) {
  for (const NotifySettingCase& c : kNotifySettingCases) {
    EXPECT_EQ(NotifyModeFromSetting(c.setting), c.mode) << "setting \"" << c.setting << "\"";
    EXPECT_EQ(NotifyModeFromSetting(NotifySettingText(c.mode)), c.mode);
  }
}

}  // namespace
}  // namespace korvan
