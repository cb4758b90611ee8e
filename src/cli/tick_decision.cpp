#include "cli/tick_decision.h"

#include "runtime/datetime/numbers.h"

namespace korvan {
namespace {

constexpr std::int32_t kLongestPeriodHours = 596;
constexpr std::int64_t kMillisecondsPerHour = 3600000;

}  // namespace

TickState ReadTickState(IniStore& file) {
  const Text text = file.Read(kTickSection, kLastRunEndedKey);
  if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != Text::npos) return {};
  const std::int64_t seconds = std::stoll(text);
  if (seconds <= 0) return {};
  return {seconds};
}

void WriteTickState(IniStore& file, const TickState& state) {
  file.Write(kTickSection, kLastRunEndedKey, state.lastRunEnded ? ToText(*state.lastRunEnded) : Text());
}

std::optional<std::int64_t> RenewalPeriodMilliseconds(std::string_view hoursText) {
  std::int32_t hours = ToInteger(hoursText);
  if (hours < 0) return std::nullopt;
  if (hours == 0) hours = 1;
  if (hours > kLongestPeriodHours) hours = kLongestPeriodHours;
  return hours * kMillisecondsPerHour;
}

TickDecision DecideTick(const TickState& state,
                        std::optional<std::int64_t> periodMilliseconds,
                        std::int64_t nowSeconds,
                        const std::optional<PlannedRun>& planned) {
  // The plan's own run comes first: it may be a check, and it is what renews on time.
  if (planned && planned->at <= nowSeconds) return {true, TickReason::PlannedRun, 0, planned->mode};
  if (!state.lastRunEnded) return {true, TickReason::NoRunYet};
  if (!periodMilliseconds) return {false, TickReason::Stopped};
  const std::int64_t elapsed = (nowSeconds - *state.lastRunEnded) * 1000;
  // A clock set back by more than a period cannot be waited out: the run is due. A smaller step back
  // (a time sync) only lengthens this one wait.
  if (elapsed >= *periodMilliseconds || -elapsed > *periodMilliseconds) return {true, TickReason::PeriodOver};
  return {false, TickReason::NotYet, *periodMilliseconds - elapsed};
}

}  // namespace korvan
