#include "run/run_record_book.h"

#include <utility>

namespace korvan {

RunRecordBook::RunRecordBook(OpenStatusFile openStatusFile, OpenStatusFile openFileWithoutHistory)
    : openStatusFile_(std::move(openStatusFile)), openFileWithoutHistory_(std::move(openFileWithoutHistory)) {}

RunRecord RunRecordBook::Current(bool history, RecordSource* source) {
  if (source) *source = history ? RecordSource::StatusFile : RecordSource::ThisProcess;
  const std::lock_guard lock(mutex_);
  if (!history) {
    const std::unique_ptr<IniStore> file = openFileWithoutHistory_ ? openFileWithoutHistory_() : nullptr;
    if (!file) return own_;
    if (source) *source = RecordSource::StateFile;
    return LoadRunRecord(*file);
  }
  RunRecord file = LoadRunRecord(*openStatusFile_());
  // The record was switched on after this process's runs: show those rather than nothing.
  if (file.lastRun.empty() && !own_.lastRun.empty()) {
    if (source) *source = RecordSource::ThisProcessUntilSaved;
    return own_;
  }
  return file;
}

void RunRecordBook::Record(const RunReport& report, bool history) {
  const std::lock_guard lock(mutex_);
  const RunRecord before = own_;
  own_ = UpdatedRunRecord(own_, report);
  const OpenStatusFile& open = history ? openStatusFile_ : openFileWithoutHistory_;
  const std::unique_ptr<IniStore> file = open ? open() : nullptr;
  if (!file) return;
  RunRecord kept = LoadRunRecord(*file);
  // A file without runs starts from this process's, so the failures in a row go on counting.
  if (kept.lastRun.empty()) kept = before;
  SaveRunRecord(*file, UpdatedRunRecord(kept, report));
}

}  // namespace korvan
