// When `korvan tick` renews.
#include "run/tick_decision.h"

#include <gtest/gtest.h>

#include "fake_ini_store.h"

namespace korvan {
namespace {

constexpr std::int64_t kHour = 3600000;
constexpr std::int64_t kNow = 1800000000;

struct TickCase {
  const char* name;
  std::optional<std::int64_t> lastRunEnded;
  const char* hours;
  TickDecision expected;
};

class Tick : public ::testing::TestWithParam<TickCase> {};

TEST_P(Tick, IsDueAsTheWindowsTimerWouldRenew) {
  const TickCase& c = GetParam();
  EXPECT_EQ(DecideTick({.lastRunEnded = c.lastRunEnded}, RenewalPeriodMilliseconds(c.hours), kNow), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    Tick,
    ::testing::Values(
        TickCase{"FirstRunEvenWithTheTimerStopped", std::nullopt, "-3", {true, TickReason::NoRunYet}},
        TickCase{"AWholePeriodAgo", kNow - 10 * 3600, "10", {true, TickReason::PeriodOver}},
        TickCase{"ASecondShortOfThePeriod", kNow - 10 * 3600 + 1, "10", {false, TickReason::NotYet, 1000}},
        TickCase{"EmptyPeriodIsOneHour", kNow - 3599, " ", {false, TickReason::NotYet, 1000}},
        TickCase{"ZeroPeriodIsOneHour", kNow - 3600, "0", {true, TickReason::PeriodOver}},
        TickCase{"PeriodAbove596HoursIs596", kNow - 596 * 3600, "100000", {true, TickReason::PeriodOver}},
        TickCase{"NegativePeriodStopsTheTimer", kNow - 1000 * 3600, "-1", {false, TickReason::Stopped}},
        TickCase{"ClockSetBackALittleWaitsLonger", kNow + 60, "1", {false, TickReason::NotYet, kHour + 60000}},
        TickCase{"ClockSetBackBeyondAPeriodRenews", kNow + 3601, "1", {true, TickReason::PeriodOver}}),
    [](const auto& info) { return std::string(info.param.name); });

// The plan's run comes first when it has come due, as a check or a renewal, even within a period;
// one due before the next tick is waited for in this one (the timer would round a 2-minute retry up
// to 5); one further ahead leaves the period to decide, which counts from the last run's start.
TEST(Tick, APlannedRunThatCameDueRunsInItsMode) {
  const struct {
    std::optional<PlannedRun> planned;
    const char* hours;
    TickDecision expected;
  } cases[] = {
      {PlannedRun{kNow, RenewalMode::CheckOnly}, "1", {true, TickReason::PlannedRun, 0, RenewalMode::CheckOnly}},
      {PlannedRun{kNow - 600, RenewalMode::Renew}, "1", {true, TickReason::PlannedRun, 0, RenewalMode::Renew}},
      {PlannedRun{kNow + 120, RenewalMode::Renew}, "1", {true, TickReason::PlannedRun, 0, RenewalMode::Renew, 120}},
      {PlannedRun{kNow + 300, RenewalMode::CheckOnly},
       "-1",
       {true, TickReason::PlannedRun, 0, RenewalMode::CheckOnly, 300}},
      {PlannedRun{kNow + 301, RenewalMode::Renew}, "1", {false, TickReason::NotYet, 3600000 - 60000}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DecideTick({.lastRunStarted = kNow - 60}, RenewalPeriodMilliseconds(c.hours), kNow, c.planned),
              c.expected);
  // A run that keeps dying before its end is written still counts: the period runs from its start.
  EXPECT_EQ(DecideTick({.lastRunStarted = kNow - 600, .lastRunEnded = kNow - 11 * 3600},
                       RenewalPeriodMilliseconds("10"), kNow),
            (TickDecision{false, TickReason::NotYet, 10 * kHour - 600000}));
}

// korvan.ini changed while the plan waits for an expiry: a check reads it now, unless a renewal run
// (which reads it too) is due anyway; within the period, and with the timer stopped, it is the check.
TEST(Tick, AChangedConfigChecksWhileThePlanWaitsForAnExpiry) {
  const struct {
    const char* name;
    TickState state;
    const char* hours;
    TickDecision expected;
  } cases[] = {
      {"WithinThePeriod",
       {.lastRunStarted = kNow - 60},
       "10",
       {true, TickReason::PlanCheck, 0, RenewalMode::CheckOnly}},
      {"TimerStopped", {.lastRunStarted = kNow - 60}, "-1", {true, TickReason::PlanCheck, 0, RenewalMode::CheckOnly}},
      {"PeriodOverRenews", {.lastRunStarted = kNow - 10 * 3600}, "10", {true, TickReason::PeriodOver}},
      {"NoRunYetRenews", {}, "10", {true, TickReason::NoRunYet}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DecideTick(c.state, RenewalPeriodMilliseconds(c.hours), kNow, std::nullopt, std::nullopt, true),
              c.expected);
  }
}

TEST(TickState, ADamagedValueCountsAsNoRun) {
  for (const char* text : {"", "abc", "-5", "0", "12x", "99999999999999999999"}) {
    FakeIniStore file;
    file.items[{Text(kTickSection), Text(kLastRunEndedKey)}] = text;
    file.items[{Text(kTickSection), Text(kLastRunStartedKey)}] = text;
    EXPECT_EQ(ReadTickState(file), TickState{}) << text;
  }
}

}  // namespace
}  // namespace korvan
