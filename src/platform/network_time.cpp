#include "platform/network.h"

#include "log/network_time.h"

namespace korvan {

NetworkClock& ProgramNetworkClock() {
  static NetworkClock clock(ComputerTimeNow);
  return clock;
}

std::optional<std::int64_t> ReadNetworkSeconds() {
  const std::optional<std::int64_t> seconds = NetworkSecondsFromAnswer(ReadTimePage());
  if (seconds) ProgramNetworkClock().Answered(*seconds);
  return seconds;
}

DateTime FetchNetworkTime() { return Utc8FromUnixSeconds(ReadNetworkSeconds().value_or(ComputerTimeNow().wall)); }

std::int64_t NetworkUnixMilliseconds() { return ReadNetworkSeconds().value_or(ProgramNetworkClock().Now()) * 1000; }

}  // namespace korvan
