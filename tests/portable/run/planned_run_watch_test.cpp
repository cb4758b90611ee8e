#include "run/planned_run_watch.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace korvan {
namespace {

constexpr std::int64_t kAt = 1'800'000'000;
constexpr PlannedRun kCheck{kAt, RenewalMode::CheckOnly};
constexpr PlannedRun kRenewal{kAt, RenewalMode::Renew};

struct Check {
  std::optional<PlannedRun> next;
  std::int64_t now;
  bool gateFree;
  bool started;  // a run was started at this check
};

struct WatchCase {
  const char* name;
  std::vector<Check> checks;  // one watch through all of them, in order
};

TEST(PlannedRunWatchTest, StartsEachPlannedTimeOnceWhenDueAndTheGateTakesIt) {
  const PlannedRun later{kAt + 120, RenewalMode::Renew};
  const WatchCase cases[] = {
      {"NotYetDue", {{kRenewal, kAt - 1, true, false}}},
      {"DueExactlyAtItsTime", {{kRenewal, kAt, true, true}}},
      {"OverdueStartsAtOnce", {{kCheck, kAt + 3600, true, true}}},
      {"NoPlan", {{std::nullopt, kAt, true, false}}},
      {"SameTimeNeverTwice",
       {{kRenewal, kAt, true, true}, {kRenewal, kAt + 30, true, false}, {kRenewal, kAt + 60, true, false}}},
      {"RefusedIsTriedAgain",
       {{kRenewal, kAt, false, false}, {kRenewal, kAt + 30, true, true}, {kRenewal, kAt + 60, true, false}}},
      {"NextTimeStartsAgain",
       {{kRenewal, kAt, true, true}, {later, kAt + 30, true, false}, {later, kAt + 120, true, true}}},
  };
  for (const WatchCase& c : cases) {
    SCOPED_TRACE(c.name);
    PlannedRunWatch watch;
    for (const Check& check : c.checks) {
      std::vector<RenewalMode> asked;
      const bool started = watch.StartIfDue(check.next, check.now, [&](RenewalMode mode) {
        asked.push_back(mode);
        return check.gateFree;
      });
      EXPECT_EQ(started, check.started) << check.now - kAt;
      // The mode handed on is the planned run's.
      if (check.started) {
        EXPECT_EQ(asked, std::vector<RenewalMode>{check.next->mode});
      }
    }
  }
}

struct WakeCase {
  const char* name;
  std::optional<PlannedRun> next;
  bool wake;
  std::int64_t now;
  std::optional<std::int64_t> wakeAt;
  bool keepAwake;
};

TEST(PlannedRunWatchTest, WakesTwoMinutesAheadAndKeepsAwakeAroundTheRun) {
  const WakeCase cases[] = {
      {"HoursAhead", kRenewal, true, kAt - 3 * 3600, kAt - 120, false},
      {"CheckToo", kCheck, true, kAt - 600, kAt - 120, false},
      {"WakeOff", kRenewal, false, kAt - 3600, std::nullopt, false},
      {"NoPlan", std::nullopt, true, kAt - 3600, std::nullopt, false},
      {"WakeMomentReached", kRenewal, true, kAt - 120, std::nullopt, true},
      {"JustBeforeTheWake", kRenewal, true, kAt - 121, kAt - 120, true},
      {"AwakeFromThreeMinutes", kRenewal, true, kAt - 180, kAt - 120, true},
      {"NotYetAwakeBefore", kRenewal, true, kAt - 181, kAt - 120, false},
      {"OverdueStillAwake", kRenewal, true, kAt + 599, std::nullopt, true},
      {"LongOverdueMaySleep", kRenewal, true, kAt + 600, std::nullopt, false},
      {"WakeOffNeverHolds", kRenewal, false, kAt, std::nullopt, false},
  };
  for (const WakeCase& c : cases) {
    EXPECT_EQ(WakeTimeFor(c.next, c.wake, c.now), c.wakeAt) << c.name;
    EXPECT_EQ(KeepAwakeFor(c.next, c.wake, c.now), c.keepAwake) << c.name;
  }
}

}  // namespace
}  // namespace korvan
