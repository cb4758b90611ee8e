#include "platform/stop_request.h"

#include <signal.h>
#include <unistd.h>

#include <cstddef>
#include <initializer_list>

namespace korvan {
namespace {

volatile sig_atomic_t stopStatus = 1;

void StopRunAtSignal(int signal) {
  constexpr char kTerminated[] = "korvan: stopped by SIGTERM during the run; the files keep the last finished run\n";
  constexpr char kInterrupted[] = "korvan: stopped by SIGINT during the run; the files keep the last finished run\n";
  constexpr char kHungUp[] = "korvan: stopped by SIGHUP during the run; the files keep the last finished run\n";
  const char* message = signal == SIGTERM ? kTerminated : signal == SIGINT ? kInterrupted : kHungUp;
  const std::size_t length = signal == SIGTERM  ? sizeof kTerminated
                             : signal == SIGINT ? sizeof kInterrupted
                                                : sizeof kHungUp;
  [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, message, length - 1);
  ::_exit(stopStatus);
}

}  // namespace

void EndRunAtStopRequest(int exitStatus) {
  stopStatus = exitStatus;
  struct sigaction action {};
  action.sa_handler = StopRunAtSignal;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGTERM, SIGINT, SIGHUP})
    ::sigaction(signal, &action, nullptr);
}

}  // namespace korvan
