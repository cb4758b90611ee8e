#include "platform/network.h"

#include <windows.h>

#include <string>

#include "log/network_clock.h"

namespace korvan {
namespace {

// FILETIME counts 100-nanosecond steps since 1601-01-01 UTC.
constexpr std::int64_t kFileTimeOfUnixEpoch = 116444736000000000;
constexpr std::int64_t kFileTimeStepsPerSecond = 10000000;

std::int64_t ComputerClockSeconds() {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  const std::int64_t steps =
      static_cast<std::int64_t>((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
  return (steps - kFileTimeOfUnixEpoch) / kFileTimeStepsPerSecond;
}

}  // namespace

// GetTickCount64 goes on during sleep and hibernation. The boot is named by this process alone: its
// own readings are of one boot, one kept by an earlier process may not be.
ComputerTime ComputerTimeNow() {
  static const std::string boot =
      JoinTexts("process ", std::to_string(::GetCurrentProcessId()), " ", std::to_string(::GetTickCount64()));
  return {ComputerClockSeconds(), static_cast<std::int64_t>(::GetTickCount64() / 1000), boot};
}

}  // namespace korvan
