#include "platform/stop_request.h"

#include <windows.h>

#include <atomic>
#include <string_view>

#include "platform/standard_streams.h"

namespace korvan {
namespace {

std::atomic<int> stopStatus{1};
std::atomic<bool> betweenRuns{false};

// Runs on a thread of its own; the process ends from here, as the signal handler ends it on Linux.
BOOL WINAPI StopAtControl(DWORD control) {
  const std::string_view by = control == CTRL_C_EVENT       ? "Ctrl-C"
                              : control == CTRL_BREAK_EVENT ? "Ctrl-Break"
                                                            : "the console closing";
  WriteStandardError("korvan: stopped by ");
  WriteStandardError(by);
  WriteStandardError(betweenRuns ? " between runs\n" : " during the run; the files keep the last finished run\n");
  ::ExitProcess(static_cast<UINT>(stopStatus.load()));
}

void StopAtControls(int exitStatus, bool watching) {
  stopStatus = exitStatus;
  betweenRuns = watching;
  // Once: watch comes here twice a tick, and each call would add the handler to the list again.
  static const bool added = ::SetConsoleCtrlHandler(StopAtControl, TRUE);
  static_cast<void>(added);
}

}  // namespace

void EndRunAtStopRequest(int exitStatus) { StopAtControls(exitStatus, false); }
void EndWatchAtStopRequest() { StopAtControls(0, true); }

}  // namespace korvan
