#include "app/worker/program_run_record.h"

#include <memory>

#include "app/form/configuration.h"
#include "platform/win32/ini_file_store.h"
#include "platform/win32/program_location.h"

namespace korvan {

RunRecordBook& ProgramRunRecord() {
  static RunRecordBook book([] { return std::make_unique<IniFileStore>(FileBesideProgram(kStatusFileName)); });
  return book;
}

PlanBook& ProgramPlan() {
  static PlanBook plan([] { return std::make_unique<IniFileStore>(FileBesideProgram(kStatusFileName)); });
  return plan;
}

RunRecord CurrentRunRecord(RecordSource* source) {
  return ProgramRunRecord().Current(ReadAdvancedSettings().history, source);
}

RenewalStanding CurrentRenewalStanding(const AdvancedSettings& settings) {
  if (!settings.history && !settings.deadline) return {};
  return StandingOf(settings, ProgramRunRecord().Current(settings.history), ProgramPlan().Current(settings.history));
}

}  // namespace korvan
