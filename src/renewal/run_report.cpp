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
  if (run.entries.empty()) return {};
  // The entry that decided the run, not a note after it such as "未能核对到期时间".
  for (auto entry = run.entries.rbegin(); entry != run.entries.rend(); ++entry) {
    if (run.outcome != RunOutcome::None && entry->outcome == run.outcome) return entry->message;
  }
  if (run.outcome == RunOutcome::UnknownVerdict) return kUnknownVerdictMessage;
  return run.entries.back().message;
}

Text KeptMessage(std::string_view message) {
  // The panel's expiry texts are kept to kKeptExpiryBytes each, as the record and the pushes keep them.
  if (message.starts_with(kExpiryLabel)) {
    return JoinTexts(kExpiryLabel, CutText(message.substr(kExpiryLabel.size()), kKeptExpiryBytes));
  }
  if (message.starts_with(kExpiryMovedLabel)) {
    const std::string_view texts = message.substr(kExpiryMovedLabel.size());
    const std::size_t arrow = texts.find(kExpiryArrow);
    if (arrow != std::string_view::npos) {
      return JoinTexts(kExpiryMovedLabel, CutText(texts.substr(0, arrow), kKeptExpiryBytes), kExpiryArrow,
                       CutText(texts.substr(arrow + kExpiryArrow.size()), kKeptExpiryBytes));
    }
  }
  return CutText(message, kKeptMessageBytes);
}

void RecordRunEntry(RunReport& report, std::string_view stamp, std::string_view message, RunOutcome outcome) {
  report.entries.push_back({Text(stamp), KeptMessage(message), outcome});
  // An entry that says nothing of the run comes only before the one that decides it, or as a note
  // after it: the decided outcome stands.
  if (outcome != RunOutcome::None || report.outcome == RunOutcome::None) report.outcome = outcome;
}

}  // namespace korvan
