#include "app/worker/program_run_record.h"

#include <memory>
#include <string>
#include <utility>

#include "app/form/configuration.h"
#include "platform/state_files.h"
#include "platform/win32/files.h"
#include "platform/win32/ini_file_store.h"
#include "platform/win32/program_location.h"
#include "run/tick_decision.h"

namespace korvan {

namespace {

std::unique_ptr<IniStore> OpenStatusFile() {
  return std::make_unique<IniFileStore>(FileBesideProgram(kStatusFileName));
}

// With the run record off, korvan-cli.exe keeps the record and the plan in korvan-tick.ini beside
// korvan.ini. Once it has, this program keeps them there too, so that neither acts on a plan the
// other has moved on; until then, in this process only, and no new file.
std::unique_ptr<IniStore> OpenConsoleTickFile() {
  std::string path = FileBesideProgram(kTickFileName);
  if (!FileExists(path)) return nullptr;
  return std::make_unique<StateIniFile>(std::move(path));
}

}  // namespace

RunRecordBook& ProgramRunRecord() {
  static RunRecordBook book(OpenStatusFile, OpenConsoleTickFile);
  return book;
}

PlanBook& ProgramPlan() {
  static PlanBook plan(OpenStatusFile, OpenConsoleTickFile);
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
