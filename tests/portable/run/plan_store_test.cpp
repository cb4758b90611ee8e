#include "run/plan_store.h"

#include <gtest/gtest.h>

#include "fake_ini_store.h"
#include "plan/plan_status_text.h"

namespace korvan {
namespace {

using FakeStatusStore = FakeIniStore;

const Text kSection = "\xD4\xCB\xD0\xD0\xD7\xB4\xCC\xAC";     // 运行状态
constexpr std::int64_t kOpens = 1714968000;                   // 2024-05-06 12:00:00 UTC+8
const Text kDate = "2024\xC4\xEA\x35\xD4\xC2\x36\xC8\xD5";    // 2024年5月6日
const Text kOpensText = kDate + "12\xCA\xB1";                 // 12时
const Text kNextText = kDate + "11\xCA\xB1\x33\x30\xB7\xD6";  // 11时30分

RenewalPlan Plan(std::int64_t windowOpens, std::int64_t nextRun = 0, int attempts = 0) {
  RenewalPlan plan;
  plan.windowOpens = windowOpens;
  plan.nextRun = nextRun;
  plan.attempts = attempts;
  return plan;
}

// The times go out as the log stamps them; one the reader cannot take back would lose the plan.
TEST(SaveRenewalPlan, WritesTheTimesAsStampsAndLoadsThemBack) {
  FakeStatusStore store;
  RenewalPlan plan = Plan(kOpens, kOpens - 1800, 4);
  plan.lateWarned = true;
  ASSERT_TRUE(SaveRenewalPlan(store, plan));
  const std::map<FakeStatusStore::Item, Text> expected = {{{kSection, "windowOpens"}, kOpensText},
                                                          {{kSection, "nextRun"}, kNextText},
                                                          {{kSection, "attempts"}, "4"},
                                                          {{kSection, "lateWarned"}, "1"}};
  EXPECT_EQ(store.items, expected);
  EXPECT_EQ(LoadRenewalPlan(store), plan);
  store.refusedKeys = {"windowOpens"};
  EXPECT_FALSE(SaveRenewalPlan(store, RenewalPlan{}));
  EXPECT_EQ(store.WrittenKeys().size(), 8u);  // the other keys were still tried
}

TEST(LoadRenewalPlan, SurvivesWhatTheFileHolds) {
  struct {
    Text windowOpens, nextRun, attempts, lateWarned;
    RenewalPlan plan;
  } const cases[] = {
      {"", "", "", "", {}},
      {"tomorrow", kNextText, "3", "1", {}},
      {kOpensText, "\xFF\xFF", "3", "0", Plan(kOpens, 0, 3)},
      {kOpensText, "", "-5", "yes", Plan(kOpens)},
      {kOpensText, "", Text(40, '9'), "", Plan(kOpens, 0, 999999999)},
  };
  for (const auto& c : cases) {
    FakeStatusStore store;
    store.items = {{{kSection, "windowOpens"}, c.windowOpens},
                   {{kSection, "nextRun"}, c.nextRun},
                   {{kSection, "attempts"}, c.attempts},
                   {{kSection, "lateWarned"}, c.lateWarned}};
    EXPECT_EQ(LoadRenewalPlan(store), c.plan) << c.windowOpens << " " << c.nextRun << " " << c.attempts;
  }
}

// The next-run line tells a check from a renewal and shows no time while the plan waits.
TEST(PlanStatusLines, ShowTheOpeningTheNextRunAndTheTries) {
  const Text opens = "\xD0\xF8\xC6\xDA\xB4\xB0\xBF\xDA\xBF\xAA\xB7\xC5\xA3\xBA";  // 续期窗口开放：
  const Text next = "\xCF\xC2\xB4\xCE\xBC\xC6\xBB\xAE\xD4\xCB\xD0\xD0\xA3\xBA";   // 下次计划运行：
  const Text tried = "\xB1\xBE\xB4\xB0\xBF\xDA\xD2\xD1\xB3\xA2\xCA\xD4\xD0\xF8\xC6\xDA\xA3\xBA";  // 本窗口已尝试续期：
  const Text check = "\xA3\xA8\xBC\xEC\xB2\xE9\xA3\xA9",
             renewal = "\xA3\xA8\xD0\xF8\xC6\xDA\xA3\xA9";  // （检查）（续期）
  EXPECT_EQ(PlanStatusLines(Plan(kOpens, kOpens - 1800)),
            (std::vector<Text>{opens + kOpensText, next + kNextText + check, tried + "0\xB4\xCE"}));  // 0次
  EXPECT_EQ(PlanStatusLines(Plan(kOpens, kOpens))[1], next + kOpensText + renewal);
  RenewalPlan waiting = Plan(kOpens, kOpens);
  waiting.waitingForUser = true;
  EXPECT_EQ(PlanStatusLines(waiting)[1].find(kOpensText), std::string::npos);
  EXPECT_EQ(PlanStatusLines({}), (std::vector<Text>{opens + "\xC9\xD0\xCE\xDE", next + "\xCE\xB4\xB0\xB2\xC5\xC5",
                                                    tried + "0\xB4\xCE"}));  // 尚无, 未安排
}

}  // namespace
}  // namespace korvan
