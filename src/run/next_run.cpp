#include "run/next_run.h"

#include <algorithm>

#include "run/run_status_text.h"
#include "runtime/datetime/numbers.h"
#include "runtime/datetime/datetime.h"

namespace korvan {
namespace {

constexpr std::string_view kNextRunLabel = "\xCF\xC2\xB4\xCE\xD4\xCB\xD0\xD0\xA3\xBA";       // 下次运行：
constexpr std::string_view kNotScheduled = "\xCE\xB4\xB0\xB2\xC5\xC5";                       // 未安排
constexpr std::string_view kHourWord = "\xCA\xB1";                                           // 时
constexpr std::string_view kMinuteWord = "\xB7\xD6";                                         // 分
constexpr std::string_view kOpen = "\xA3\xA8";                                               // （
constexpr std::string_view kComma = "\xA3\xAC";                                              // ，
constexpr std::string_view kClose = "\xA3\xA9";                                              // ）
constexpr std::string_view kPeriodicWord = "\xB6\xA8\xCA\xB1\xD0\xF8\xC6\xDA";               // 定时续期
constexpr std::string_view kRenewWord = "\xB0\xB4\xCA\xB1\xD0\xF8\xC6\xDA";                  // 按时续期
constexpr std::string_view kRetryWord = "\xB0\xB4\xCA\xB1\xD0\xF8\xC6\xDA\xD6\xD8\xCA\xD4";  // 按时续期重试
constexpr std::string_view kCheckWord = "\xBC\xEC\xB2\xE9";                                  // 检查

std::string_view KindText(NextRunKind kind) {
  switch (kind) {
    case NextRunKind::Periodic: return kPeriodicWord;
    case NextRunKind::Renew: return kRenewWord;
    case NextRunKind::Retry: return kRetryWord;
    case NextRunKind::Check: return kCheckWord;
  }
  return kPeriodicWord;
}

// "8时25分" in UTC+8, the panel's and the log's zone.
Text ClockText(std::int64_t unixSeconds) {
  const std::int64_t local = Utc8SecondsOfDay(unixSeconds);
  return JoinTexts(ToText(local / 3600), kHourWord, ToText(local % 3600 / 60), kMinuteWord);
}

}  // namespace

std::int64_t TimerLeftAfter(std::int64_t left, std::int64_t interval, std::int64_t elapsed) {
  if (left <= 0 || interval <= 0) return 0;
  if (elapsed < left) return left - elapsed;
  return interval - (elapsed - left) % interval;
}

std::optional<std::int64_t> PeriodicRunAt(std::int64_t millisecondsToRun, std::int64_t now) {
  if (millisecondsToRun <= 0) return std::nullopt;
  return now + millisecondsToRun / 1000;
}

std::optional<NextRun> ChooseNextRun(std::optional<std::int64_t> periodicAt, const std::optional<RenewalPlan>& plan) {
  std::optional<NextRun> planned;
  if (plan) {
    if (const std::optional<PlannedRun> run = NextPlannedRun(*plan)) {
      const NextRunKind kind = run->mode == RenewalMode::CheckOnly ? NextRunKind::Check
                               : plan->attempts > 0                ? NextRunKind::Retry
                                                                   : NextRunKind::Renew;
      planned = NextRun{run->at, kind};
    }
  }
  if (planned && (!periodicAt || planned->at <= *periodicAt)) return planned;
  if (periodicAt) return NextRun{*periodicAt, NextRunKind::Periodic};
  return std::nullopt;
}

Text NextRunText(const std::optional<NextRun>& next, std::int64_t now) {
  if (!next) return Text(kNotScheduled);
  // A run due now starts at the next check: not "未安排".
  const std::int64_t milliseconds = std::max<std::int64_t>((next->at - now) * 1000, 1);
  return JoinTexts(ClockText(next->at), kOpen, DueText(milliseconds), kComma, KindText(next->kind), kClose);
}

Text NextRunLine(const std::optional<NextRun>& next, std::int64_t now) {
  return JoinTexts(kNextRunLabel, NextRunText(next, now));
}

std::string_view NextRunKindName(NextRunKind kind) {
  switch (kind) {
    case NextRunKind::Periodic: return "periodic";
    case NextRunKind::Renew: return "renew";
    case NextRunKind::Retry: return "retry";
    case NextRunKind::Check: return "check";
  }
  return "periodic";
}

}  // namespace korvan
