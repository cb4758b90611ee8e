#include "run/tick_decision.h"

#include "run/plan_store.h"
#include "run/planned_run_watch.h"
#include "runtime/datetime/numbers.h"

namespace korvan {
namespace {

std::optional<std::int64_t> SecondsOf(IniStore& file, std::string_view key) {
  const Text text = file.Read(kTickSection, key);
  if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != Text::npos) return std::nullopt;
  const std::int64_t seconds = std::stoll(text);
  if (seconds <= 0) return std::nullopt;
  return seconds;
}

Text SecondsText(const std::optional<std::int64_t>& seconds) { return seconds ? ToText(*seconds) : Text(); }

}  // namespace

TickState ReadTickState(IniStore& file) {
  TickState state;
  state.lastRunStarted = SecondsOf(file, kLastRunStartedKey);
  state.lastRunEnded = SecondsOf(file, kLastRunEndedKey);
  state.waitingForUser = TrimBlanks(file.Read(kTickSection, kWaitingForUserKey)) == "1";
  state.configDigest = TrimBlanks(file.Read(kTickSection, kConfigDigestKey));
  state.clock = LoadTimeReading(file, kTickSection);
  state.config = file.Read(kTickSection, kConfigKey);
  const Text lastExit = TrimBlanks(file.Read(kTickSection, kLastExitKey));
  state.seenConfig = TrimBlanks(file.Read(kTickSection, kSeenConfigKey));
  if (lastExit.size() == 1 && lastExit[0] >= '0' && lastExit[0] <= '9') state.lastExit = lastExit[0] - '0';
  return state;
}

void WriteTickState(IniStore& file, const TickState& state) {
  file.Write(kTickSection, kLastRunStartedKey, SecondsText(state.lastRunStarted));
  file.Write(kTickSection, kLastRunEndedKey, SecondsText(state.lastRunEnded));
  file.Write(kTickSection, kWaitingForUserKey, state.waitingForUser ? "1" : "0");
  file.Write(kTickSection, kConfigDigestKey, state.waitingForUser ? state.configDigest : Text());
  SaveTimeReading(file, kTickSection, state.clock);
  if (!state.config.empty()) file.Write(kTickSection, kConfigKey, state.config);
  if (!state.seenConfig.empty()) file.Write(kTickSection, kSeenConfigKey, state.seenConfig);
  if (state.lastExit) file.Write(kTickSection, kLastExitKey, ToText(static_cast<std::int64_t>(*state.lastExit)));
}

TickDecision DecideTick(const TickState& state,
                        std::optional<std::int64_t> periodMilliseconds,
                        std::int64_t nowSeconds,
                        const std::optional<PlannedRun>& planned,
                        std::optional<std::int64_t> networkNow,
                        bool checkForPlan) {
  const std::int64_t planNow = networkNow.value_or(nowSeconds);
  // The plan's own run comes first: it may be a check, and it is what renews on time.
  if (PlannedRunDue(planned, planNow)) return {true, TickReason::PlannedRun, 0, planned->mode};
  // One due before the next tick is waited for here: the timer would round it up by minutes.
  const std::optional<TickDecision> waitForPlanned =
      planned && planned->at - planNow <= kLongestPlannedRunWaitSeconds
          ? std::optional<TickDecision>({true, TickReason::PlannedRun, 0, planned->mode, planned->at - planNow})
          : std::nullopt;
  const std::optional<std::int64_t> since = state.lastRunStarted ? state.lastRunStarted : state.lastRunEnded;
  if (!since) return {true, TickReason::NoRunYet};
  const TickDecision check{true, TickReason::PlanCheck, 0, RenewalMode::CheckOnly};
  if (!periodMilliseconds)
    return checkForPlan ? check : waitForPlanned.value_or(TickDecision{false, TickReason::Stopped});
  const std::int64_t elapsed = (nowSeconds - *since) * 1000;
  // A clock set back by more than a period cannot be waited out: the run is due. A smaller step back
  // (a time sync) only lengthens this one wait.
  if (elapsed >= *periodMilliseconds || -elapsed > *periodMilliseconds) return {true, TickReason::PeriodOver};
  if (checkForPlan) return check;
  return waitForPlanned.value_or(TickDecision{false, TickReason::NotYet, *periodMilliseconds - elapsed});
}

}  // namespace korvan
