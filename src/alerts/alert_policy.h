// Which runs are pushed: the user's "notify" choice, the run's outcome and the failed runs before it.
#pragma once

#include <optional>
#include <string_view>

#include "renewal/run_report.h"

namespace korvan {

enum class NotifyMode {
  Fail,   // a failure after a good run or as the first run, and the recovery after failures
  Renew,  // that, and every successful renewal
  All,    // every run
};

inline constexpr std::string_view kNotifyFail = "fail";
inline constexpr std::string_view kNotifyRenew = "renew";
inline constexpr std::string_view kNotifyAll = "all";

// "renew" and "all" (letter case and surrounding blanks aside) choose theirs; anything else, the
// empty text included, is the default "fail".
NotifyMode NotifyModeFromSetting(std::string_view value);
std::string_view NotifySettingText(NotifyMode mode);

// What is known of the runs before this one: from the run record, or without one from this process.
struct FailureStreak {
  bool anyRunBefore = false;  // false: this run is the first of the record
  int failedRunsInARow = 0;
  friend bool operator==(const FailureStreak&, const FailureStreak&) = default;
};

// A failed run adds one, a good one ends the streak, the others leave it as it was.
FailureStreak StreakAfterRun(FailureStreak before, RunOutcome outcome);

enum class AlertEvent {
  Renewed,  // "续费成功！", or an expiry the verification saw move
  TooEarly,
  LoginFailed,
  LoginPageUnknown,  // the login page held neither marker (the plan on)
  WrongPassword,
  NoVps,
  UnknownVerdict,
  ExpiryUnchanged,
  Recovered,     // the first good run after failed ones
  RunEnded,      // a run whose outcome decides nothing ("all" only); titled by its last message
  Test,          // the settings dialog's test message
  ExpiringSoon,  // the plan: less than 6 hours left and not renewed
};

// The event this run pushes, or none. A run without any log entry pushes nothing in any mode.
std::optional<AlertEvent> AlertEventOfRun(NotifyMode mode, const RunReport& run, FailureStreak before);

// The event's name in the webhook's "event" field, e.g. "wrong_password".
std::string_view AlertEventName(AlertEvent event);

}  // namespace korvan
