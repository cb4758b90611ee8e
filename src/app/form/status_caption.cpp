#include "app/form/status_caption.h"

#include "runtime/datetime/numbers.h"
#include "runtime/datetime/datetime.h"

namespace korvan {
namespace {

constexpr std::string_view kRunning = "\xBC\xE0\xBF\xD8\xD4\xCB\xD0\xD0\xD6\xD0";             // 监控运行中
constexpr std::string_view kRetryStart = "\xD0\xF8\xC6\xDA\xCE\xB4\xB3\xC9\xB9\xA6\xA3\xAC";  // 续期未成功，
constexpr std::string_view kRetryEnd = "\xD6\xD8\xCA\xD4";                                    // 重试
constexpr std::string_view kLastFailed = "\xC9\xCF\xB4\xCE\xD0\xF8\xC6\xDA\xCE\xB4\xB3\xC9\xB9\xA6";  // 上次续期未成功
constexpr std::string_view kFilledDot = " \xA1\xF1";                                                  // " ●"
constexpr std::string_view kHollowDot = " \xA1\xF0";                                                  // " ○"

// The hour and minute in UTC+8, "8:25" or "18:05": a retry is never a day away, and the 152-pixel
// label has no room for more. Written as the log writes it ("18时5分") the text runs past the label
// in 9-point SimSun and its dot wraps onto a second line.
Text ClockText(std::int64_t unixSeconds) {
  const std::int64_t local = Utc8SecondsOfDay(unixSeconds);
  const std::int64_t hour = local / 3600, minute = local % 3600 / 60;
  return JoinTexts(ToText(hour), minute < 10 ? ":0" : ":", ToText(minute));
}

}  // namespace

RenewalStanding StandingOf(const AdvancedSettings& settings, const RunRecord& record, const RenewalPlan& plan) {
  RenewalStanding standing;
  standing.shown = settings.history || settings.deadline;
  if (!standing.shown) return standing;
  standing.lastRunFailed = record.failures > 0;
  // A planned run after a failed try in the window; a wait for a new password plans none.
  if (settings.deadline && plan.windowOpens > 0 && plan.attempts > 0 && !plan.waitingForUser) {
    standing.retryAt = plan.nextRun;
  }
  return standing;
}

RenewalStanding& shownStanding() {
  static RenewalStanding standing;
  return standing;
}

Text RunningCaption(const RenewalStanding& standing, bool filled) {
  const std::string_view dot = filled ? kFilledDot : kHollowDot;
  if (standing.shown && standing.retryAt > 0)
    return JoinTexts(kRetryStart, ClockText(standing.retryAt), kRetryEnd, dot);
  if (standing.shown && standing.lastRunFailed) return JoinTexts(kLastFailed, dot);
  return JoinTexts(kRunning, dot);
}

}  // namespace korvan
