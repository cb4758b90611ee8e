#include "renewal/run_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvan {
namespace {

// The run's messages as code page 936 bytes, written out here rather than taken from the code.
const Text kLoginFailed = " \xB5\xC7\xC2\xBC\xCA\xA7\xB0\xDC\xA3\xA1";            // " 登录失败！"
const Text kWrongPassword = " \xC3\xDC\xC2\xEB\xB2\xBB\xD5\xFD\xC8\xB7\xA3\xA1";  // " 密码不正确！"
const Text kLoggedIn = " \xB5\xC7\xC2\xBC\xB3\xC9\xB9\xA6\xA3\xA1";               // " 登录成功！"
const Text kNoFreeVps = "\xCE\xB4\xD5\xD2\xB5\xBD\xC3\xE2\xB7\xD1VPS";            // 未找到免费VPS
const Text kRenewed = "\xD0\xF8\xB7\xD1\xB3\xC9\xB9\xA6\xA3\xA1";                 // 续费成功！
const Text kExpiry = "\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xA3\xBA";                  // 到期时间：
// 请在该产品到期前1日内进行积分免费续期
const Text kOneDay =
    "\xC7\xEB\xD4\xDA\xB8\xC3\xB2\xFA\xC6\xB7\xB5\xBD\xC6\xDA\xC7\xB0"
    "1\xC8\xD5\xC4\xDA\xBD\xF8\xD0\xD0\xBB\xFD\xB7\xD6\xC3\xE2\xB7\xD1\xD0\xF8\xC6\xDA";
// 续费结果未知：无法识别服务商的答复
const Text kUnknownVerdict =
    "\xD0\xF8\xB7\xD1\xBD\xE1\xB9\xFB\xCE\xB4\xD6\xAA\xA3\xBA\xCE\xDE\xB7\xA8\xCA\xB6\xB1\xF0\xB7\xFE\xCE\xF1\xC9\xCC"
    "\xB5\xC4\xB4\xF0\xB8\xB4";
// 警告：续费后到期时间未变化，请登录面板核实
const Text kUnchanged =
    "\xBE\xAF\xB8\xE6\xA3\xBA\xD0\xF8\xB7\xD1\xBA\xF3\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xCE\xB4\xB1\xE4\xBB\xAF\xA3\xAC"
    "\xC7\xEB\xB5\xC7\xC2\xBC\xC3\xE6\xB0\xE5\xBA\xCB\xCA\xB5";
const Text kMovedLabel = "\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xD2\xD1\xB8\xFC\xD0\xC2\xA3\xBA";  // 到期时间已更新：
const Text kCheckDone =
    "\xBC\xEC\xB2\xE9\xCD\xEA\xB3\xC9\xA3\xBA\xCE\xB4\xCC\xE1\xBD\xBB\xD0\xF8\xC6\xDA";  // 检查完成：未提交续期
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
        OutcomeCase{"ExpiryUnchanged", kUnchanged, RunOutcome::ExpiryUnchanged, Kind::Failed},
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

TEST(RunOutcomeKindTest, NoOutcomeIsBothFailedAndGood) {
  for (int value = static_cast<int>(RunOutcome::None); value <= static_cast<int>(RunOutcome::CheckDone); ++value) {
    const auto outcome = static_cast<RunOutcome>(value);
    EXPECT_FALSE(IsFailedRun(outcome) && IsGoodRun(outcome)) << value;
  }
  EXPECT_FALSE(IsFailedRun(RunOutcome::None));
  EXPECT_FALSE(IsGoodRun(RunOutcome::None));
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
      {"t4", kUnchanged, RunOutcome::ExpiryUnchanged},
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
