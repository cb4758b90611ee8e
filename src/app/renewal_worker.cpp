#include "app/renewal_worker.h"

#include <utility>

#include "app/form_controls.h"
#include "app/main_window/append_log.h"
#include "app/main_window/configuration.h"
#include "app/main_window/window_thread.h"
#include "app/run_events.h"
#include "app/run_gate.h"
#include "renewal/panel_state.h"
#include "renewal/renew_free_vps.h"
#include "runtime/system/threads.h"

namespace korvan {

namespace {

RunGate& RenewalGate() {
  static RunGate gate;
  return gate;
}

// The content of a box, read on the window's thread; empty when the window is gone.
Text ReadBoxOnWindowThread(FormControl box) {
  Text content;
  RunOnWindowThread([&] {
    if (auto* edit = MainFormControls().Find<EditBox>(box)) content = edit->Content();
  });
  return content;
}

}  // namespace

bool RenewalRunning() { return RenewalGate().Busy(); }

void RenewalWorker(RenewalMode mode) {
  // Read at the start of every run, so a change applies without a restart.
  const AdvancedSettings advanced = ReadAdvancedSettings();
  RenewalPorts ports;
  ports.request = PanelRequestOverHttp();
  ports.userName = [] { return ReadBoxOnWindowThread(FormControl::UserBox); };
  ports.password = [] { return ReadBoxOnWindowThread(FormControl::PasswordBox); };
  ports.appendLog = AppendLog;
  ports.setLoginOk = [](bool ok) { loginOk().store(ok); };
  ports.settings = [verify = advanced.verify] { return RunSettings{verify}; };
  ports.mode = mode;
  OnRunStarting();
  const RunReport report = RenewFreeVps(ports);
  OnRunFinished(report);
}

namespace {

bool StartWorker(RenewalMode mode) {
  return StartGuardedRun(
      RenewalGate(), [](std::function<void()> routine) { return StartThread(std::move(routine)); },
      [mode] { RenewalWorker(mode); });
}

}  // namespace

void StartRenewalWorker() { StartWorker(RenewalMode::Renew); }

bool StartCheckWorker() { return StartWorker(RenewalMode::CheckOnly); }

}  // namespace korvan
