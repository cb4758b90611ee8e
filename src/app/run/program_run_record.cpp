#include "app/run/program_run_record.h"

#include <memory>

#include "app/main_window/configuration.h"
#include "run/status_file.h"

namespace korvan {

RunRecordBook& ProgramRunRecord() {
  static RunRecordBook book([] { return std::make_unique<IniStatusStore>(); });
  return book;
}

RunRecord CurrentRunRecord(RecordSource* source) {
  return ProgramRunRecord().Current(ReadAdvancedSettings().history, source);
}

}  // namespace korvan
