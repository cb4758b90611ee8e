#include <windows.h>

#include "korvan/hosts.h"
#include "log/network_time.h"
#include "runtime/system/read_url.h"

namespace korvan {
namespace {

// FILETIME counts 100-nanosecond steps since 1601-01-01 UTC.
constexpr std::int64_t kFileTimeOfUnixEpoch = 116444736000000000;
constexpr std::int64_t kFileTimeStepsPerSecond = 10000000;

DateTime ComputerClockUtc8() {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  const std::int64_t steps =
      static_cast<std::int64_t>((static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
  return Utc8FromUnixSeconds((steps - kFileTimeOfUnixEpoch) / kFileTimeStepsPerSecond);
}

}  // namespace

DateTime FetchNetworkTime() {
  const ByteSet answer = ReadUrl(JoinTexts("http://", hosts::kTime, kTimePagePath));
  return NetworkTimeFromAnswer(answer, ComputerClockUtc8());
}

}  // namespace korvan
