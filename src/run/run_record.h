// The run record: what the last runs did, kept across restarts in "korvan-status.ini" (code page
// 936) when the run record is switched on, and in memory for this process otherwise.
#pragma once

#include <string_view>

#include "alerts/alert_policy.h"
#include "config/ini_store.h"
#include "renewal/run_report.h"
#include "runtime/text/text.h"

namespace korvan {

inline constexpr std::string_view kStatusFileName = "korvan-status.ini";
inline constexpr std::string_view kStatusSection = "\xD4\xCB\xD0\xD0\xD7\xB4\xCC\xAC";  // 运行状态
inline constexpr std::string_view kLastRunKey = "lastRun";
inline constexpr std::string_view kLastResultKey = "lastResult";
inline constexpr std::string_view kLastRenewedKey = "lastRenewed";
inline constexpr std::string_view kExpiryKey = "expiry";
inline constexpr std::string_view kFailuresKey = "failures";

// Failed runs in a row stop counting here, so a hand-written value can never overflow the count.
inline constexpr int kMaxFailuresInRow = 999999999;

struct RunRecord {
  Text lastRun;      // stamp of the last run's last entry
  Text lastResult;   // that entry's message, as kept (KeptMessage)
  Text lastRenewed;  // stamp of the last "续费成功！"
  Text expiry;       // the last expiry text read, cut after kKeptExpiryBytes
  int failures = 0;  // failed runs in a row
  friend bool operator==(const RunRecord&, const RunRecord&) = default;
};

// The streak before a run, from the run record as it stood before that run's update.
FailureStreak StreakOfRecord(const RunRecord& record);

// The record after one more run. A run without entries changes nothing; one that read no expiry
// keeps the one known before.
RunRecord UpdatedRunRecord(const RunRecord& before, const RunReport& run);

// Decimal digits only (blanks around allowed), clamped to kMaxFailuresInRow; anything else is 0.
int FailuresFromText(std::string_view text);

// Missing keys read as empty texts and 0 failures; a value written by hand cannot break the load.
RunRecord LoadRunRecord(IniStore& store);
// Writes the five keys; true when every write succeeded. Line breaks in a text become spaces, as
// an INI value has to stay on its line.
bool SaveRunRecord(IniStore& store, const RunRecord& record);

}  // namespace korvan
