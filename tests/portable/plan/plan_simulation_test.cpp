#include <gtest/gtest.h>

#include <string>

#include "plan_simulation/plan_replay.h"

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
  // The ladder's longest step is an hour, so an hour's answer is always caught; ten minutes between
  // two outages can fall between two tries (about one window in 10,000 in scripts/bench's replay).
  EXPECT_EQ(f.plan.answeringAnHourRenewed, f.answeringAnHour);
  EXPECT_GE(f.plan.answeringRenewed, f.answering * 99 / 100);
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

}  // namespace
}  // namespace korvan
