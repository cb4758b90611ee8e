#include "renewal/run_report.h"

#include "renewal/run_messages.h"

namespace korvan {

bool IsFailedRun(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::LoginFailed:
    case RunOutcome::LoginPageUnknown:
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

Text KeptMessage(std::string_view message) { return CutText(message, kKeptMessageBytes); }

void RecordRunEntry(RunReport& report, std::string_view stamp, std::string_view message, RunOutcome outcome) {
  report.entries.push_back({Text(stamp), KeptMessage(message), outcome});
  report.outcome = outcome;
}

}  // namespace korvan
