#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "plan/renewal_plan.h"
#include "plan_simulation/plan_replay.h"
#include "run_message_bytes.h"

namespace korvan {
namespace {

// One replay for both tests: its windows, faults and cadences are fixed by the seed.
const plan_replay::ReplayFigures& SmallReplay() {
  static const plan_replay::ReplayFigures figures = plan_replay::Replay(300, 2026);
  return figures;
}

// The plan's goals on a smaller replay than scripts/bench's: a ladder that waits past the panel's
// good spells, a first renewal run later than 6 minutes or a burst of runs each break one of them.
TEST(PlanSimulation, MeetsTheGoalsAgainstAFlakyPanel) {
  const plan_replay::ReplayFigures& f = SmallReplay();
  // A panel model that never answers would make the goals on answering windows hold by themselves.
  ASSERT_GT(f.answeringAnHour, 270);
  EXPECT_EQ(f.plan.answeringAnHourRenewed, f.answeringAnHour);
  EXPECT_EQ(f.plan.answeringRenewed, f.answering);
  EXPECT_LE(f.plan.MedianMinutes(), 6.0);
  EXPECT_LE(f.plan.requests, 5 * f.plain.requests);
  EXPECT_EQ(f.plan.plannedRunsTooClose, 0);
  EXPECT_GT(f.plan.renewed, f.plain.renewed);
}

// The same windows with faults, through each program's cadence and its real due decision: an empty
// expiry read in every window, the computer's clock hours or years off or stepped inside the window,
// a renewal whose answer was cut. A due decision that trusts the computer's clock runs hours late or
// early and in bursts; a plan that an empty read or a missing verdict throws off misses its window
// or the next one.
TEST(PlanSimulation, MeetsTheGoalsWithFaultsThroughEachProgramsCadence) {
  const plan_replay::ReplayFigures& f = SmallReplay();
  // Every clock came up in enough windows for its own figures to say something.
  for (const int windows : f.windowsByClock)
    ASSERT_GE(windows, 40);
  for (const plan_replay::Cadence cadence : {plan_replay::Cadence::Window, plan_replay::Cadence::LinuxTick}) {
    SCOPED_TRACE(std::string(plan_replay::CadenceName(cadence)));
    const plan_replay::ScheduleFigures& s = f.WithFaults(cadence);
    ASSERT_GE(s.emptyReads, 280);
    ASSERT_GE(s.cutAnswers, 60);
    EXPECT_EQ(s.answeringRenewed, f.answering);
    EXPECT_LE(s.MedianMinutes(), 6.0);
    // A lost verdict neither misses the next window nor warns of this one as not renewed.
    EXPECT_EQ(s.nextWindowsOnTime, s.cutAnswers);
    EXPECT_EQ(s.falseLateWarnings, 0);
    EXPECT_LE(s.requests, 5 * f.plain.requests);
    // No burst: the planned runs keep their 2 minutes, a stepped clock costs one N-hour run at the
    // most, and no window costs much more than the plan's worst without faults.
    EXPECT_EQ(s.plannedRunsTooClose, 0);
    EXPECT_LE(s.mostPeriodRunsEarlyInAWindow, 1);
    EXPECT_LE(s.mostRequestsInAWindow, 2 * f.plan.mostRequestsInAWindow);
    for (int clock = 0; clock < plan_replay::kClockFaults; ++clock) {
      SCOPED_TRACE(std::string(plan_replay::ClockFaultName(static_cast<plan_replay::ClockFault>(clock))));
      const plan_replay::ScheduleFigures& byClock = f.faultsByClock[static_cast<int>(cadence)][clock];
      EXPECT_EQ(byClock.answeringRenewed, f.answeringByClock[clock]);
      EXPECT_LE(byClock.MedianMinutes(), 6.0);
    }
  }
}

// The replay's panel seldom answers for less than an hour between two outages, so a ladder that
// waits too long between tries passes it (one window in 25,000 is missed with steps going on to an
// hour). Here the panel is down through the whole window but for one spell of ten minutes, put at
// every place from the first renewal run to the end; only the plan's own runs come, no N-hour ones.
TEST(PlanSimulation, CatchesTenMinutesOfAnsweringWhereverTheyFall) {
  using namespace message_bytes;
  constexpr std::int64_t kOpens = 1714968000;  // the window of 2024-05-07 12:00:00 UTC+8
  constexpr std::int64_t kExpiresAt = kOpens + 24 * 3600;
  const Text expiry = "2024-05-07 12:00:00";
  auto run = [&expiry](RunOutcome outcome, std::vector<Text> messages, bool foundVps) {
    RunReport report;
    for (const Text& message : messages)
      report.entries.push_back({"stamp", message, message == messages.back() ? outcome : RunOutcome::None});
    report.outcome = outcome;
    report.vpsId = foundVps ? "7" : "";
    report.expiry = foundVps ? expiry : "";
    return report;
  };
  const RunReport tooEarly = run(RunOutcome::TooEarly, {"u" + kLoggedIn, kExpiry + expiry, kOneDay}, true);
  const RunReport down = run(RunOutcome::LoginFailed, {"u" + kLoginFailed}, false);
  const RunReport checked = run(RunOutcome::CheckDone, {"u" + kLoggedIn, kExpiry + expiry, kCheckDone}, true);
  const RunReport renewed = run(RunOutcome::Renewed, {"u" + kLoggedIn, kExpiry + expiry, kRenewed}, true);
  std::vector<std::int64_t> missed;
  for (std::int64_t spell = kOpens + 5 * 60; spell + 10 * 60 <= kExpiresAt - 10 * 60; spell += 7 * 60 + 13) {
    RenewalPlan plan = PlanAfterRun({}, tooEarly, false, kOpens - 2 * 24 * 3600).plan;
    bool done = false;
    for (int runs = 0; runs < 2000 && !done; ++runs) {
      const std::optional<PlannedRun> next = NextPlannedRun(plan);
      if (!next) break;
      const bool up = next->at >= spell && next->at < spell + 10 * 60;
      done = up && next->mode == RenewalMode::Renew;
      const RunReport& answer = !up ? down : next->mode == RenewalMode::Renew ? renewed : checked;
      plan = PlanAfterRun(plan, answer, false, next->at).plan;
    }
    if (!done) missed.push_back((spell - kOpens) / 60);
  }
  EXPECT_EQ(missed, std::vector<std::int64_t>{}) << "minutes after the opening";
}

}  // namespace
}  // namespace korvan
