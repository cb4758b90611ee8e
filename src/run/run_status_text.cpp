#include "run/run_status_text.h"

#include "renewal/run_messages.h"
#include "runtime/datetime/numbers.h"

namespace korvan {
namespace {

constexpr std::string_view kLastRunLabel = "\xC9\xCF\xB4\xCE\xD4\xCB\xD0\xD0\xA3\xBA";     // 上次运行：
constexpr std::string_view kLastResultLabel = "\xD4\xCB\xD0\xD0\xBD\xE1\xB9\xFB\xA3\xBA";  // 运行结果：
constexpr std::string_view kLastRenewedLabel =
    "\xC9\xCF\xB4\xCE\xB3\xC9\xB9\xA6\xD0\xF8\xB7\xD1\xA3\xBA";  // 上次成功续费：
constexpr std::string_view kFailuresLabel =
    "\xC1\xAC\xD0\xF8\xCA\xA7\xB0\xDC\xB4\xCE\xCA\xFD\xA3\xBA";  // 连续失败次数：
constexpr std::string_view kNextRenewalLabel =
    "\xCF\xC2\xB4\xCE\xD0\xF8\xB7\xD1\xD4\xCB\xD0\xD0\xA3\xBA";                             // 下次续费运行：
constexpr std::string_view kNextRestartLabel = "\xCF\xC2\xB4\xCE\xD6\xD8\xC6\xF4\xA3\xBA";  // 下次重启：
constexpr std::string_view kSourceLabel = "\xBC\xC7\xC2\xBC\xC0\xB4\xD4\xB4\xA3\xBA";       // 记录来源：
constexpr std::string_view kNothingYet = "\xC9\xD0\xCE\xDE";                                // 尚无
constexpr std::string_view kNotScheduled = "\xCE\xB4\xB0\xB2\xC5\xC5";                      // 未安排
constexpr std::string_view kUnderAMinute =
    "\xB2\xBB\xB5\xBD"
    "1\xB7\xD6\xD6\xD3\xBA\xF3";                                          // 不到1分钟后
constexpr std::string_view kHours = "\xD0\xA1\xCA\xB1";                   // 小时
constexpr std::string_view kMinutesFromNow = "\xB7\xD6\xD6\xD3\xBA\xF3";  // 分钟后
// 本次启动以来（未开启运行记录）
constexpr std::string_view kThisProcessSource =
    "\xB1\xBE\xB4\xCE\xC6\xF4\xB6\xAF\xD2\xD4\xC0\xB4\xA3\xA8\xCE\xB4\xBF\xAA\xC6\xF4\xD4\xCB\xD0\xD0\xBC\xC7\xC2\xBC"
    "\xA3\xA9";
constexpr std::string_view kLineBreak = "\r\n";
constexpr std::int64_t kMillisecondsPerMinute = 60000;

std::string_view OrNothingYet(std::string_view text) { return text.empty() ? kNothingYet : text; }

}  // namespace

Text DueText(std::int64_t millisecondsFromNow) {
  if (millisecondsFromNow <= 0) return Text(kNotScheduled);
  if (millisecondsFromNow < kMillisecondsPerMinute) return Text(kUnderAMinute);
  const std::int64_t minutes = millisecondsFromNow / kMillisecondsPerMinute;
  const Text minutesText = JoinTexts(ToText(minutes % 60), kMinutesFromNow);
  if (minutes < 60) return minutesText;
  return JoinTexts(ToText(minutes / 60), kHours, minutesText);
}

Text RunStatusText(const RunRecord& record,
                   RecordSource source,
                   std::int64_t millisecondsToNextRenewal,
                   std::int64_t millisecondsToNextRestart) {
  const std::string_view sourceText = source == RecordSource::StatusFile ? kStatusFileName : kThisProcessSource;
  return JoinTexts(kLastRunLabel, OrNothingYet(record.lastRun), kLineBreak,                         //
                   kLastResultLabel, OrNothingYet(record.lastResult), kLineBreak,                   //
                   kLastRenewedLabel, OrNothingYet(record.lastRenewed), kLineBreak,                 //
                   kExpiryLabel, OrNothingYet(record.expiry), kLineBreak,                           //
                   kFailuresLabel, ToText(static_cast<std::int64_t>(record.failures)), kLineBreak,  //
                   kNextRenewalLabel, DueText(millisecondsToNextRenewal), kLineBreak,               //
                   kNextRestartLabel, DueText(millisecondsToNextRestart), kLineBreak,               //
                   kSourceLabel, sourceText);
}

}  // namespace korvan
