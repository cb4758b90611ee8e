#include "app/main_window/monitor_schedule.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/form/form.h"
#include "app/form/form_controls.h"
#include "app/form/status_caption.h"
#include "run/renewal_period.h"
#include "portable/fake_controls.h"
#include "renewal/panel_state.h"
#include "runtime/datetime/numbers.h"

namespace korvan {
namespace {

using testing::FakeClock;
using testing::Faked;
using testing::FakeEditBoxPlatform;
using testing::FakeHtmlViewPlatform;
using testing::FakeLabelPlatform;
using testing::FakeTimerPlatform;

constexpr char kRunningFilled[] = "\xBC\xE0\xBF\xD8\xD4\xCB\xD0\xD0\xD6\xD0 \xA1\xF1";  // 监控运行中 ●
constexpr char kRunningHollow[] = "\xBC\xE0\xBF\xD8\xD4\xCB\xD0\xD0\xD6\xD0 \xA1\xF0";  // 监控运行中 ○
constexpr char kPaused[] = "\xBC\xE0\xBF\xD8\xD4\xDD\xCD\xA3\xD6\xD0 \xA1\xF1";         // 监控暂停中 ●
constexpr char kAbnormal[] =
    "\xBC\xE0\xBF\xD8\xD2\xEC\xB3\xA3\xD6\xD0\xA3\xAC\xC7\xEB\xD6\xD8\xC6\xF4 \xA1\xF1";  // 监控异常中，请重启 ●

template <typename Kind, typename Face>
using Fake = Faked<Kind, Face>;

// Adds a control on a fake face to the form and gives the fake.
template <typename Kind, typename Face, typename... Arguments>
Fake<Kind, Face>& AddFake(FormControl id, Arguments&&... arguments) {
  auto control = std::make_unique<Fake<Kind, Face>>(std::forward<Arguments>(arguments)...);
  Fake<Kind, Face>& added = *control;
  MainFormControls().Add(id, std::move(control));
  return added;
}

// The form's boxes, timers, status label and notice view on fakes, bound as the window binds them.
// The single-line boxes echo writes as changes, as they do under Wine.
class ScheduleForm : public ::testing::Test {
 protected:
  ScheduleForm() {
    userControl.Attach(user);
    passwordControl.Attach(password);
    renewHoursControl.Attach(renewHours);
    restartHoursControl.Attach(restartHours);
    renewTimerControl.Attach(renewTimer);
    restartTimerControl.Attach(restartTimer);
    const EventBinding bindings[] = {
        {FormControl::RenewHoursBox, ControlEvent::ContentChanged, OnRenewHoursChanged},
        {FormControl::RestartHoursBox, ControlEvent::ContentChanged, OnRestartHoursChanged},
    };
    EXPECT_TRUE(BindEvents(MainFormControls(), bindings));
    blinkStep() = 0;
    loginOk().store(false);
  }
  ~ScheduleForm() override {
    MainFormControls().Clear();
    loginOk().store(false);
  }

  // A configured start with everything filled in.
  void FillAll() {
    user.SetContent("me");
    password.SetContent("secret");
    renewHours.SetContent("10");
    restartHours.SetContent("24");
  }

  std::vector<std::string> StatusOverTicks(int ticks) {
    std::vector<std::string> captions;
    for (int i = 0; i < ticks; ++i) {
      OnStatusTick();
      captions.push_back(status.Caption());
    }
    return captions;
  }

  FakeClock clock;
  Fake<EditBox, FakeEditBoxPlatform>& user = AddFake<EditBox, FakeEditBoxPlatform>(FormControl::UserBox, true);
  Fake<EditBox, FakeEditBoxPlatform>& password = AddFake<EditBox, FakeEditBoxPlatform>(FormControl::PasswordBox, true);
  Fake<EditBox, FakeEditBoxPlatform>& renewHours =
      AddFake<EditBox, FakeEditBoxPlatform>(FormControl::RenewHoursBox, true);
  Fake<EditBox, FakeEditBoxPlatform>& restartHours =
      AddFake<EditBox, FakeEditBoxPlatform>(FormControl::RestartHoursBox, true);
  FakeEditBoxPlatform& userControl = user.FakePlatform();
  FakeEditBoxPlatform& passwordControl = password.FakePlatform();
  FakeEditBoxPlatform& renewHoursControl = renewHours.FakePlatform();
  FakeEditBoxPlatform& restartHoursControl = restartHours.FakePlatform();
  Fake<Timer, FakeTimerPlatform>& renewTimer = AddFake<Timer, FakeTimerPlatform>(FormControl::RenewTimer, clock);
  Fake<Timer, FakeTimerPlatform>& restartTimer = AddFake<Timer, FakeTimerPlatform>(FormControl::RestartTimer, clock);
  FakeTimerPlatform& renewTimerControl = renewTimer.FakePlatform();
  FakeTimerPlatform& restartTimerControl = restartTimer.FakePlatform();
  Fake<Label, FakeLabelPlatform>& status = AddFake<Label, FakeLabelPlatform>(FormControl::StatusLabel);
  Fake<HtmlView, FakeHtmlViewPlatform>& notice = AddFake<HtmlView, FakeHtmlViewPlatform>(FormControl::NoticeView);
  FakeHtmlViewPlatform& noticeControl = notice.FakePlatform();
};

TEST_F(ScheduleForm, PeriodBoxesArmTheirTimersInHours) {
  struct Case {
    std::string text;
    std::string shown;
    std::int32_t interval;
  };
  const Case cases[] = {
      {"10", "10", 36000000},
      {"1", "1", 3600000},
      {"596", "596", 2145600000},
      {"0", "1", 3600000},
      {"", "1", 3600000},
      {"abc", "1", 3600000},
      {"-3", "-3", 0},
      {"\xA3\xB5", "\xA3\xB5", 18000000},  // full-width 5
      // Beyond 596 hours the interval would wrap (1194 hours to under an hour): held at 596.
      {"597", "596", 2145600000},
      {"1194", "596", 2145600000},
      {"99999999999", "596", 2145600000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    renewHours.SetContent(c.text);
    EXPECT_EQ(renewHours.Content(), c.shown);
    EXPECT_EQ(renewTimer.Interval(), c.interval);
    restartHoursControl.Type(c.text);
    EXPECT_EQ(restartHours.Content(), c.shown);
    EXPECT_EQ(restartTimer.Interval(), c.interval);
  }
}

TEST_F(ScheduleForm, RewritingTheSamePeriodKeepsTheCountdown) {
  renewHours.SetContent("1");
  renewTimerControl.Advance(1800000);
  renewHours.SetContent("1");
  EXPECT_EQ(renewTimerControl.Due(), 3600000);
  renewHours.SetContent("2");
  EXPECT_EQ(renewTimerControl.Due(), 1800000 + 7200000);
}

TEST_F(ScheduleForm, ANegativePeriodStopsTheCountdown) {
  renewHours.SetContent("3");
  ASSERT_TRUE(renewTimerControl.Running());
  renewHours.SetContent("-2");
  EXPECT_EQ(renewHours.Content(), "-2");
  EXPECT_EQ(renewTimer.Interval(), 0);
  EXPECT_FALSE(renewTimerControl.Running());
  int ticks = 0;
  renewTimer.SetTickHandler([&] { ++ticks; });
  renewTimerControl.Advance(600LL * 3600000);
  EXPECT_EQ(ticks, 0);
}

TEST_F(ScheduleForm, EveryNegativePeriodStopsItsTimerAndPausesTyped) {
  // Around each point where hours x 3,600,000 cut to 32 bits turns from negative to positive.
  const char* const periods[] = {"-1",    "-596",    "-597",        "-1193",       "-1194",
                                 "-1790", "-641859", "-2147483647", "-2147483648", "-99999999999"};
  int ticks = 0;
  renewTimer.SetTickHandler([&] { ++ticks; });
  restartTimer.SetTickHandler([&] { ++ticks; });
  for (const char* period : periods) {
    SCOPED_TRACE(period);
    FillAll();
    ASSERT_TRUE(renewTimerControl.Running() && restartTimerControl.Running());
    renewHoursControl.Type(period);
    restartHours.SetContent(period);
    EXPECT_EQ(renewHours.Content(), period);
    EXPECT_EQ(renewTimer.Interval(), 0);
    EXPECT_EQ(restartTimer.Interval(), 0);
    EXPECT_FALSE(renewTimerControl.Running());
    EXPECT_FALSE(restartTimerControl.Running());
    ticks = 0;
    renewTimerControl.Advance(700LL * 3600000);
    restartTimerControl.Advance(700LL * 3600000);
    EXPECT_EQ(ticks, 0);
    loginOk().store(true);
    EXPECT_EQ(StatusOverTicks(1), (std::vector<std::string>{kPaused}));
  }
}

TEST_F(ScheduleForm, EveryNegativePeriodLoadedAtStartStopsItsTimerAndPauses) {
  struct Case {
    const char* renew;
    const char* restart;
    std::int32_t renewInterval;
    std::int32_t restartInterval;
  };
  const Case cases[] = {
      {"-597", "24", 0, 86400000},      {"10", "-1193", 36000000, 0},   {"-641859", "-1790", 0, 0},
      {"-2147483648", "1", 0, 3600000}, {"596", "-596", 2145600000, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.renew) + " / " + c.restart);
    renewHours.SetContent("5");
    restartHours.SetContent("5");
    // As the configuration fills the boxes, then the created handler arms the timers from them.
    user.SetContent("me");
    password.SetContent("secret");
    renewHours.SetContent(c.renew);
    restartHours.SetContent(c.restart);
    ArmPeriodTimers();
    EXPECT_EQ(renewTimer.Interval(), c.renewInterval);
    EXPECT_EQ(restartTimer.Interval(), c.restartInterval);
    EXPECT_EQ(renewTimerControl.Running(), c.renewInterval > 0);
    EXPECT_EQ(restartTimerControl.Running(), c.restartInterval > 0);
    loginOk().store(true);
    EXPECT_EQ(StatusOverTicks(1), (std::vector<std::string>{kPaused}));
  }
}

TEST_F(ScheduleForm, ArmingFromTheBoxesConvertsLikeTheirHandlers) {
  // Even with a box written behind its handler's back, the timer never gets a wrapped interval.
  struct Case {
    const char* text;
    std::int32_t interval;
  };
  const Case cases[] = {{"10", 36000000},     {"596", 2145600000}, {"597", 2145600000},
                        {"1194", 2145600000}, {"-1193", 0},        {"-1", 0}};
  renewHours.SetChangedHandler(nullptr);
  restartHours.SetChangedHandler(nullptr);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    renewHours.SetContent(c.text);
    restartHours.SetContent(c.text);
    ArmPeriodTimers();
    EXPECT_EQ(renewTimer.Interval(), c.interval);
    EXPECT_EQ(restartTimer.Interval(), c.interval);
    EXPECT_EQ(PeriodInterval(ToInteger(std::string_view(c.text))), c.interval);
  }
}

TEST_F(ScheduleForm, TypingAPeriodReArmsAtEveryKeystroke) {
  // The user types "1", "12", "120" a minute apart: each value counts from its own keystroke.
  struct Keystroke {
    std::string text;
    std::int64_t due;
  };
  const Keystroke keystrokes[] = {
      {"1", 0 + 3600000}, {"12", 60000 + 12LL * 3600000}, {"120", 120000 + 120LL * 3600000}};
  int starts = 0;
  for (const auto& k : keystrokes) {
    SCOPED_TRACE(k.text);
    renewHoursControl.Type(k.text);
    EXPECT_EQ(renewTimerControl.Due(), k.due);
    EXPECT_EQ(renewTimerControl.starts, ++starts);
    renewTimerControl.Advance(60000);
  }
  // Backspacing to "12" again is a new period as well.
  renewHoursControl.Type("12");
  EXPECT_EQ(renewTimerControl.Due(), 180000 + 12LL * 3600000);
}

TEST_F(ScheduleForm, EachPausedConditionAloneOverridesTheBlink) {
  struct Case {
    const char* what;
    std::function<void()> spoil;
  };
  const Case cases[] = {
      {"renewal timer stopped", [this] { renewHours.SetContent("-1"); }},
      {"restart timer stopped", [this] { restartHours.SetContent("-1"); }},
      {"user name empty", [this] { user.SetContent(""); }},
      {"password empty", [this] { password.SetContent(""); }},
      // Emptied through its handler a period box shows "1" at once; with the handler unbound the box
      // stays empty while its timer keeps running, which only the box test catches.
      {"restart box empty",
       [this] {
         restartHours.SetChangedHandler(nullptr);
         restartHours.SetContent("");
       }},
      {"renewal box empty",
       [this] {
         renewHours.SetChangedHandler(nullptr);
         renewHours.SetContent("");
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    renewHours.SetChangedHandler(OnRenewHoursChanged);
    restartHours.SetChangedHandler(OnRestartHoursChanged);
    FillAll();
    loginOk().store(true);
    blinkStep() = 0;
    ASSERT_EQ(StatusOverTicks(1), (std::vector<std::string>{kRunningFilled}));
    c.spoil();
    // Paused wins over both the blink and the abnormal state.
    EXPECT_EQ(StatusOverTicks(2), (std::vector<std::string>{kPaused, kPaused}));
    loginOk().store(false);
    EXPECT_EQ(StatusOverTicks(1), (std::vector<std::string>{kPaused}));
  }
}

TEST_F(ScheduleForm, BlinksOverEightTicksAndReloadsTheNoticeOnTicksFourAndEight) {
  FillAll();
  loginOk().store(true);
  const std::string expected[] = {kRunningFilled, kRunningHollow, kRunningFilled, kRunningHollow,
                                  kRunningFilled, kRunningHollow, kRunningFilled, kRunningHollow};
  const std::size_t reloadsAfter[] = {0, 0, 0, 1, 1, 1, 1, 2};
  for (int tick = 0; tick < 8; ++tick) {
    SCOPED_TRACE(tick + 1);
    OnStatusTick();
    EXPECT_EQ(status.Caption(), expected[tick]);
    EXPECT_EQ(noticeControl.navigations.size(), reloadsAfter[tick]);
  }
  EXPECT_EQ(blinkStep(), 0);
}

TEST_F(ScheduleForm, StatusIsPausedUntilEverythingIsSet) {
  loginOk().store(true);
  EXPECT_EQ(StatusOverTicks(1), (std::vector<std::string>{kPaused}));  // first use: timers disarmed
  FillAll();
  password.SetContent("");
  EXPECT_EQ(StatusOverTicks(1), (std::vector<std::string>{kPaused}));
  password.SetContent("secret");
  renewHours.SetContent("-1");  // a negative period stops its timer
  EXPECT_EQ(StatusOverTicks(1), (std::vector<std::string>{kPaused}));
}

TEST_F(ScheduleForm, StatusIsAbnormalUntilALoginSucceedsThenBlinks) {
  FillAll();
  EXPECT_EQ(StatusOverTicks(2), (std::vector<std::string>{kAbnormal, kAbnormal}));
  loginOk().store(true);
  EXPECT_EQ(StatusOverTicks(4),
            (std::vector<std::string>{kRunningFilled, kRunningHollow, kRunningFilled, kRunningHollow}));
  // A later wrong password turns it abnormal again; the next successful login blinks again.
  loginOk().store(false);
  EXPECT_EQ(StatusOverTicks(2), (std::vector<std::string>{kAbnormal, kAbnormal}));
  loginOk().store(true);
  EXPECT_EQ(StatusOverTicks(2), (std::vector<std::string>{kRunningFilled, kRunningHollow}));
}

// A failing renewal blinks where 监控运行中 would, and the abnormal and paused states still win.
TEST_F(ScheduleForm, AFailingRenewalTakesTheRunningTextsPlace) {
  const std::string failed = "\xC9\xCF\xB4\xCE\xD0\xF8\xC6\xDA\xCE\xB4\xB3\xC9\xB9\xA6 ";  // 上次续期未成功
  FillAll();
  shownStanding() = {.shown = true, .lastRunFailed = true};
  EXPECT_EQ(StatusOverTicks(1), (std::vector<std::string>{kAbnormal}));
  loginOk().store(true);
  EXPECT_EQ(StatusOverTicks(2), (std::vector<std::string>{failed + "\xA1\xF0", failed + "\xA1\xF1"}));
  password.SetContent("");
  EXPECT_EQ(StatusOverTicks(1), (std::vector<std::string>{kPaused}));
  shownStanding() = {};
}

TEST_F(ScheduleForm, NoticeViewReloadsEveryFourthTickInEveryState) {
  StatusOverTicks(9);  // paused all along
  EXPECT_EQ(noticeControl.navigations, (std::vector<std::string>{NoticePageAddress(), NoticePageAddress()}));
  EXPECT_EQ(blinkStep(), 1);
}

}  // namespace
}  // namespace korvan
