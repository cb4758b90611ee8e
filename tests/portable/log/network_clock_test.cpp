#include "log/network_clock.h"

#include <gtest/gtest.h>

namespace korvan {
namespace {

constexpr std::int64_t kNetwork = 1800000000;  // what the time page said at the read
constexpr std::int64_t kYear = 365 * 86400;

// The computer's clocks at the read: its wall clock 40 minutes ahead of the page, 5000 s since boot.
const TimeReading kRead{kNetwork, {kNetwork + 2400, 5000, "boot-a"}};

// The network time a decision goes by, whatever the computer's wall clock says since the read.
TEST(NetworkNow, GoesOnByTheMonotonicClockOfTheSameBootElseByTheOffset) {
  const struct {
    const char* name;
    TimeReading reading;
    ComputerTime now;
    std::int64_t network;
  } cases[] = {
      {"NoReadYetIsTheComputersClock", {}, {kNetwork + 99, 7, "boot-a"}, kNetwork + 99},
      {"SameBoot", kRead, {kNetwork + 2400 + 600, 5600, "boot-a"}, kNetwork + 600},
      {"WallStepped3YearsAhead", kRead, {kNetwork + 3 * kYear, 5600, "boot-a"}, kNetwork + 600},
      {"AnotherBootTakesTheOffset", kRead, {kNetwork + 2400 + 600, 30, "boot-b"}, kNetwork + 600},
      {"AnUnknownBootTakesTheOffset",
       {kNetwork, {kNetwork - 8 * 3600, 5000, ""}},
       {kNetwork - 8 * 3600 + 60, 5060, ""},
       kNetwork + 60},
      {"MonotonicBackIsAnotherBoot", kRead, {kNetwork + 2400 + 60, 10, "boot-a"}, kNetwork + 60},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(NetworkNow(c.reading, c.now), c.network);
  }
}

// The wake timer goes by the computer's clock: a planned run at network time T wakes the computer
// when its own clock shows T plus its error. A reading of this boot over an hour old is read again
// only for a run that may be due within the hour (a tick every 5 minutes would otherwise read the
// page every hour for next month's check); one of another boot always, as the clock may have been
// stepped across the reboot.
TEST(NetworkClock, WakesByTheComputersClockAndReadsAgainWhenItMatters) {
  EXPECT_EQ(ComputerWallAt(kRead, {kNetwork + 3000, 5600, "boot-a"}, kNetwork + 900), kNetwork + 3300);
  const ComputerTime later{0, 5000 + 7200, "boot-a"};  // two hours on: kNetwork + 7200
  EXPECT_TRUE(ReadBeforeDeciding(kRead, later, kNetwork + 7200 + 3600));
  EXPECT_FALSE(ReadBeforeDeciding(kRead, later, kNetwork + 7200 + 3601));
  EXPECT_FALSE(ReadBeforeDeciding(kRead, {0, 5000 + 3600, "boot-a"}, kNetwork));
  EXPECT_TRUE(ReadBeforeDeciding(kRead, {0, 10, "boot-b"}, kNetwork + 30 * 86400));
  EXPECT_TRUE(ReadBeforeDeciding({}, {kNetwork, 1, "boot-a"}, kNetwork + 30 * 86400));
}

// A time page that is down is asked once every few minutes while the reading is stale, not at every
// 30-second check; a fresh read ends the asking.
TEST(NetworkClock, AsksForAReadOnlyWhileStaleAndNotAtEveryCheck) {
  ComputerTime now{kNetwork, 100, "boot-a"};
  NetworkClock clock([&now] { return now; });
  EXPECT_TRUE(clock.AskRead(kNetwork));
  now.monotonic += 30;
  EXPECT_FALSE(clock.AskRead(kNetwork));
  now.monotonic += 300;
  EXPECT_TRUE(clock.AskRead(kNetwork));
  clock.Answered(kNetwork + 330);
  now.monotonic += 300;
  EXPECT_FALSE(clock.AskRead(kNetwork));
  EXPECT_EQ(clock.Now(), kNetwork + 630);
  // A kept reading of an earlier process does not replace this process's fresh one.
  clock.Restore({kNetwork - kYear, {kNetwork, 1, "boot-old"}});
  EXPECT_EQ(clock.Now(), kNetwork + 630);
}

}  // namespace
}  // namespace korvan
