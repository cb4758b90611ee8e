#include "app/run_events.h"

#include <mutex>

#include "app/alerts.h"
#include "app/main_window/configuration.h"
#include "renewal/status_file.h"

namespace korvan {
namespace {

// What this process saw; a check and a renewal may finish at the same time as the menu reads it.
struct ProcessRecord {
  std::mutex mutex;
  RunRecord record;
};

ProcessRecord& OwnRecord() {
  static ProcessRecord own;
  return own;
}

}  // namespace

void OnRunStarting() { AlertRunStarting(); }

void OnRunFinished(const RunReport& report) {
  // The pushes come first: their streak is the record as it stood before this run.
  AlertRunFinished(report, CurrentRunRecord());
  ProcessRecord& own = OwnRecord();
  // Held across the file's read and write as well, so two updates never lose one of them.
  const std::lock_guard lock(own.mutex);
  own.record = UpdatedRunRecord(own.record, report);
  if (!ReadAdvancedSettings().history) return;
  // A file that cannot be read or written gives an empty record or a lost update, never a stop.
  IniStatusStore store;
  SaveRunRecord(store, UpdatedRunRecord(LoadRunRecord(store), report));
}

RunRecord CurrentRunRecord(RecordSource* source) {
  const bool kept = ReadAdvancedSettings().history;
  if (source) *source = kept ? RecordSource::StatusFile : RecordSource::ThisProcess;
  if (kept) {
    IniStatusStore store;
    return LoadRunRecord(store);
  }
  ProcessRecord& own = OwnRecord();
  const std::lock_guard lock(own.mutex);
  return own.record;
}

}  // namespace korvan
