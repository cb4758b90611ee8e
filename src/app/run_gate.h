// Lets one run through at a time: a start while a run is under way starts nothing. Renewal runs use
// it so that two runs never share panelCookies and the log in an interleaved way.
#pragma once

#include <atomic>
#include <functional>

namespace korvan {

class RunGate {
 public:
  // True when no run was under way; the caller then owns the gate until Leave.
  bool TryEnter() noexcept { return !busy_.exchange(true, std::memory_order_acquire); }
  void Leave() noexcept { busy_.store(false, std::memory_order_release); }
  bool Busy() const noexcept { return busy_.load(std::memory_order_acquire); }

 private:
  std::atomic<bool> busy_{false};
};

// Starts `run` through startThread unless the gate is taken; the gate opens again when the run
// returns, or at once when the thread cannot be started. True when a run was started.
bool StartGuardedRun(RunGate& gate,
                     const std::function<bool(std::function<void()>)>& startThread,
                     std::function<void()> run);

}  // namespace korvan
