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

class OutcomeOfMessageTest : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(OutcomeOfMessageTest, ClassifiesTheLastMessage) {
  const OutcomeCase& c = GetParam();
  EXPECT_EQ(OutcomeOfMessage(c.message), c.outcome);
  EXPECT_EQ(IsFailedRun(c.outcome), c.kind == Kind::Failed);
  EXPECT_EQ(IsGoodRun(c.outcome), c.kind == Kind::Good);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    OutcomeOfMessageTest,
    ::testing::Values(
        OutcomeCase{"LoginFailed", "demo" + kLoginFailed, RunOutcome::LoginFailed, Kind::Failed},
        OutcomeCase{"LoginFailedChineseUser", kChineseUser + kLoginFailed, RunOutcome::LoginFailed, Kind::Failed},
        OutcomeCase{"LoginFailedEmptyUser", kLoginFailed, RunOutcome::LoginFailed, Kind::Failed},
        // A user name that reads like another verdict is still a login entry.
        OutcomeCase{"LoginFailedUserNamedLikeSuccess", kRenewed + kLoginFailed, RunOutcome::LoginFailed, Kind::Failed},
        OutcomeCase{"WrongPassword", "demo" + kWrongPassword, RunOutcome::WrongPassword, Kind::Failed},
        OutcomeCase{"NoVps", kNoFreeVps, RunOutcome::NoVps, Kind::Failed},
        OutcomeCase{"UnknownVerdict", kUnknownVerdict, RunOutcome::UnknownVerdict, Kind::Failed},
        OutcomeCase{"ExpiryUnchanged", kUnchangedWarning, RunOutcome::ExpiryUnchanged, Kind::Failed},
        OutcomeCase{"Renewed", kRenewed, RunOutcome::Renewed, Kind::Good},
        OutcomeCase{"TooEarly", kOneDay, RunOutcome::TooEarly, Kind::Good},
        OutcomeCase{"ExpiryMoved", kMovedLabel + "2024-05-06 \xA1\xFA 2024-06-06", RunOutcome::ExpiryMoved, Kind::Good},
        OutcomeCase{"ExpiryMovedFromEmpty", kMovedLabel + " \xA1\xFA 2024", RunOutcome::ExpiryMoved, Kind::Good},
        OutcomeCase{"CheckDone", kCheckDone, RunOutcome::CheckDone, Kind::Neither},
        OutcomeCase{"EndedOnExpiry", kExpiry + "2024-05-06 12:00:00", RunOutcome::None, Kind::Neither},
        OutcomeCase{"EndedOnLogin", "demo" + kLoggedIn, RunOutcome::None, Kind::Neither},
        OutcomeCase{"ConfigurationSaved", kConfigSaved, RunOutcome::None, Kind::Neither},
        OutcomeCase{"Empty", "", RunOutcome::None, Kind::Neither},
        // Whole-message verdicts match only whole.
        OutcomeCase{"RenewedWithTrailingSpace", kRenewed + " ", RunOutcome::None, Kind::Neither},
        OutcomeCase{"RenewedInsideText", "x" + kRenewed, RunOutcome::None, Kind::Neither},
        OutcomeCase{"NoVpsWithSuffix", kNoFreeVps + "!", RunOutcome::None, Kind::Neither},
        OutcomeCase{"OneDayCut", kOneDay.substr(0, kOneDay.size() - 2), RunOutcome::None, Kind::Neither},
        OutcomeCase{"LoginFailedWithoutSpace", kLoginFailed.substr(1), RunOutcome::None, Kind::Neither},
        OutcomeCase{"LoginFailedNotAtEnd", "demo" + kLoginFailed + "x", RunOutcome::None, Kind::Neither},
        OutcomeCase{"MovedLabelNotAtStart", "x" + kMovedLabel, RunOutcome::None, Kind::Neither}),
    [](const auto& info) { return std::string(info.param.name); });

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
