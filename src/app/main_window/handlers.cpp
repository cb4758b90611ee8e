#include "app/main_window/handlers.h"

#include <windows.h>
#include <shellapi.h>

#include "app/form/form_controls.h"
#include "app/form/configuration.h"
#include "app/main_window/main_window.h"
#include "app/main_window/monitor_schedule.h"
#include "app/worker/planned_runs.h"
#include "app/worker/program_run_record.h"
#include "app/worker/renewal_worker.h"
#include "app/restart/restart.h"
#include "app/skin/skin_setup.h"
#include "http/browser_cookies.h"
#include "korvan/hosts.h"
#include "renewal/panel_state.h"
#include "platform/win32/message_box.h"
#include "app/window_thread/window_thread.h"

namespace korvan {
namespace {

constexpr int kProgramSkin = 3;
// 第一次使用请先保存配置后重启软件
constexpr char kFirstUseMessage[] =
    "\xB5\xDA\xD2\xBB\xB4\xCE\xCA\xB9\xD3\xC3\xC7\xEB\xCF\xC8\xB1\xA3\xB4\xE6\xC5\xE4\xD6\xC3\xBA\xF3\xD6\xD8\xC6\xF4"
    "\xC8\xED\xBC\xFE";
constexpr char kInformationCaption[] = "\xD0\xC5\xCF\xA2\xA3\xBA";  // 信息：

}  // namespace

void OnMainWindowCreated() {
  SetSkin(kProgramSkin);
  blinkStep() = 0;
  if (LoadConfiguration()) {
    // The same values the box handlers have just armed: the timers keep their countdowns.
    ArmPeriodTimers();
    ResumeProgramPlan();
    shownStanding() = CurrentRenewalStanding(ReadAdvancedSettings());
    ArmPlannedRunTimer(MainWindowHandle());
    StartRenewalWorker();
    return;
  }
  ShowMessage(kFirstUseMessage, 0, kInformationCaption);
}

void OnSaveClicked() {
  SaveSettingBoxes();
  ResumeProgramPlan();
}

void OnRenewTick() { StartRenewalWorker(); }

void OnRestartTick() {
  // With deadline on, a restart must not cut a run or come just before a planned one.
  if (RestartWaitsForRun()) return;
  RestartProgram();
}

void OnSignupLinkClicked() {
  const Text& target = MainFormControls().Get<Hyperlink>(FormControl::SignupLink).Target();
  ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void OnSiteViewReady() { panelCookies().Import(ImportBrowserCookies(hosts::kSite)); }

}  // namespace korvan
