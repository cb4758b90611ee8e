// The run record as the program keeps it: in korvan-status.ini when the run record is on, else in
// memory for this process. Runs and the 运行状况 box may reach it from different threads.
#pragma once

#include <functional>
#include <memory>
#include <mutex>

#include "run/run_record.h"
#include "renewal/run_report.h"
#include "run/run_status_text.h"

namespace korvan {

class RunRecordBook {
 public:
  // Opens korvan-status.ini each time the record is read or written there.
  using OpenStatusFile = std::function<std::unique_ptr<IniStore>()>;
  // openFileWithoutHistory: a program that lives for one run only (the command line) keeps the
  // record there when the run record is off, so that its next start still knows the last outcome.
  // Null from it, for a file that is not there: this process's record, as without it.
  explicit RunRecordBook(OpenStatusFile openStatusFile, OpenStatusFile openFileWithoutHistory = nullptr);

  // The record as it stands; source, when given, learns where it comes from.
  RunRecord Current(bool history, RecordSource* source = nullptr);

  // The record after the run: this process's always, the file's too with history. A file that
  // cannot be read or written gives an empty record or a lost update, never a stop.
  void Record(const RunReport& report, bool history);

 private:
  OpenStatusFile openStatusFile_;
  OpenStatusFile openFileWithoutHistory_;
  // Held across the file's read and write as well, so two updates never lose one of them.
  std::mutex mutex_;
  RunRecord own_;
};

}  // namespace korvan
