#include "app/monitor_schedule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/form.h"
#include "app/form_controls.h"
#include "portable/fake_controls.h"
#include "renewal/panel_state.h"

namespace korvan {
namespace {

using testing::FakeClock;
using testing::FakeEditBoxControl;
using testing::FakeHtmlViewControl;
using testing::FakeLabelControl;
using testing::FakeTimerControl;

constexpr char kRunningFilled[] = "\xBC\xE0\xBF\xD8\xD4\xCB\xD0\xD0\xD6\xD0 \xA1\xF1";  // 监控运行中 ●
constexpr char kRunningHollow[] = "\xBC\xE0\xBF\xD8\xD4\xCB\xD0\xD0\xD6\xD0 \xA1\xF0";  // 监控运行中 ○
constexpr char kPaused[] = "\xBC\xE0\xBF\xD8\xD4\xDD\xCD\xA3\xD6\xD0 \xA1\xF1";         // 监控暂停中 ●
constexpr char kAbnormal[] =
    "\xBC\xE0\xBF\xD8\xD2\xEC\xB3\xA3\xD6\xD0\xA3\xAC\xC7\xEB\xD6\xD8\xC6\xF4 \xA1\xF1";  // 监控异常中，请重启 ●

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
    FormControls& form = MainFormControls();
    form = FormControls{};
    form.userBox = &user;
    form.passwordBox = &password;
    form.renewHoursBox = &renewHours;
    form.restartHoursBox = &restartHours;
    form.renewTimer = &renewTimer;
    form.restartTimer = &restartTimer;
    form.statusLabel = &status;
    form.noticeView = &notice;
    renewHours.SetChangedHandler(OnRenewHoursChanged);
    restartHours.SetChangedHandler(OnRestartHoursChanged);
    blinkStep() = 0;
    loginOk().store(false);
  }
  ~ScheduleForm() override {
    MainFormControls() = FormControls{};
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
  FakeEditBoxControl userControl{true}, passwordControl{true}, renewHoursControl{true}, restartHoursControl{true};
  EditBox user{userControl}, password{passwordControl}, renewHours{renewHoursControl}, restartHours{restartHoursControl};
  FakeTimerControl renewTimerControl{clock}, restartTimerControl{clock};
  Timer renewTimer{renewTimerControl}, restartTimer{restartTimerControl};
  FakeLabelControl statusControl;
  Label status{statusControl};
  FakeHtmlViewControl noticeControl;
  HtmlView notice{noticeControl};
};

TEST_F(ScheduleForm, PeriodBoxesArmTheirTimersInHours) {
  struct Case {
    std::string text;
    std::string shown;
    std::int32_t interval;
  };
  const Case cases[] = {
      {"10", "10", 36000000},     {"1", "1", 3600000},        {"596", "596", 2145600000},
      {"0", "1", 3600000},        {"", "1", 3600000},         {"abc", "1", 3600000},
      {"-3", "-3", 0},            {"\xA3\xB5", "\xA3\xB5", 18000000},  // full-width 5
      // Beyond 596 hours the interval would wrap (1194 hours to under an hour): held at 596.
      {"597", "596", 2145600000}, {"1194", "596", 2145600000}, {"99999999999", "596", 2145600000},
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
}

TEST_F(ScheduleForm, NoticeViewReloadsEveryFourthTickInEveryState) {
  StatusOverTicks(9);  // paused all along
  EXPECT_EQ(noticeControl.navigations, (std::vector<std::string>{NoticePageAddress(), NoticePageAddress()}));
  EXPECT_EQ(blinkStep(), 1);
}

}  // namespace
}  // namespace korvan
