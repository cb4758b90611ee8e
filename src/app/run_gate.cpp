#include "app/run_gate.h"

#include <utility>

namespace korvan {

bool StartGuardedRun(RunGate& gate,
                     const std::function<bool(std::function<void()>)>& startThread,
                     std::function<void()> run) {
  if (!gate.TryEnter()) return false;
  const bool started = startThread([&gate, run = std::move(run)] {
    struct LeaveOnExit {
      RunGate& gate;
      ~LeaveOnExit() { gate.Leave(); }
    } leave{gate};
    run();
  });
  if (!started) gate.Leave();
  return started;
}

}  // namespace korvan
