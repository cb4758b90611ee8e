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
// 本次启动以来（korvan-status.ini 尚无记录）
constexpr std::string_view kThisProcessUntilSavedSource =
    "\xB1\xBE\xB4\xCE\xC6\xF4\xB6\xAF\xD2\xD4\xC0\xB4\xA3\xA8korvan-status.ini "
    "\xC9\xD0\xCE\xDE\xBC\xC7\xC2\xBC\xA3\xA9";
// （监控时间为负数，不自动续期）
constexpr std::string_view kNegativeRenewalPeriod =
    "\xA3\xA8\xBC\xE0\xBF\xD8\xCA\xB1\xBC\xE4\xCE\xAA\xB8\xBA\xCA\xFD\xA3\xAC\xB2\xBB\xD7\xD4\xB6\xAF\xD0\xF8\xC6\xDA"
    "\xA3\xA9";
// （软件重启为负数，不自动重启）
constexpr std::string_view kNegativeRestartPeriod =
    "\xA3\xA8\xC8\xED\xBC\xFE\xD6\xD8\xC6\xF4\xCE\xAA\xB8\xBA\xCA\xFD\xA3\xAC\xB2\xBB\xD7\xD4\xB6\xAF\xD6\xD8\xC6\xF4"
    "\xA3\xA9";
// （尚未保存配置）
constexpr std::string_view kSettingsNotSaved = "\xA3\xA8\xC9\xD0\xCE\xB4\xB1\xA3\xB4\xE6\xC5\xE4\xD6\xC3\xA3\xA9";
// （配置已保存，重启软件后生效）
constexpr std::string_view kSettingsAwaitRestart =
    "\xA3\xA8\xC5\xE4\xD6\xC3\xD2\xD1\xB1\xA3\xB4\xE6\xA3\xAC\xD6\xD8\xC6\xF4\xC8\xED\xBC\xFE\xBA\xF3\xC9\xFA\xD0\xA7"
    "\xA3\xA9";
constexpr std::string_view kLineBreak = "\r\n";
constexpr std::int64_t kMillisecondsPerMinute = 60000;

std::string_view OrNothingYet(std::string_view text) { return text.empty() ? kNothingYet : text; }

std::string_view SourceText(RecordSource source, std::string_view recordFile) {
  switch (source) {
    case RecordSource::StatusFile:
    case RecordSource::StateFile: return recordFile;
    case RecordSource::ThisProcess: return kThisProcessSource;
    case RecordSource::ThisProcessUntilSaved: return kThisProcessUntilSavedSource;
  }
  return kThisProcessSource;
}

Text DueWithReason(std::int64_t millisecondsFromNow, std::string_view reason) {
  return millisecondsFromNow <= 0 ? JoinTexts(kNotScheduled, reason) : DueText(millisecondsFromNow);
}

}  // namespace

std::string_view UnscheduledReason(std::int32_t periodHours, bool settingsSaved, bool restartTimer) {
  if (periodHours < 0) return restartTimer ? kNegativeRestartPeriod : kNegativeRenewalPeriod;
  return settingsSaved ? kSettingsAwaitRestart : kSettingsNotSaved;
}

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
                   std::optional<std::int64_t> millisecondsToNextRestart,
                   std::string_view renewalUnscheduledReason,
                   std::string_view restartUnscheduledReason,
                   std::string_view recordFile) {
  const Text restartLine =
      millisecondsToNextRestart
          ? JoinTexts(kNextRestartLabel, DueWithReason(*millisecondsToNextRestart, restartUnscheduledReason),
                      kLineBreak)
          : Text();
  return JoinTexts(kLastRunLabel, OrNothingYet(record.lastRun), kLineBreak,                         //
                   kLastResultLabel, OrNothingYet(record.lastResult), kLineBreak,                   //
                   kLastRenewedLabel, OrNothingYet(record.lastRenewed), kLineBreak,                 //
                   kExpiryLabel, OrNothingYet(record.expiry), kLineBreak,                           //
                   kFailuresLabel, ToText(static_cast<std::int64_t>(record.failures)), kLineBreak,  //
                   kNextRenewalLabel, DueWithReason(millisecondsToNextRenewal, renewalUnscheduledReason),
                   kLineBreak,  //
                   restartLine, kSourceLabel, SourceText(source, recordFile));
}

}  // namespace korvan
