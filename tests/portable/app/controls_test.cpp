#include "app/controls/controls.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "portable/fake_controls.h"

namespace korvan {
namespace {

using testing::FakeClock;
using testing::Faked;
using testing::FakeEditBoxPlatform;
using testing::FakeHtmlViewPlatform;
using testing::FakeTimerPlatform;

class EditBoxEvents : public ::testing::TestWithParam<bool> {};

// Both kinds of platform box: one that echoes writes as changes, one that stays quiet.
INSTANTIATE_TEST_SUITE_P(EchoingAndQuietControls, EditBoxEvents, ::testing::Bool());

TEST_P(EditBoxEvents, ProgramWriteRaisesChangedOnceWithTheNewTextInPlace) {
  Faked<EditBox, FakeEditBoxPlatform> box(GetParam());
  FakeEditBoxPlatform& control = box.FakePlatform();
  control.Attach(box);
  std::vector<Text> seen;
  box.SetChangedHandler([&] { seen.push_back(box.Content()); });

  box.SetContent("10");
  box.SetContent("10");  // unchanged text still raises the event
  box.SetContent("");

  EXPECT_EQ(seen, (std::vector<Text>{"10", "10", ""}));
}

TEST_P(EditBoxEvents, TypingRaisesChangedOnEveryChange) {
  Faked<EditBox, FakeEditBoxPlatform> box(GetParam());
  FakeEditBoxPlatform& control = box.FakePlatform();
  control.Attach(box);
  std::vector<Text> seen;
  box.SetChangedHandler([&] { seen.push_back(box.Content()); });

  control.Type("1");
  control.Type("12");

  EXPECT_EQ(seen, (std::vector<Text>{"1", "12"}));
}

TEST_P(EditBoxEvents, HandlerThatRewritesTheBoxGetsAFreshEvent) {
  // A period box repairs "0" to "1" from inside its own handler; the repair must raise once more.
  Faked<EditBox, FakeEditBoxPlatform> box(GetParam());
  FakeEditBoxPlatform& control = box.FakePlatform();
  control.Attach(box);
  std::vector<Text> seen;
  box.SetChangedHandler([&] {
    seen.push_back(box.Content());
    if (box.Content() == "0") box.SetContent("1");
  });

  box.SetContent("0");

  EXPECT_EQ(seen, (std::vector<Text>{"0", "1"}));
  EXPECT_EQ(box.Content(), "1");
}

struct TimerFixture {
  FakeClock clock;
  Faked<Timer, FakeTimerPlatform> timer{clock};
  FakeTimerPlatform& control = timer.FakePlatform();
  int ticks = 0;
  TimerFixture() {
    control.Attach(timer);
    timer.SetTickHandler([this] { ++ticks; });
  }
};

TEST(Timer, StartsDisarmedAndStoresNegativeIntervalsAsZero) {
  TimerFixture f;
  EXPECT_EQ(f.timer.Interval(), 0);
  f.timer.SetInterval(1000);
  f.timer.SetInterval(-3 * 3600000);
  EXPECT_EQ(f.timer.Interval(), 0);
  EXPECT_FALSE(f.control.Running());
  f.control.Advance(10000);
  EXPECT_EQ(f.ticks, 0);
}

TEST(Timer, TicksEveryIntervalAfterArming) {
  TimerFixture f;
  f.timer.SetInterval(1000);
  f.control.Advance(999);
  EXPECT_EQ(f.ticks, 0);
  f.control.Advance(1);
  EXPECT_EQ(f.ticks, 1);
  f.control.Advance(3000);
  EXPECT_EQ(f.ticks, 4);
  EXPECT_EQ(f.timer.Interval(), 1000);
}

TEST(Timer, WritingTheSameIntervalKeepsTheCountdownRunning) {
  TimerFixture f;
  f.timer.SetInterval(1000);
  f.control.Advance(600);
  f.timer.SetInterval(1000);
  f.control.Advance(400);
  EXPECT_EQ(f.ticks, 1);
  EXPECT_EQ(f.control.starts, 1);
}

TEST(Timer, WritingAnotherIntervalRestartsTheCountdownFromNow) {
  TimerFixture f;
  f.timer.SetInterval(1000);
  f.control.Advance(600);
  f.timer.SetInterval(2000);
  f.control.Advance(1999);
  EXPECT_EQ(f.ticks, 0);
  f.control.Advance(1);
  EXPECT_EQ(f.ticks, 1);
  EXPECT_EQ(f.timer.Interval(), 2000);
}

TEST(Timer, ZeroStopsAndLaterIntervalStartsAgain) {
  TimerFixture f;
  f.timer.SetInterval(1000);
  f.timer.SetInterval(0);
  f.control.Advance(5000);
  EXPECT_EQ(f.ticks, 0);
  EXPECT_EQ(f.timer.Interval(), 0);
  f.timer.SetInterval(1000);
  f.control.Advance(1000);
  EXPECT_EQ(f.ticks, 1);
}

TEST(Timer, LongestPeriodIsKeptExactly) {
  TimerFixture f;
  f.timer.SetInterval(2145600000);  // 596 hours
  EXPECT_EQ(f.timer.Interval(), 2145600000);
  EXPECT_EQ(f.control.Due(), 2145600000);
}

TEST(Timer, TickQueuedBeforeStopIsDropped) {
  TimerFixture f;
  f.timer.SetInterval(1000);
  f.timer.SetInterval(0);
  f.timer.ControlTicked();  // a WM_TIMER that was already in the queue
  EXPECT_EQ(f.ticks, 0);
}

// One step on the fake clock: write the interval (when set) or move the clock on, then read how far
// off the next tick is.
struct DueStep {
  std::optional<std::int32_t> interval;
  std::int64_t advance;
  std::int64_t expected;
};

struct DueCase {
  const char* name;
  std::vector<DueStep> steps;
};

class TimerDue : public ::testing::TestWithParam<DueCase> {};

TEST_P(TimerDue, CountsDownToTheNextTickFromTheMomentItWasArmed) {
  TimerFixture f;
  f.control.Advance(12345);  // the clock does not start at 0
  for (std::size_t i = 0; i < GetParam().steps.size(); ++i) {
    const DueStep& step = GetParam().steps[i];
    if (step.interval) f.timer.SetInterval(*step.interval);
    f.control.Advance(step.advance);
    EXPECT_EQ(f.timer.MillisecondsToNextTick(), step.expected) << "step " << i;
    // Whatever it says, the fake platform timer agrees.
    if (f.control.Running()) {
      EXPECT_EQ(f.control.Due() - f.clock.now, step.expected) << "step " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Steps,
                         TimerDue,
                         ::testing::Values(DueCase{"NotArmed", {{std::nullopt, 5000, 0}, {-1, 0, 0}}},
                                           DueCase{"JustArmed", {{600000, 0, 600000}}},
                                           DueCase{"PartWay", {{600000, 1, 599999}, {std::nullopt, 200000, 399999}}},
                                           DueCase{"AfterTicks", {{1000, 1000, 1000}, {std::nullopt, 2500, 500}}},
                                           DueCase{"SameIntervalKeepsTheCountdown", {{1000, 600, 400}, {1000, 0, 400}}},
                                           DueCase{"OtherIntervalRestartsFromNow",
                                                   {{1000, 600, 400}, {3000, 100, 2900}}},
                                           DueCase{"Stopped", {{1000, 600, 400}, {0, 100, 0}}},
                                           DueCase{"LongestPeriod", {{2145600000, 3600000, 2142000000}}}),
                         [](const ::testing::TestParamInfo<DueCase>& info) { return info.param.name; });

TEST(HtmlView, WritingTheAddressAlwaysNavigates) {
  Faked<HtmlView, FakeHtmlViewPlatform> view;
  FakeHtmlViewPlatform& control = view.FakePlatform();
  view.SetAddress("http://a.example/x");
  view.SetAddress("http://a.example/x");
  EXPECT_EQ(control.navigations, (std::vector<std::string>{"http://a.example/x", "http://a.example/x"}));
  EXPECT_EQ(view.Address(), "http://a.example/x");
}

}  // namespace
}  // namespace korvan
