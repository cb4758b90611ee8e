#include "app/main_window/status_caption.h"

#include <gtest/gtest.h>

namespace korvan {
namespace {

const Text kRunning = "\xBC\xE0\xBF\xD8\xD4\xCB\xD0\xD0\xD6\xD0 \xA1\xF1";                     // 监控运行中 ●
const Text kRetry = "\xD0\xF8\xC6\xDA\xCE\xB4\xB3\xC9\xB9\xA6\xA3\xAC";                        // 续期未成功，
const Text kRetryEnd = "\xD6\xD8\xCA\xD4 \xA1\xF1";                                            // 重试 ●
const Text kLastFailed = "\xC9\xCF\xB4\xCE\xD0\xF8\xC6\xDA\xCE\xB4\xB3\xC9\xB9\xA6 \xA1\xF1";  // 上次续期未成功 ●

constexpr std::int64_t kAt0825 = 1714955104;  // 2024-05-06 08:25:04 UTC+8
constexpr std::int64_t kAt0000 = 1714924830;  // 00:00:30
constexpr std::int64_t kAt1805 = 1714989900;  // 18:05:00

RenewalPlan Plan(std::int64_t windowOpens, std::int64_t nextRun, int attempts, bool waitingForUser = false) {
  RenewalPlan plan;
  plan.windowOpens = windowOpens;
  plan.nextRun = nextRun;
  plan.attempts = attempts;
  plan.waitingForUser = waitingForUser;
  return plan;
}
RenewalPlan Retrying(std::int64_t at) { return Plan(at - 3600, at, 2); }

TEST(StatusCaptionTest, SaysWhetherTheRenewalsFailWhenTheRecordOrThePlanIsOn) {
  struct Case {
    const char* name;
    AdvancedSettings settings;
    int failures;
    RenewalPlan plan;
    Text caption;
  };
  const AdvancedSettings off, history{.history = true}, deadline{.deadline = true};
  const Case cases[] = {
      // Both off: 监控运行中 whatever the record and the plan say.
      {"OffAfterFailures", off, 3, Retrying(kAt0825), kRunning},
      {"HistoryGoodRun", history, 0, {}, kRunning},
      {"HistoryFailedRun", history, 1, {}, kLastFailed},
      // The plan is kept only with deadline on: a stale one in the file names no retry.
      {"HistoryIgnoresTheStalePlan", history, 2, Retrying(kAt0825), kLastFailed},
      {"DeadlineRetry", deadline, 1, Retrying(kAt0825), kRetry + "8:25" + kRetryEnd},
      {"RetryAtMidnight", deadline, 1, Retrying(kAt0000), kRetry + "0:00" + kRetryEnd},
      {"RetryAfterAnAnswerThatIsNoFailure", deadline, 0, Retrying(kAt1805), kRetry + "18:05" + kRetryEnd},
      // A check before the window, or the plan's wait for a new password, is no retry.
      {"CheckBeforeTheWindow", deadline, 1, Plan(kAt0825, kAt0825 - 1800, 0), kLastFailed},
      {"WaitingForPassword", deadline, 1, Plan(kAt0825, 0, 1, true), kLastFailed},
      {"RenewedAfterRetries", deadline, 0, {}, kRunning},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunRecord record;
    record.failures = c.failures;
    const RenewalStanding standing = StandingOf(c.settings, record, c.plan);
    EXPECT_EQ(RunningCaption(standing, true), c.caption);
    // The dot blinks as 监控运行中's does.
    Text hollow = c.caption;
    hollow.replace(hollow.size() - 2, 2, "\xA1\xF0");
    EXPECT_EQ(RunningCaption(standing, false), hollow);
  }
}

}  // namespace
}  // namespace korvan
