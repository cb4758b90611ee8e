#include "renewal/run_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_message_bytes.h"

namespace korvan {
namespace {

using namespace message_bytes;

// 配置保存完毕，请重启软件生效
const Text kConfigSaved =
    "\xC5\xE4\xD6\xC3\xB1\xA3\xB4\xE6\xCD\xEA\xB1\xCF\xA3\xAC\xC7\xEB\xD6\xD8\xC6\xF4\xC8\xED\xBC\xFE\xC9\xFA\xD0\xA7";
const Text kChineseUser = "\xD3\xC3\xBB\xA7";  // 用户

enum class Kind { Failed, Good, Neither };

struct OutcomeCase {
  const char* name;
  Text message;
  RunOutcome outcome;
  Kind kind;
};

const OutcomeCase kOutcomeCases[] = {
    {"LoginFailed", "demo" + kLoginFailed, RunOutcome::LoginFailed, Kind::Failed},
    {"LoginFailedChineseUser", kChineseUser + kLoginFailed, RunOutcome::LoginFailed, Kind::Failed},
    {"LoginFailedEmptyUser", kLoginFailed, RunOutcome::LoginFailed, Kind::Failed},
    // A user name that reads like another verdict is still a login entry.
    {"LoginFailedUserNamedLikeSuccess", kRenewed + kLoginFailed, RunOutcome::LoginFailed, Kind::Failed},
    {"WrongPassword", "demo" + kWrongPassword, RunOutcome::WrongPassword, Kind::Failed},
    {"NoVps", kNoFreeVps, RunOutcome::NoVps, Kind::Failed},
    {"UnknownVerdict", kUnknownVerdict, RunOutcome::UnknownVerdict, Kind::Failed},
    {"ExpiryUnchanged", kUnchangedWarning, RunOutcome::ExpiryUnchanged, Kind::Failed},
    {"Renewed", kRenewed, RunOutcome::Renewed, Kind::Good},
    {"TooEarly", kOneDay, RunOutcome::TooEarly, Kind::Good},
    {"ExpiryMoved", kMovedLabel + "2024-05-06 \xA1\xFA 2024-06-06", RunOutcome::ExpiryMoved, Kind::Good},
    {"ExpiryMovedFromEmpty", kMovedLabel + " \xA1\xFA 2024", RunOutcome::ExpiryMoved, Kind::Good},
    {"CheckDone", kCheckDone, RunOutcome::CheckDone, Kind::Neither},
    {"EndedOnExpiry", kExpiry + "2024-05-06 12:00:00", RunOutcome::None, Kind::Neither},
    {"EndedOnLogin", "demo" + kLoggedIn, RunOutcome::None, Kind::Neither},
    {"ConfigurationSaved", kConfigSaved, RunOutcome::None, Kind::Neither},
    {"Empty", "", RunOutcome::None, Kind::Neither},
    // Whole-message verdicts match only whole.
    {"RenewedWithTrailingSpace", kRenewed + " ", RunOutcome::None, Kind::Neither},
    {"RenewedInsideText", "x" + kRenewed, RunOutcome::None, Kind::Neither},
    {"NoVpsWithSuffix", kNoFreeVps + "!", RunOutcome::None, Kind::Neither},
    {"OneDayCut", kOneDay.substr(0, kOneDay.size() - 2), RunOutcome::None, Kind::Neither},
    {"LoginFailedWithoutSpace", kLoginFailed.substr(1), RunOutcome::None, Kind::Neither},
    {"LoginFailedNotAtEnd", "demo" + kLoginFailed + "x", RunOutcome::None, Kind::Neither},
    {"MovedLabelNotAtStart", "x" + kMovedLabel, RunOutcome::None, Kind::Neither}};

TEST(OutcomeOfMessageTest, ClassifiesTheLastMessage) {
  for (const OutcomeCase& c : kOutcomeCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(OutcomeOfMessage(c.message), c.outcome);
    EXPECT_EQ(IsFailedRun(c.outcome), c.kind == Kind::Failed);
    EXPECT_EQ(IsGoodRun(c.outcome), c.kind == Kind::Good);
  }
}

TEST(RecordRunEntryTest, KeepsEntriesInOrderAndTheOutcomeOfTheLast) {
  RunReport report;
  const struct {
    Text stamp;
    Text message;
    RunOutcome outcome;
  } steps[] = {
      {"t1", "demo" + kLoggedIn, RunOutcome::None},
      {"t2", kExpiry + "2024", RunOutcome::None},
      {"t3", kRenewed, RunOutcome::Renewed},
      {"t4", kUnchangedWarning, RunOutcome::ExpiryUnchanged},
  };
  for (const auto& step : steps) {
    RecordRunEntry(report, step.stamp, step.message);
    EXPECT_EQ(report.outcome, step.outcome) << step.stamp;
  }
  ASSERT_EQ(report.entries.size(), 4u);
  for (std::size_t i = 0; i < report.entries.size(); ++i) {
    EXPECT_EQ(report.entries[i].stamp, steps[i].stamp);
    EXPECT_EQ(report.entries[i].message, steps[i].message);
  }
}

}  // namespace
}  // namespace korvan
