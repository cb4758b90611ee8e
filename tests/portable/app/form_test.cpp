#include "app/form/form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace korvan {
namespace {

TEST(MainForm, EveryRowStandsAtItsOwnPlaceAndId) {
  const auto& form = MainForm();
  ASSERT_EQ(form.size(), 19u);
  for (std::size_t i = 0; i < form.size(); ++i)
    EXPECT_EQ(static_cast<std::size_t>(form[i].control), i) << form[i].formName;
}

// What the design fixes and the window's own check (tests/e2e) cannot see or reads by id: the two
// HTML viewers and the timers, and the ids of the boxes and the button the handlers and the e2e
// look up. A row moved in the table, or a viewer's place changed, shows here.
TEST(MainForm, ControlsTheProgramReachesByRoleHaveTheirDesignIdAndPlace) {
  struct Case {
    FormControl control;
    int id;
    std::string formName;
    ControlKind kind;
    int left, top, width, height;
  };
  using C = FormControl;
  using K = ControlKind;
  const Case cases[] = {
      {C::NoticeView, 1001, "超文本浏览框2", K::HtmlViewer, -3, 256, 560, 408},
      {C::StatusTimer, 1002, "时钟3", K::Timer, 0, 0, 0, 0},
      {C::StatusLabel, 1003, "透明标签1", K::TransparentLabel, 248, 224, 152, 24},
      {C::SiteView, 1004, "超文本浏览框1", K::HtmlViewer, 456, 80, 100, 100},
      {C::RestartTimer, 1006, "时钟2", K::Timer, 0, 0, 0, 0},
      {C::RenewTimer, 1007, "时钟1", K::Timer, 0, 0, 0, 0},
      {C::RenewHoursBox, 1012, "编辑框_jk", K::EditBox, 240, 8, 56, 24},
      {C::LogBox, 1016, "编辑框_jl", K::EditBox, 3, 80, 433, 136},
      {C::SaveButton, 1017, "按钮_保存", K::Button, 372, 16, 56, 48},
      {C::PasswordBox, 1018, "编辑框_pass", K::EditBox, 38, 48, 112, 24},
      {C::RestartHoursBox, 1019, "编辑框_cq", K::EditBox, 240, 48, 58, 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.formName);
    const ControlSpec& spec = FormControlSpec(c.control);
    EXPECT_EQ(ControlId(c.control), c.id);
    EXPECT_EQ(std::string(spec.formName), c.formName);
    EXPECT_EQ(spec.kind, c.kind);
    EXPECT_EQ(spec.left, c.left);
    EXPECT_EQ(spec.top, c.top);
    EXPECT_EQ(spec.width, c.width);
    EXPECT_EQ(spec.height, c.height);
  }
}

TEST(MainForm, NoTwoVisibleControlsOverlap) {
  const auto& form = MainForm();
  for (const auto& a : form) {
    for (const auto& b : form) {
      if (&a >= &b || a.kind == ControlKind::Timer || b.kind == ControlKind::Timer) continue;
      const bool apart = a.left + a.width <= b.left || b.left + b.width <= a.left || a.top + a.height <= b.top ||
                         b.top + b.height <= a.top;
      EXPECT_TRUE(apart) << a.formName << " overlaps " << b.formName;
    }
  }
}

TEST(MainForm, OnlyTheStatusTimerStartsArmed) {
  EXPECT_EQ(FormControlSpec(FormControl::StatusTimer).interval, 1000);
  EXPECT_EQ(FormControlSpec(FormControl::RestartTimer).interval, 0);
  EXPECT_EQ(FormControlSpec(FormControl::RenewTimer).interval, 0);
}

TEST(MainForm, InitialContentsAndEntryKinds) {
  struct Case {
    FormControl control;
    std::string text;
    std::uint32_t flags;
  };
  const Case cases[] = {
      {FormControl::UserBox, "", 0},
      {FormControl::PasswordBox, "", kPasswordEntry},
      {FormControl::RenewHoursBox, "10", kIntegerEntry},
      {FormControl::RestartHoursBox, "24", kIntegerEntry},
      {FormControl::StatusLabel, "", 0},
      {FormControl::UserLabel, "user", 0},
      {FormControl::PasswordLabel, "pass", 0},
      {FormControl::RenewLabel, "\xBC\xE0\xBF\xD8\xCA\xB1\xBC\xE4", 0},    // 监控时间
      {FormControl::RenewUnitLabel, "\xD0\xA1\xCA\xB1", 0},                // 小时
      {FormControl::RestartLabel, "\xC8\xED\xBC\xFE\xD6\xD8\xC6\xF4", 0},  // 软件重启
      {FormControl::RestartUnitLabel, "\xD0\xA1\xCA\xB1", 0},              // 小时
      {FormControl::SaveButton, "\xB1\xA3\xB4\xE6\xC5\xE4\xD6\xC3", 0},    // 保存配置
      {FormControl::SignupLink,
       "\xC3\xE2\xB7\xD1\xD3\xC0\xBE\xC3"
       "VPS \xB5\xE3\xBB\xF7\xC9\xEA\xC7\xEB",
       0},  // 免费永久VPS 点击申请
  };
  for (const auto& c : cases) {
    const auto& spec = FormControlSpec(c.control);
    SCOPED_TRACE(spec.formName);
    EXPECT_EQ(spec.text, c.text);
    EXPECT_EQ(spec.flags, c.flags);
  }
}

// The hosts as the build was configured (KORVAN_*_HOST), handed to the tests as text of their own.
TEST(MainForm, AddressesComeFromTheConfiguredHosts) {
  const std::string maker = KORVAN_TEST_MAKER_HOST;
  const std::string signup = "http://" KORVAN_TEST_SIGNUP_HOST "/free.asp?rid=40206";
  EXPECT_EQ(FormControlSpec(FormControl::NoticeView).text, "http://" + maker + "/zs/zuixinxx/gg.htm");
  EXPECT_EQ(FormControlSpec(FormControl::NoticeView).flags, kSilent);
  EXPECT_EQ(FormControlSpec(FormControl::SiteView).text, "http://" KORVAN_TEST_SITE_HOST "/");
  EXPECT_EQ(FormControlSpec(FormControl::SiteView).flags, kSilent | kOffline);
  EXPECT_EQ(FormControlSpec(FormControl::SignupLink).target, signup);
  // Two lines, each ended by CR LF: 【maker】 and "永久免费VPS " with the sign-up address.
  EXPECT_EQ(FormControlSpec(FormControl::LogBox).text,
            "\xA1\xBE" + maker + "\xA1\xBF\r\n\xD3\xC0\xBE\xC3\xC3\xE2\xB7\xD1VPS " + signup + "\r\n");
  EXPECT_EQ(FormControlSpec(FormControl::LogBox).flags, kMultiLine);
  EXPECT_EQ(MainWindowSpec().caption, "Korvan\xA1\xBE" + maker + "\xA1\xBF");
  EXPECT_EQ(MainWindowSpec().outerWidth, 458);
  EXPECT_EQ(MainWindowSpec().outerHeight, 416);
}

TEST(MainForm, TabVisitsEveryBoxAndTheButtonOnceEachWay) {
  using C = FormControl;
  struct Step {
    std::optional<C> from;
    C forward;
    C backward;
  };
  const Step steps[] = {
      {std::nullopt, C::UserBox, C::LogBox},  // nothing focused yet
      {C::UserBox, C::PasswordBox, C::LogBox},
      {C::PasswordBox, C::RenewHoursBox, C::UserBox},
      {C::RenewHoursBox, C::RestartHoursBox, C::PasswordBox},
      {C::RestartHoursBox, C::SaveButton, C::RenewHoursBox},
      {C::SaveButton, C::LogBox, C::RestartHoursBox},
      {C::LogBox, C::UserBox, C::SaveButton},
      {C::RenewLabel, C::UserBox, C::LogBox},  // a label never has the focus; start over
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.from ? std::string(FormControlSpec(*step.from).formName) : "none");
    EXPECT_EQ(NextInTabOrder(step.from, false), step.forward);
    EXPECT_EQ(NextInTabOrder(step.from, true), step.backward);
  }
  // Every control that takes typing or a click from the keyboard is on the way, exactly once.
  std::vector<C> focusable;
  for (const auto& spec : MainForm()) {
    if (spec.kind == ControlKind::EditBox || spec.kind == ControlKind::Button) focusable.push_back(spec.control);
  }
  std::vector<C> order = TabOrder();
  std::sort(order.begin(), order.end());
  EXPECT_EQ(order, focusable);
}

}  // namespace
}  // namespace korvan
