// The entries of a run on standard output: a stamp line and a message line in a terminal or a pipe,
// one line per entry with its syslog level for the journal, held back for a quiet run.
#pragma once

#include <string>
#include <string_view>

#include "platform/standard_streams.h"
#include "renewal/run_report.h"
#include "runtime/datetime/datetime.h"
#include "runtime/text/text.h"

namespace korvan {

// An entry as standard output shows it, UTF-8: "stamp\nmessage\n", or for the journal
// "<3>stamp message\n" when the entry says a run failed and "<6>…" otherwise, so that
// `journalctl -p err` finds the failures.
Text EntryText(DateTime stamp, std::string_view message, RunOutcome outcome, bool journal);

// An entry written out at once.
void PrintEntry(DateTime stamp, std::string_view message, RunOutcome outcome = RunOutcome::None);

// A run's entries: written out at once, or held until Flush when quiet.
class EntryOutput {
 public:
  explicit EntryOutput(bool quiet) : quiet_(quiet), journal_(StandardOutputIsJournal()) {}
  void Entry(DateTime stamp, std::string_view message, RunOutcome outcome);
  // A run that failed without an entry saying so (no verdict, and no verification to log one)
  // still gets one error line in the journal, so that `journalctl -p err` finds it.
  void RunEnded(RunOutcome outcome, std::string_view result);
  void Flush();

 private:
  bool quiet_;
  bool journal_;
  bool failureShown_ = false;
  DateTime lastStamp_{};
  std::string held_;
};

}  // namespace korvan
