#include "app/main_window/form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "korvan/hosts.h"

namespace korvan {
namespace {

struct Expected {
  std::string formName;
  ControlKind kind;
  int left, top, width, height;
};

// The form as the design lists it, in its order.
const Expected kDesign[] = {
    {"超文本浏览框2", ControlKind::HtmlViewer, -3, 256, 560, 408},
    {"时钟3", ControlKind::Timer, 0, 0, 0, 0},
    {"透明标签1", ControlKind::TransparentLabel, 248, 224, 152, 24},
    {"超文本浏览框1", ControlKind::HtmlViewer, 456, 80, 100, 100},
    {"超级链接框1", ControlKind::Hyperlink, 32, 224, 200, 24},
    {"时钟2", ControlKind::Timer, 0, 0, 0, 0},
    {"时钟1", ControlKind::Timer, 0, 0, 0, 0},
    {"编辑框_user", ControlKind::EditBox, 39, 11, 112, 24},
    {"标签7", ControlKind::Label, 315, 48, 40, 24},
    {"标签5", ControlKind::Label, 160, 48, 64, 24},
    {"标签4", ControlKind::Label, 312, 8, 48, 24},
    {"编辑框_jk", ControlKind::EditBox, 240, 8, 56, 24},
    {"标签3", ControlKind::Label, 160, 8, 80, 24},
    {"标签2", ControlKind::Label, 8, 40, 24, 24},
    {"标签1", ControlKind::Label, 8, 8, 24, 24},
    {"编辑框_jl", ControlKind::EditBox, 3, 80, 433, 136},
    {"按钮_保存", ControlKind::Button, 372, 16, 56, 48},
    {"编辑框_pass", ControlKind::EditBox, 38, 48, 112, 24},
    {"编辑框_cq", ControlKind::EditBox, 240, 48, 58, 24},
};

TEST(MainForm, HasTheNineteenControlsOfTheDesignInOrderWithTheirGeometry) {
  const auto& form = MainForm();
  ASSERT_EQ(form.size(), std::size(kDesign));
  ASSERT_EQ(static_cast<int>(form.size()), kFormControlCount);
  for (std::size_t i = 0; i < form.size(); ++i) {
    SCOPED_TRACE(kDesign[i].formName);
    EXPECT_EQ(std::string(form[i].formName), kDesign[i].formName);
    EXPECT_EQ(static_cast<std::size_t>(form[i].control), i);
    EXPECT_EQ(form[i].kind, kDesign[i].kind);
    EXPECT_EQ(form[i].left, kDesign[i].left);
    EXPECT_EQ(form[i].top, kDesign[i].top);
    EXPECT_EQ(form[i].width, kDesign[i].width);
    EXPECT_EQ(form[i].height, kDesign[i].height);
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

TEST(MainForm, AddressesComeFromTheConfiguredHosts) {
  const std::string maker = hosts::kMaker;
  const std::string signup = std::string("http://") + hosts::kSignup + "/free.asp?rid=40206";
  EXPECT_EQ(FormControlSpec(FormControl::NoticeView).text, "http://" + maker + "/zs/zuixinxx/gg.htm");
  EXPECT_EQ(FormControlSpec(FormControl::NoticeView).flags, kSilent);
  EXPECT_EQ(FormControlSpec(FormControl::SiteView).text, std::string("http://") + hosts::kSite + "/");
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
