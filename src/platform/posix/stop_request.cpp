#include "platform/stop_request.h"

#include <signal.h>
#include <unistd.h>

#include <cstddef>
#include <initializer_list>

namespace korvan {
namespace {

volatile sig_atomic_t stopStatus = 1;
volatile sig_atomic_t betweenRuns = 0;

template <std::size_t size>
void Say(const char (&message)[size]) {
  [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, message, size - 1);
}

void StopAtSignal(int signal) {
  if (betweenRuns) {
    if (signal == SIGTERM) Say("korvan: stopped by SIGTERM between runs\n");
    if (signal == SIGINT) Say("korvan: stopped by SIGINT between runs\n");
    if (signal == SIGHUP) Say("korvan: stopped by SIGHUP between runs\n");
  } else {
    if (signal == SIGTERM) Say("korvan: stopped by SIGTERM during the run; the files keep the last finished run\n");
    if (signal == SIGINT) Say("korvan: stopped by SIGINT during the run; the files keep the last finished run\n");
    if (signal == SIGHUP) Say("korvan: stopped by SIGHUP during the run; the files keep the last finished run\n");
  }
  ::_exit(stopStatus);
}

void StopAtSignals(int exitStatus, bool watching) {
  stopStatus = exitStatus;
  betweenRuns = watching;
  struct sigaction action {};
  action.sa_handler = StopAtSignal;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGTERM, SIGINT, SIGHUP})
    ::sigaction(signal, &action, nullptr);
}

}  // namespace

void EndRunAtStopRequest(int exitStatus) { StopAtSignals(exitStatus, false); }
void EndWatchAtStopRequest() { StopAtSignals(0, true); }

}  // namespace korvan
