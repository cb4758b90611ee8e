#include "app/worker/renewal_worker.h"

#include <optional>
#include <utility>

#include "app/worker/window_reading.h"
#include "platform/network.h"
#include "app/form/append_log.h"
#include "app/window_thread/window_thread.h"
#include "app/worker/planned_runs.h"
#include "app/worker/program_run_record.h"
#include "run/run_gate.h"
#include "platform/state_files.h"
#include "platform/win32/ini_file_store.h"
#include "log/network_clock.h"
#include "renewal/panel_state.h"
#include "renewal/renew_free_vps.h"
#include "run/run_once.h"
#include "platform/win32/program_location.h"
#include "platform/win32/threads.h"
#include "platform/win32/wake_timer.h"

namespace korvan {

namespace {

RunGate& RenewalGate() {
  static RunGate gate;
  return gate;
}

// 另一进程正在续期，本次跳过
constexpr std::string_view kOtherProcessRuns =
    "\xC1\xED\xD2\xBB\xBD\xF8\xB3\xCC\xD5\xFD\xD4\xDA\xD0\xF8\xC6\xDA\xA3\xAC\xB1\xBE\xB4\xCE\xCC\xF8\xB9\xFD";

}  // namespace

bool RenewalRunning() { return RenewalGate().Busy(); }

void RenewalWorker(RenewalMode mode) {
  // Read at the start of every run, so a change applies without a restart.
  IniFileStore store(FileBesideProgram(kConfigFileName));
  RunSnapshot snapshot = ReadRunSnapshot(store);
  // korvan-cli.exe may be renewing this korvan.ini (from the Task Scheduler): one run at a time, and
  // neither acts on a plan the other is changing. A lock that cannot be had at all stops nothing.
  const StateLock lock(RunDirectory(), kLockFileName);
  if (lock.state() == StateLock::State::Busy) {
    AppendRunLog(kOtherProcessRuns, snapshot.advanced.history);
    return;
  }
  const WindowReading window = ReadWindowForRun();
  snapshot.userName = window.userName;
  snapshot.password = window.password;
  // A computer woken for the run must not fall asleep in its middle.
  std::optional<SystemAwakeHold> awake;
  if (snapshot.advanced.deadline && snapshot.advanced.wake) awake.emplace();
  RunPorts ports;
  ports.cookies = &panelCookies();
  ports.exchange = PanelExchange();
  ports.appendLog = [](std::string_view message, bool history, RunOutcome) { return AppendRunLog(message, history); };
  ports.setLoginOk = [](bool ok) { loginOk().store(ok); };
  ports.send = SendPushRequest;
  ports.unixMilliseconds = NetworkUnixMilliseconds;
  ports.networkNow = [] { return ProgramNetworkClock().Now(); };
  ports.millisecondsToPeriodicRun = [window] { return RenewalTimerLeft(window); };
  ports.record = &ProgramRunRecord();
  ports.plan = &ProgramPlan();
  RunOnce(ports, snapshot, mode);
  RunOnWindowThread([standing = CurrentRenewalStanding(snapshot.advanced)] { shownStanding() = standing; });
  // The run's reads of the time page go with the plan, for the next start's first decision.
  if (snapshot.advanced.deadline) KeepNetworkReading(snapshot.advanced.history);
}

namespace {

bool StartWorker(RenewalMode mode, WhenBusy whenBusy) {
  return StartGuardedRun(
      RenewalGate(),
      [](std::function<void()> routine) {
        return StartThread([routine = std::move(routine)] {
          routine();
          OnRunsEnded();
        });
      },
      [mode] { RenewalWorker(mode); }, whenBusy);
}

}  // namespace

// A tick during a check or the pushes after a run is kept, not lost: with a long period the next
// tick could come after the whole one-day window.
void StartRenewalWorker() { StartWorker(RenewalMode::Renew, WhenBusy::KeepPending); }

bool StartCheckWorker() { return StartWorker(RenewalMode::CheckOnly, WhenBusy::Refuse); }

bool StartPlannedWorker(RenewalMode mode) { return StartWorker(mode, WhenBusy::Refuse); }

}  // namespace korvan
