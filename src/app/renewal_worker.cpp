#include "app/renewal_worker.h"

#include <utility>

#include "app/form_controls.h"
#include "app/main_window/append_log.h"
#include "app/main_window/window_thread.h"
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

void RenewalWorker() {
  RenewalPorts ports;
  ports.request = PanelRequestOverHttp();
  ports.userName = [] { return ReadBoxOnWindowThread(FormControl::UserBox); };
  ports.password = [] { return ReadBoxOnWindowThread(FormControl::PasswordBox); };
  ports.appendLog = AppendLog;
  ports.setLoginOk = [](bool ok) { loginOk().store(ok); };
  RenewFreeVps(ports);
}

void StartRenewalWorker() {
  StartGuardedRun(
      RenewalGate(), [](std::function<void()> routine) { return StartThread(std::move(routine)); }, RenewalWorker);
}

}  // namespace korvan
