#include "app/form/status_caption.h"

#include <gtest/gtest.h>

namespace korvan {
namespace {

const Text kRunning = "\xBC\xE0\xBF\xD8\xD4\xCB\xD0\xD0\xD6\xD0";                     // 监控运行中
const Text kRetry = "\xD0\xF8\xC6\xDA\xCE\xB4\xB3\xC9\xB9\xA6\xA3\xAC";               // 续期未成功，
const Text kLastFailed = "\xC9\xCF\xB4\xCE\xD0\xF8\xC6\xDA\xCE\xB4\xB3\xC9\xB9\xA6";  // 上次续期未成功
const Text kRetryWord = "\xD6\xD8\xCA\xD4";                                           // 重试

constexpr std::int64_t kAt0825 = 1714955104;  // 2024-05-06 08:25:04 UTC+8
constexpr std::int64_t kAt1805 = 1714989900;  // 18:05:00

RenewalPlan Plan(std::int64_t nextRun, int attempts) {
  RenewalPlan plan;
  plan.windowOpens = kAt0825 - 3600;
  plan.nextRun = nextRun;
  plan.attempts = attempts;
  return plan;
}

TEST(StatusCaptionTest, SaysWhetherTheRenewalsFailWhenTheRecordOrThePlanIsOn) {
  struct Case {
    const char* name;
    AdvancedSettings settings;
    int failures;
    RenewalPlan plan;
    Text caption;  // before the dot
  };
  const AdvancedSettings off, history{.history = true}, deadline{.deadline = true};
  const Case cases[] = {
      {"OffAfterFailures", off, 3, Plan(kAt0825, 2), kRunning},
      {"HistoryGoodRun", history, 0, {}, kRunning},
      {"HistoryFailedRun", history, 1, {}, kLastFailed},
      // The plan is kept only with deadline on: a stale one in the file names no retry.
      {"HistoryIgnoresTheStalePlan", history, 2, Plan(kAt0825, 2), kLastFailed},
      {"DeadlineRetry", deadline, 1, Plan(kAt0825, 1), kRetry + "8:25" + kRetryWord},
      {"RetryAfterAnAnswerThatIsNoFailure", deadline, 0, Plan(kAt1805, 3), kRetry + "18:05" + kRetryWord},
      {"CheckBeforeTheWindowIsNoRetry", deadline, 1, Plan(kAt0825, 0), kLastFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunRecord record;
    record.failures = c.failures;
    const RenewalStanding standing = StandingOf(c.settings, record, c.plan);
    // The dot blinks as 监控运行中's does.
    EXPECT_EQ(RunningCaption(standing, true), c.caption + " \xA1\xF1");
    EXPECT_EQ(RunningCaption(standing, false), c.caption + " \xA1\xF0");
  }
}

}  // namespace
}  // namespace korvan
