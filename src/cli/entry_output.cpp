#include "cli/entry_output.h"

#include "cli/terminal_text.h"
#include "platform/standard_streams.h"

namespace korvan {

Text EntryText(DateTime stamp, std::string_view message, RunOutcome outcome, bool journal) {
  const Text kept = KeptMessage(message);
  if (!journal) return TerminalText(JoinTexts(DateTimeToText(stamp), "\n", kept, "\n"));
  // A message's own line breaks would start lines of the journal without a level.
  const Text oneLine = ReplaceText(ReplaceText(kept, "\r\n", " "), "\n", " ");
  return TerminalText(JoinTexts(IsFailedRun(outcome) ? "<3>" : "<6>", DateTimeToText(stamp), " ", oneLine, "\n"));
}

void PrintEntry(DateTime stamp, std::string_view message, RunOutcome outcome) {
  WriteStandardOutput(EntryText(stamp, message, outcome, StandardOutputIsJournal()));
}

void EntryOutput::Entry(DateTime stamp, std::string_view message, RunOutcome outcome) {
  const Text entry = EntryText(stamp, message, outcome, journal_);
  failureShown_ = failureShown_ || IsFailedRun(outcome);
  lastStamp_ = stamp;
  if (quiet_) {
    held_ += entry;
  } else {
    WriteStandardOutput(entry);
  }
}

void EntryOutput::RunEnded(RunOutcome outcome, std::string_view result) {
  if (journal_ && IsFailedRun(outcome) && !failureShown_) Entry(lastStamp_, result, outcome);
}

void EntryOutput::Flush() {
  WriteStandardOutput(held_);
  held_.clear();
}

}  // namespace korvan
