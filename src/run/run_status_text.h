// The text of the "运行状况…" box: the run record and when the timers fire next. Code page 936.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "run/run_record.h"
#include "runtime/text/text.h"

namespace korvan {

inline constexpr std::string_view kRunStatusTitle = "\xD4\xCB\xD0\xD0\xD7\xB4\xBF\xF6";  // 运行状况

enum class RecordSource {
  StatusFile,             // the record kept in korvan-status.ini
  ThisProcess,            // what this process saw since it started (the run record is off)
  ThisProcessUntilSaved,  // the run record is on, but no run has written korvan-status.ini yet
  StateFile,              // the run record is off; a program of one run each keeps it in its state file
};

// Why a timer is not armed, after "未安排": its period is negative (periodHours < 0), korvan.ini has
// not been saved, or the saved settings wait for a restart. periodHours: the box's number.
std::string_view UnscheduledReason(std::int32_t periodHours, bool settingsSaved, bool restartTimer);

// How far off a timer is, from now: "3小时20分钟后", "20分钟后", "不到1分钟后"; 0 or less is
// "未安排" (the timer is not armed). Minutes are cut, not rounded.
Text DueText(std::int64_t millisecondsFromNow);

// One line per item, CR LF between them: last run, its result, the last successful renewal, the
// expiry, failed runs in a row, the next renewal run, the next restart (none for a program without
// restarts), where the record comes from. An unarmed timer's "未安排" is followed by its reason when
// one is given. recordFile names the file for StatusFile and StateFile.
Text RunStatusText(const RunRecord& record,
                   RecordSource source,
                   std::int64_t millisecondsToNextRenewal,
                   std::optional<std::int64_t> millisecondsToNextRestart,
                   std::string_view renewalUnscheduledReason = {},
                   std::string_view restartUnscheduledReason = {},
                   std::string_view recordFile = kStatusFileName);

}  // namespace korvan
