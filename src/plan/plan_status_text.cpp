#include "plan/plan_status_text.h"

#include <algorithm>

#include "plan/provider_time.h"
#include "runtime/datetime/numbers.h"

namespace korvan {
namespace {

constexpr std::string_view kWindowOpensLabel =
    "\xD0\xF8\xC6\xDA\xB4\xB0\xBF\xDA\xBF\xAA\xB7\xC5\xA3\xBA";  // 续期窗口开放：
constexpr std::string_view kNextPlannedLabel =
    "\xCF\xC2\xB4\xCE\xBC\xC6\xBB\xAE\xD4\xCB\xD0\xD0\xA3\xBA";  // 下次计划运行：
// 本窗口已尝试续期：
constexpr std::string_view kAttemptsLabel = "\xB1\xBE\xB4\xB0\xBF\xDA\xD2\xD1\xB3\xA2\xCA\xD4\xD0\xF8\xC6\xDA\xA3\xBA";
constexpr std::string_view kTimesWord = "\xB4\xCE";                            // 次
constexpr std::string_view kCheckWord = "\xA3\xA8\xBC\xEC\xB2\xE9\xA3\xA9";    // （检查）
constexpr std::string_view kRenewalWord = "\xA3\xA8\xD0\xF8\xC6\xDA\xA3\xA9";  // （续期）
// 等待修改密码（上次密码不正确）
constexpr std::string_view kWaitingForPassword =
    "\xB5\xC8\xB4\xFD\xD0\xDE\xB8\xC4\xC3\xDC\xC2\xEB\xA3\xA8\xC9\xCF\xB4\xCE\xC3\xDC\xC2\xEB\xB2\xBB\xD5\xFD\xC8\xB7"
    "\xA3\xA9";
// 本机时钟：比网络时间
constexpr std::string_view kClockLabel =
    "\xB1\xBE\xBB\xFA\xCA\xB1\xD6\xD3\xA3\xBA\xB1\xC8\xCD\xF8\xC2\xE7\xCA\xB1\xBC\xE4";
constexpr std::string_view kAheadWord = "\xBF\xEC";            // 快
constexpr std::string_view kBehindWord = "\xC2\xFD";           // 慢
constexpr std::string_view kDaysWord = "\xCC\xEC";             // 天
constexpr std::string_view kHoursWord = "\xD0\xA1\xCA\xB1";    // 小时
constexpr std::string_view kMinutesWord = "\xB7\xD6\xD6\xD3";  // 分钟
constexpr std::int64_t kOffsetShownFrom = 60;
constexpr std::string_view kNothingYet = "\xC9\xD0\xCE\xDE";            // 尚无
constexpr std::string_view kNotScheduled = "\xCE\xB4\xB0\xB2\xC5\xC5";  // 未安排

Text NextRunText(const RenewalPlan& plan, std::string_view unplannedHint) {
  if (plan.windowOpens > 0 && plan.waitingForUser) return Text(kWaitingForPassword);
  if (plan.windowOpens <= 0 && !plan.waitingForUser) return JoinTexts(kNotScheduled, unplannedHint);
  const std::optional<PlannedRun> next = NextPlannedRun(plan);
  if (!next) return Text(kNotScheduled);
  return JoinTexts(ProviderTimeText(next->at), next->mode == RenewalMode::CheckOnly ? kCheckWord : kRenewalWord);
}

Text Number(std::int64_t value) { return ToText(value); }

}  // namespace

std::optional<Text> ClockOffsetLine(std::int64_t offsetSeconds) {
  if (offsetSeconds >= -kOffsetShownFrom && offsetSeconds <= kOffsetShownFrom) return std::nullopt;
  // Far from the ends of 64 bits: a clock a million years off is still said as days.
  const std::int64_t seconds = std::min<std::int64_t>(offsetSeconds < 0 ? -offsetSeconds : offsetSeconds, 1LL << 50);
  const std::int64_t minutes = seconds / 60, hours = minutes / 60, days = hours / 24;
  Text amount;
  if (days > 0) {
    amount = JoinTexts(Number(days), kDaysWord, Number(hours % 24), kHoursWord);
  } else if (hours > 0) {
    amount = JoinTexts(Number(hours), kHoursWord, Number(minutes % 60), kMinutesWord);
  } else {
    amount = JoinTexts(Number(minutes), kMinutesWord);
  }
  return JoinTexts(kClockLabel, offsetSeconds > 0 ? kAheadWord : kBehindWord, amount);
}

std::vector<Text> PlanStatusLines(const RenewalPlan& plan, std::string_view unplannedHint) {
  const bool planned = plan.windowOpens > 0;
  return {
      JoinTexts(kWindowOpensLabel, planned ? ProviderTimeText(plan.windowOpens) : Text(kNothingYet)),
      JoinTexts(kNextPlannedLabel, NextRunText(plan, unplannedHint)),
      JoinTexts(kAttemptsLabel, ToText(static_cast<std::int64_t>(planned ? plan.attempts : 0)), kTimesWord),
  };
}

}  // namespace korvan
