#include "app/form/form.h"

#include <algorithm>

#include "korvan/hosts.h"

namespace korvan {
namespace {

// Code page 936 texts of the form.
constexpr char kHours[] = "\xD0\xA1\xCA\xB1";                           // 小时
constexpr char kRestartCaption[] = "\xC8\xED\xBC\xFE\xD6\xD8\xC6\xF4";  // 软件重启
constexpr char kRenewCaption[] = "\xBC\xE0\xBF\xD8\xCA\xB1\xBC\xE4";    // 监控时间
constexpr char kSaveCaption[] = "\xB1\xA3\xB4\xE6\xC5\xE4\xD6\xC3";     // 保存配置
constexpr char kOpenBracket[] = "\xA1\xBE";                             // 【
constexpr char kCloseBracket[] = "\xA1\xBF";                            // 】
constexpr char kFreeVps[] =
    "\xD3\xC0\xBE\xC3\xC3\xE2\xB7\xD1"
    "VPS ";  // 永久免费VPS
constexpr char kSignupCaption[] =
    "\xC3\xE2\xB7\xD1\xD3\xC0\xBE\xC3"
    "VPS \xB5\xE3\xBB\xF7\xC9\xEA\xC7\xEB";  // 免费永久VPS 点击申请

std::vector<ControlSpec> BuildForm() {
  using K = ControlKind;
  using C = FormControl;
  const Text logText = JoinTexts(kOpenBracket, hosts::kMaker, kCloseBracket, "\r\n", kFreeVps, SignupAddress(), "\r\n");
  return {
      {C::NoticeView, K::HtmlViewer, "超文本浏览框2", -3, 256, 560, 408, NoticePageAddress(), {}, 0, kSilent},
      {C::StatusTimer, K::Timer, "时钟3", 0, 0, 0, 0, {}, {}, 1000, 0},
      {C::StatusLabel, K::TransparentLabel, "透明标签1", 248, 224, 152, 24, {}, {}, 0, 0},
      {C::SiteView,
       K::HtmlViewer,
       "超文本浏览框1",
       456,
       80,
       100,
       100,
       JoinTexts(SiteRootAddress(), "/"),
       {},
       0,
       kSilent | kOffline},
      {C::SignupLink, K::Hyperlink, "超级链接框1", 32, 224, 200, 24, kSignupCaption, SignupAddress(), 0, 0},
      {C::RestartTimer, K::Timer, "时钟2", 0, 0, 0, 0, {}, {}, 0, 0},
      {C::RenewTimer, K::Timer, "时钟1", 0, 0, 0, 0, {}, {}, 0, 0},
      {C::UserBox, K::EditBox, "编辑框_user", 39, 11, 112, 24, {}, {}, 0, 0},
      {C::RestartUnitLabel, K::Label, "标签7", 315, 48, 40, 24, kHours, {}, 0, 0},
      {C::RestartLabel, K::Label, "标签5", 160, 48, 64, 24, kRestartCaption, {}, 0, 0},
      {C::RenewUnitLabel, K::Label, "标签4", 312, 8, 48, 24, kHours, {}, 0, 0},
      {C::RenewHoursBox, K::EditBox, "编辑框_jk", 240, 8, 56, 24, "10", {}, 0, kIntegerEntry},
      {C::RenewLabel, K::Label, "标签3", 160, 8, 80, 24, kRenewCaption, {}, 0, 0},
      {C::PasswordLabel, K::Label, "标签2", 8, 40, 24, 24, "pass", {}, 0, 0},
      {C::UserLabel, K::Label, "标签1", 8, 8, 24, 24, "user", {}, 0, 0},
      {C::LogBox, K::EditBox, "编辑框_jl", 3, 80, 433, 136, logText, {}, 0, kMultiLine},
      {C::SaveButton, K::Button, "按钮_保存", 372, 16, 56, 48, kSaveCaption, {}, 0, 0},
      {C::PasswordBox, K::EditBox, "编辑框_pass", 38, 48, 112, 24, {}, {}, 0, kPasswordEntry},
      {C::RestartHoursBox, K::EditBox, "编辑框_cq", 240, 48, 58, 24, "24", {}, 0, kIntegerEntry},
  };
}

}  // namespace

Text NoticePageAddress() { return JoinTexts("http://", hosts::kMaker, "/zs/zuixinxx/gg.htm"); }
Text SiteRootAddress() { return JoinTexts("http://", hosts::kSite); }
Text SignupAddress() { return JoinTexts("http://", hosts::kSignup, "/free.asp?rid=40206"); }

const std::vector<ControlSpec>& MainForm() {
  static const std::vector<ControlSpec> form = BuildForm();
  return form;
}

const ControlSpec& FormControlSpec(FormControl control) { return MainForm()[static_cast<std::size_t>(control)]; }

const std::vector<FormControl>& TabOrder() {
  static const std::vector<FormControl> order = {FormControl::UserBox,       FormControl::PasswordBox,
                                                 FormControl::RenewHoursBox, FormControl::RestartHoursBox,
                                                 FormControl::SaveButton,    FormControl::LogBox};
  return order;
}

FormControl NextInTabOrder(std::optional<FormControl> from, bool backwards) {
  const auto& order = TabOrder();
  const auto at = from ? std::find(order.begin(), order.end(), *from) : order.end();
  if (at == order.end()) return backwards ? order.back() : order.front();
  if (backwards) return at == order.begin() ? order.back() : *(at - 1);
  return at + 1 == order.end() ? order.front() : *(at + 1);
}

WindowSpec MainWindowSpec() {
  WindowSpec window;
  window.caption = JoinTexts("Korvan", kOpenBracket, hosts::kMaker, kCloseBracket);
  return window;
}

}  // namespace korvan
