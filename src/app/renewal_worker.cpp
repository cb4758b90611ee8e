#include "app/renewal_worker.h"

#include <utility>

#include "app/run_gate.h"
#include "renewal/renew_free_vps.h"
#include "runtime/system/threads.h"

namespace korvan {

namespace {

RunGate& RenewalGate() {
  static RunGate gate;
  return gate;
}

}  // namespace

bool RenewalRunning() { return RenewalGate().Busy(); }

void RenewalWorker() { RenewFreeVps(); }

void StartRenewalWorker() {
  StartGuardedRun(
      RenewalGate(), [](std::function<void()> routine) { return StartThread(std::move(routine)); }, RenewalWorker);
}

}  // namespace korvan
