#include "cli/entry_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "cli/terminal_text.h"

namespace korvan {
namespace {

void Write(std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

}  // namespace

bool StandardOutputIsJournal() {
  const char* stream = std::getenv("JOURNAL_STREAM");
  struct stat status {};
  if (!stream || ::fstat(STDOUT_FILENO, &status) != 0) return false;
  unsigned long long device = 0, inode = 0;
  if (std::sscanf(stream, "%llu:%llu", &device, &inode) != 2) return false;
  return device == static_cast<unsigned long long>(status.st_dev) &&
         inode == static_cast<unsigned long long>(status.st_ino);
}

Text EntryText(DateTime stamp, std::string_view message, RunOutcome outcome, bool journal) {
  const Text kept = KeptMessage(message);
  if (!journal) return TerminalText(JoinTexts(DateTimeToText(stamp), "\n", kept, "\n"));
  // A message's own line breaks would start lines of the journal without a level.
  const Text oneLine = ReplaceText(ReplaceText(kept, "\r\n", " "), "\n", " ");
  return TerminalText(JoinTexts(IsFailedRun(outcome) ? "<3>" : "<6>", DateTimeToText(stamp), " ", oneLine, "\n"));
}

void PrintEntry(DateTime stamp, std::string_view message, RunOutcome outcome) {
  Write(EntryText(stamp, message, outcome, StandardOutputIsJournal()));
}

void EntryOutput::Entry(DateTime stamp, std::string_view message, RunOutcome outcome) {
  const Text entry = EntryText(stamp, message, outcome, journal_);
  failureShown_ = failureShown_ || IsFailedRun(outcome);
  lastStamp_ = stamp;
  if (quiet_) {
    held_ += entry;
  } else {
    Write(entry);
  }
}

void EntryOutput::RunEnded(RunOutcome outcome, std::string_view result) {
  if (journal_ && IsFailedRun(outcome) && !failureShown_) Entry(lastStamp_, result, outcome);
}

void EntryOutput::Flush() {
  Write(held_);
  held_.clear();
}

}  // namespace korvan
