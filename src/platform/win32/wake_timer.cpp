#include "platform/win32/wake_timer.h"

#include <windows.h>

namespace korvan {
namespace {

// FILETIME counts 100-nanosecond steps from 1601-01-01 UTC.
constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr std::int64_t kFileTimeStepsPerSecond = 10000000;

}  // namespace

WakeTimer::WakeTimer() : timer_(CreateWaitableTimerW(nullptr, TRUE, nullptr)) {}

WakeTimer::~WakeTimer() { Cancel(); }

bool WakeTimer::SetAt(std::int64_t unixSeconds) {
  if (!timer_ || unixSeconds <= 0) return false;
  LARGE_INTEGER due{};
  // Positive: an absolute UTC time.
  due.QuadPart = (unixSeconds + kSecondsFrom1601To1970) * kFileTimeStepsPerSecond;
  SetLastError(ERROR_SUCCESS);
  if (!SetWaitableTimer(timer_.Get(), &due, 0, nullptr, nullptr, TRUE)) return false;
  // Armed, but without the power to resume the system.
  return GetLastError() != ERROR_NOT_SUPPORTED;
}

void WakeTimer::Cancel() {
  if (timer_) CancelWaitableTimer(timer_.Get());
}

SystemAwakeHold::SystemAwakeHold() : held_(SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) != 0) {}

SystemAwakeHold::~SystemAwakeHold() {
  if (held_) SetThreadExecutionState(ES_CONTINUOUS);
}

void PostponeSystemSleep() { SetThreadExecutionState(ES_SYSTEM_REQUIRED); }

}  // namespace korvan
