// Lets one run through at a time. Renewal runs use it so that two runs never share panelCookies and
// the log in an interleaved way; a renewal asked for while the gate is taken is kept, one at most,
// and runs as soon as the gate opens, so a tick is never lost.
#pragma once

#include <functional>
#include <mutex>

namespace korvan {

class RunGate {
 public:
  // True when no run was under way; the caller then owns the gate until Leave.
  bool TryEnter();
  void Leave();
  bool Busy();

  // TryEnter; when the gate is taken, run is kept to start when it opens, unless one is kept already.
  bool TryEnterOrKeepPending(const std::function<void()>& run);
  // Hands the gate to the kept run and gives it; without one, opens the gate and gives nothing.
  std::function<void()> LeaveOrTakePending();

 private:
  std::mutex mutex_;
  bool busy_ = false;
  std::function<void()> pending_;
};

// What a start does while another run holds the gate.
enum class WhenBusy {
  Refuse,       // starts nothing
  KeepPending,  // runs once the gate opens, on the thread that had it
};

// Starts `run` through startThread unless the gate is taken; the gate opens again when the run (and
// any pending one after it) returns, or at once when the thread cannot be started. True when a run
// was started now.
bool StartGuardedRun(RunGate& gate,
                     const std::function<bool(std::function<void()>)>& startThread,
                     std::function<void()> run,
                     WhenBusy whenBusy = WhenBusy::Refuse);

}  // namespace korvan
