#include "app/worker/planned_runs.h"

#include <atomic>
#include <optional>

#include "app/form/configuration.h"
#include "platform/network.h"
#include "app/restart/restart.h"
#include "run/planned_run_watch.h"
#include "app/worker/program_run_record.h"
#include "app/worker/renewal_worker.h"
#include "app/window_thread/window_thread.h"
#include "platform/win32/ini_file_store.h"
#include "log/network_clock.h"
#include "log/network_time.h"
#include "run/plan_store.h"
#include "platform/win32/program_location.h"
#include "platform/win32/threads.h"
#include "platform/win32/wake_timer.h"

namespace korvan {
namespace {

// The network time by the latest read: the window's thread never waits for the time page, and the
// plan's times are network time, whatever the computer's clock says.
std::int64_t Now() { return ProgramNetworkClock().Now(); }

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

// at: network time; the timer goes by the computer's clock.
void ArmWake(std::optional<std::int64_t> at) {
  ArmedWake& wake = Wake();
  NetworkClock& clock = ProgramNetworkClock();
  const std::optional<std::int64_t> wall =
      at ? std::optional<std::int64_t>(ComputerWallAt(clock.Reading(), clock.Computer(), *at)) : std::nullopt;
  // A minute either way is the same wake: the estimate moves by seconds between checks.
  if (wake.at == wall || (wake.at && wall && *wake.at - *wall < 60 && *wall - *wake.at < 60)) return;
  wake.at = wall;
  if (wall) {
    wake.timer.SetAt(*wall);
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
  const std::optional<PlannedRun> next = NextPlannedRun(ProgramPlan().Current(settings.history));
  // A stale reading (over an hour old, or kept by an earlier start) is read again first, on a thread
  // of its own; the next check decides by it, or by the estimate when the page did not answer.
  if (next && ProgramNetworkClock().AskRead(next->at) && StartThread([history = settings.history] {
        ReadNetworkSeconds();
        KeepNetworkReading(history);
      })) {
    return;
  }
  const std::int64_t now = Now();
  Watch().StartIfDue(next, now, StartPlannedWorker);
  ArmWake(WakeTimeFor(next, settings.wake, now));
  if (KeepAwakeFor(next, settings.wake, now)) PostponeSystemSleep();
}

void ResumeProgramPlan() {
  const AdvancedSettings settings = ReadAdvancedSettings();
  if (!settings.deadline) return;
  if (settings.history) {
    IniFileStore store(FileBesideProgram(kStatusFileName));
    ProgramNetworkClock().Restore(LoadTimeReading(store, kStatusSection));
  }
  ProgramPlan().Resume(Now(), settings.history);
}

void KeepNetworkReading(bool history) {
  if (!history) return;
  IniFileStore store(FileBesideProgram(kStatusFileName));
  SaveTimeReading(store, kStatusSection, ProgramNetworkClock().Reading());
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
