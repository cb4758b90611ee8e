#include "run/run_record_book.h"

#include <utility>

namespace korvan {

RunRecordBook::RunRecordBook(OpenStatusFile openStatusFile) : openStatusFile_(std::move(openStatusFile)) {}

RunRecord RunRecordBook::Current(bool history, RecordSource* source) {
  if (source) *source = history ? RecordSource::StatusFile : RecordSource::ThisProcess;
  const std::lock_guard lock(mutex_);
  if (!history) return own_;
  return LoadRunRecord(*openStatusFile_());
}

void RunRecordBook::Record(const RunReport& report, bool history) {
  const std::lock_guard lock(mutex_);
  own_ = UpdatedRunRecord(own_, report);
  if (!history) return;
  const std::unique_ptr<IniStore> file = openStatusFile_();
  SaveRunRecord(*file, UpdatedRunRecord(LoadRunRecord(*file), report));
}

}  // namespace korvan
