#include "alerts/alert_policy.h"

#include <algorithm>

namespace korvan {

namespace {

std::optional<AlertEvent> EventOfOutcome(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::Renewed:
    case RunOutcome::ExpiryMoved: return AlertEvent::Renewed;
    case RunOutcome::TooEarly: return AlertEvent::TooEarly;
    case RunOutcome::LoginFailed: return AlertEvent::LoginFailed;
    case RunOutcome::LoginPageUnknown: return AlertEvent::LoginPageUnknown;
    case RunOutcome::WrongPassword: return AlertEvent::WrongPassword;
    case RunOutcome::NoVps: return AlertEvent::NoVps;
    case RunOutcome::UnknownVerdict: return AlertEvent::UnknownVerdict;
    case RunOutcome::ExpiryUnchanged: return AlertEvent::ExpiryUnchanged;
    case RunOutcome::None:
    case RunOutcome::CheckDone: break;
  }
  return std::nullopt;
}

// A record written by hand may hold failures without any run, or a negative count: the first run
// of a record has no failures before it.
int FailuresBefore(FailureStreak before) { return before.anyRunBefore ? std::max(before.failedRunsInARow, 0) : 0; }

}  // namespace

NotifyMode NotifyModeFromSetting(std::string_view value) {
  const Text mode = ToUpperCase(TrimBlanks(value));
  if (mode == "RENEW") return NotifyMode::Renew;
  if (mode == "ALL") return NotifyMode::All;
  return NotifyMode::Fail;
}

std::string_view NotifySettingText(NotifyMode mode) {
  switch (mode) {
    case NotifyMode::Renew: return kNotifyRenew;
    case NotifyMode::All: return kNotifyAll;
    case NotifyMode::Fail: break;
  }
  return kNotifyFail;
}

FailureStreak StreakAfterRun(FailureStreak before, RunOutcome outcome) {
  FailureStreak after{true, FailuresBefore(before)};
  if (IsFailedRun(outcome)) {
    ++after.failedRunsInARow;
  } else if (IsGoodRun(outcome)) {
    after.failedRunsInARow = 0;
  }
  return after;
}

std::optional<AlertEvent> AlertEventOfRun(NotifyMode mode, const RunReport& run, FailureStreak before) {
  if (run.entries.empty()) return std::nullopt;
  const int failuresBefore = FailuresBefore(before);
  if (IsGoodRun(run.outcome) && failuresBefore > 0) return AlertEvent::Recovered;

  const std::optional<AlertEvent> event = EventOfOutcome(run.outcome);
  if (mode == NotifyMode::All) return event.value_or(AlertEvent::RunEnded);
  if (IsFailedRun(run.outcome)) {
    // Only the first failure of a streak: a streak of days must not push every few hours.
    return failuresBefore == 0 ? event : std::nullopt;
  }
  if (mode == NotifyMode::Renew && event == AlertEvent::Renewed) return event;
  return std::nullopt;
}

std::string_view AlertEventName(AlertEvent event) {
  switch (event) {
    case AlertEvent::Renewed: return "renewed";
    case AlertEvent::TooEarly: return "too_early";
    case AlertEvent::LoginFailed: return "login_failed";
    case AlertEvent::LoginPageUnknown: return "login_page_unknown";
    case AlertEvent::WrongPassword: return "wrong_password";
    case AlertEvent::NoVps: return "no_vps";
    case AlertEvent::UnknownVerdict: return "unknown_verdict";
    case AlertEvent::ExpiryUnchanged: return "expiry_unchanged";
    case AlertEvent::Recovered: return "recovered";
    case AlertEvent::RunEnded: return "run_ended";
    case AlertEvent::Test: return "test";
    case AlertEvent::ExpiringSoon: return "expiring_soon";
  }
  return "run_ended";
}

}  // namespace korvan
