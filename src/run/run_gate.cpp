#include "run/run_gate.h"

#include <utility>

namespace korvan {

bool RunGate::TryEnter() {
  const std::lock_guard lock(mutex_);
  if (busy_) return false;
  busy_ = true;
  return true;
}

void RunGate::Leave() {
  const std::lock_guard lock(mutex_);
  busy_ = false;
}

bool RunGate::Busy() {
  const std::lock_guard lock(mutex_);
  return busy_;
}

bool RunGate::TryEnterOrKeepPending(const std::function<void()>& run) {
  const std::lock_guard lock(mutex_);
  if (!busy_) return busy_ = true;
  if (!pending_) pending_ = run;
  return false;
}

std::function<void()> RunGate::LeaveOrTakePending() {
  const std::lock_guard lock(mutex_);
  std::function<void()> next = std::exchange(pending_, nullptr);
  busy_ = static_cast<bool>(next);
  return next;
}

bool StartGuardedRun(RunGate& gate,
                     const std::function<bool(std::function<void()>)>& startThread,
                     std::function<void()> run,
                     WhenBusy whenBusy) {
  const bool entered = whenBusy == WhenBusy::KeepPending ? gate.TryEnterOrKeepPending(run) : gate.TryEnter();
  if (!entered) return false;
  const bool started = startThread([&gate, run = std::move(run)] {
    for (std::function<void()> next = run; next; next = gate.LeaveOrTakePending())
      next();
  });
  if (!started) gate.Leave();
  return started;
}

}  // namespace korvan
