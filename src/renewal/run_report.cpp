#include "renewal/run_report.h"

#include "renewal/run_messages.h"

namespace korvan {

RunOutcome OutcomeOfMessage(std::string_view lastMessage) {
  // The login entries begin with the user name, which may be anything; their ends start with an
  // ASCII space, which is never the second byte of a character, so the byte comparison is safe.
  if (lastMessage.ends_with(kLoginFailedEnding)) return RunOutcome::LoginFailed;
  if (lastMessage.ends_with(kWrongPasswordEnding)) return RunOutcome::WrongPassword;
  if (lastMessage.starts_with(kExpiryMovedLabel)) return RunOutcome::ExpiryMoved;
  struct WholeMessage {
    std::string_view text;
    RunOutcome outcome;
  };
  static constexpr WholeMessage kWholeMessages[] = {
      {kRenewedMessage, RunOutcome::Renewed},
      {kOnlyWithinOneDayMessage, RunOutcome::TooEarly},
      {kNoFreeVpsMessage, RunOutcome::NoVps},
      {kUnknownVerdictMessage, RunOutcome::UnknownVerdict},
      {kExpiryUnchangedMessage, RunOutcome::ExpiryUnchanged},
      {kCheckDoneMessage, RunOutcome::CheckDone},
  };
  for (const WholeMessage& whole : kWholeMessages) {
    if (lastMessage == whole.text) return whole.outcome;
  }
  return RunOutcome::None;
}

bool IsFailedRun(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::LoginFailed:
    case RunOutcome::WrongPassword:
    case RunOutcome::NoVps:
    case RunOutcome::UnknownVerdict:
    case RunOutcome::ExpiryUnchanged: return true;
    default: return false;
  }
}

bool IsGoodRun(RunOutcome outcome) {
  return outcome == RunOutcome::Renewed || outcome == RunOutcome::TooEarly || outcome == RunOutcome::ExpiryMoved;
}

std::string_view RunResultMessage(const RunReport& run) {
  const std::string_view last = run.entries.empty() ? std::string_view() : std::string_view(run.entries.back().message);
  if (run.outcome == RunOutcome::UnknownVerdict && last != kUnknownVerdictMessage) return kUnknownVerdictMessage;
  return last;
}

void RecordRunEntry(RunReport& report, std::string_view stamp, std::string_view message) {
  report.entries.push_back({Text(stamp), Text(message)});
  report.outcome = OutcomeOfMessage(message);
}

}  // namespace korvan
