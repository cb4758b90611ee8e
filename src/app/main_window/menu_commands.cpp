#include "app/main_window/menu_commands.h"

#include "log/network_clock.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "app/settings_dialog/advanced_settings_dialog.h"
#include "app/worker/alerts.h"
#include "app/form/form_controls.h"
#include "app/main_window/main_window.h"
#include "app/form/append_log.h"
#include "app/worker/renewal_worker.h"
#include "app/worker/program_run_record.h"
#include "app/form/configuration.h"
#include "app/worker/planned_runs.h"
#include "config/config_file.h"
#include "platform/win32/history_file.h"
#include "plan/plan_status_text.h"
#include "run/next_run.h"
#include "run/run_status_text.h"
#include "run/tick_decision.h"
#include "runtime/datetime/numbers.h"
#include "platform/win32/files.h"
#include "platform/win32/message_box.h"
#include "platform/win32/program_location.h"
#include "platform/win32/wide_text.h"
#include "app/window_thread/window_thread.h"

namespace korvan {
namespace {

// 正在运行续期，请稍后再试
constexpr std::string_view kRunUnderWayMessage =
    "\xD5\xFD\xD4\xDA\xD4\xCB\xD0\xD0\xD0\xF8\xC6\xDA\xA3\xAC\xC7\xEB\xC9\xD4\xBA\xF3\xD4\xD9\xCA\xD4";
// 尚未保存运行记录。请在系统菜单“高级设置…”中勾选“保存运行记录到 korvan.log”。
constexpr std::string_view kNoRunLogMessage =
    "\xC9\xD0\xCE\xB4\xB1\xA3\xB4\xE6\xD4\xCB\xD0\xD0\xBC\xC7\xC2\xBC\xA1\xA3\xC7\xEB\xD4\xDA\xCF\xB5\xCD\xB3\xB2\xCB"
    "\xB5\xA5\xA1\xB0\xB8\xDF\xBC\xB6\xC9\xE8\xD6\xC3\xA1\xAD\xA1\xB1\xD6\xD0\xB9\xB4\xD1\xA1\xA1\xB0\xB1\xA3\xB4\xE6"
    "\xD4\xCB\xD0\xD0\xBC\xC7\xC2\xBC\xB5\xBD korvan.log\xA1\xB1\xA1\xA3";
// 无法打开运行记录：
constexpr std::string_view kCannotOpenRunLogMessage =
    "\xCE\xDE\xB7\xA8\xB4\xF2\xBF\xAA\xD4\xCB\xD0\xD0\xBC\xC7\xC2\xBC\xA3\xBA";

void ShowInformation(std::string_view message) { ShowMessage(message, 0, std::nullopt, MainWindowHandle()); }

}  // namespace

void OnRunStatusCommand() {
  RecordSource source = RecordSource::ThisProcess;
  const RunRecord record = CurrentRunRecord(&source);
  const FormControls& form = MainFormControls();
  const bool saved = FileSize(FileBesideProgram(kConfigFileName)) >= 0;
  const auto reason = [&](FormControl box, bool restartTimer) {
    return UnscheduledReason(ToInteger(form.Get<EditBox>(box).Content()), saved, restartTimer);
  };
  const std::int64_t toRenewal = form.Get<Timer>(FormControl::RenewTimer).MillisecondsToNextTick();
  const AdvancedSettings settings = ReadAdvancedSettings();
  const std::optional<RenewalPlan> plan =
      settings.deadline ? std::optional(ProgramPlan().Current(settings.history)) : std::nullopt;
  // The one next run first, by the network time the plan goes by; the details below it.
  const std::int64_t now = ProgramNetworkClock().Now();
  Text text = JoinTexts(
      NextRunLine(ChooseNextRun(PeriodicRunAt(toRenewal, now), plan), now), "\r\n",
      RunStatusText(record, source, toRenewal, form.Get<Timer>(FormControl::RestartTimer).MillisecondsToNextTick(),
                    reason(FormControl::RenewHoursBox, false), reason(FormControl::RestartHoursBox, true),
                    source == RecordSource::StateFile ? kTickFileName : kStatusFileName));
  if (plan) {
    for (const Text& line : PlanStatusLines(*plan, kUnplannedHintWindow))
      text = JoinTexts(text, "\r\n", line);
    if (const std::optional<Text> offset = ClockOffsetLine(ClockOffset(ProgramNetworkClock().Reading())))
      text = JoinTexts(text, "\r\n", *offset);
  }
  ShowMessage(text, 0, kRunStatusTitle, MainWindowHandle());
}

void OnCheckNowCommand() {
  if (!StartCheckWorker()) ShowInformation(kRunUnderWayMessage);
}

void OnOpenRunLogCommand() {
  const Text path = HistoryFilePath();
  if (FileSize(path) < 0) {
    ShowInformation(kNoRunLogMessage);
    return;
  }
  // No program for .log files (a bare system, a bare Wine prefix) answers 32 or less: Notepad then.
  const std::wstring widePath = AnsiToWide(path);
  const auto open = [&](const wchar_t* file, const wchar_t* parameters) {
    return reinterpret_cast<INT_PTR>(
               ShellExecuteW(MainWindowHandle(), L"open", file, parameters, nullptr, SW_SHOWNORMAL)) > 32;
  };
  const std::wstring quoted = L"\"" + widePath + L"\"";
  if (!open(widePath.c_str(), nullptr) && !open(L"notepad.exe", quoted.c_str()))
    ShowInformation(JoinTexts(kCannotOpenRunLogMessage, path));
}

void OnAdvancedSettingsCommand() {
  AdvancedSettingsDialogHooks hooks;
  hooks.appendLog = [](std::string_view message) { AppendLog(message); };
  hooks.sendTestMessages = SendTestAlerts;
  // deadline may have been switched on, or a planned time may lie in the past. Switched on with no
  // expiry read yet, a check reads it at once, so the plan does not wait for the next N-hour run.
  hooks.saved = [deadlineBefore = ReadAdvancedSettings().deadline] {
    ResumeProgramPlan();
    const AdvancedSettings settings = ReadAdvancedSettings();
    if (settings.deadline && !deadlineBefore && PlanWaitsForExpiry(ProgramPlan().Current(settings.history)))
      StartCheckWorker();
  };
  ShowAdvancedSettingsDialog(MainWindowHandle(), hooks);
}

}  // namespace korvan
