#include "app/run/planned_runs.h"

#include <atomic>
#include <ctime>
#include <optional>

#include "app/main_window/configuration.h"
#include "app/main_window/main_window.h"
#include "app/restart/restart.h"
#include "app/run/planned_run_watch.h"
#include "app/run/program_run_record.h"
#include "app/run/renewal_worker.h"
#include "app/window_thread.h"
#include "runtime/system/wake_timer.h"

namespace korvan {
namespace {

// The computer's clock: the window's thread never waits for the time page.
std::int64_t Now() { return static_cast<std::int64_t>(std::time(nullptr)); }

PlannedRunWatch& Watch() {
  static PlannedRunWatch watch;
  return watch;
}

// The wake timer and the moment it is armed for; window thread only.
struct ArmedWake {
  WakeTimer timer;
  std::optional<std::int64_t> at;
};

ArmedWake& Wake() {
  static ArmedWake wake;
  return wake;
}

void ArmWake(std::optional<std::int64_t> at) {
  ArmedWake& wake = Wake();
  if (wake.at == at) return;
  wake.at = at;
  if (at) {
    wake.timer.SetAt(*at);
  } else {
    wake.timer.Cancel();
  }
}

std::atomic<bool>& RestartWaiting() {
  static std::atomic<bool> waiting{false};
  return waiting;
}

}  // namespace

void ArmPlannedRunTimer(HWND window) { SetTimer(window, kPlannedRunTimerId, kPlannedRunCheckMilliseconds, nullptr); }

void OnPlannedRunTick() {
  const AdvancedSettings settings = ReadAdvancedSettings();
  if (!settings.deadline) {
    ArmWake(std::nullopt);
    return;
  }
  const std::int64_t now = Now();
  const std::optional<PlannedRun> next = NextPlannedRun(ProgramPlan().Current(settings.history));
  Watch().StartIfDue(next, now, StartPlannedWorker);
  ArmWake(WakeTimeFor(next, settings.wake, now));
  if (KeepAwakeFor(next, settings.wake, now)) PostponeSystemSleep();
}

void ResumeProgramPlan() {
  const AdvancedSettings settings = ReadAdvancedSettings();
  if (settings.deadline) ProgramPlan().Resume(Now(), settings.history);
}

bool RestartWaitsForRun() {
  const AdvancedSettings settings = ReadAdvancedSettings();
  if (!settings.deadline) return false;
  if (!RestartWaits(ProgramPlan().Current(settings.history), Now(), RenewalRunning())) return false;
  RestartWaiting().store(true);
  return true;
}

void OnRunsEnded() {
  if (!RestartWaiting().exchange(false)) return;
  PostToWindowThread(MainWindowHandle(), [] {
    // Another run may have started since: the restart waits for that one too.
    if (RenewalRunning()) {
      RestartWaiting().store(true);
      return;
    }
    RestartProgram();
  });
}

}  // namespace korvan
