// The main window's form as data: the nineteen controls in the form's order, from which the window
// is built and against which the layout is checked.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "runtime/text/text.h"

namespace korvan {

enum class ControlKind { HtmlViewer, Timer, TransparentLabel, Hyperlink, EditBox, Label, Button };

// Each control's place in the form; also its child window id (kFirstControlId + index).
enum class FormControl {
  NoticeView,        // 超文本浏览框2
  StatusTimer,       // 时钟3
  StatusLabel,       // 透明标签1
  SiteView,          // 超文本浏览框1
  SignupLink,        // 超级链接框1
  RestartTimer,      // 时钟2
  RenewTimer,        // 时钟1
  UserBox,           // 编辑框_user
  RestartUnitLabel,  // 标签7
  RestartLabel,      // 标签5
  RenewUnitLabel,    // 标签4
  RenewHoursBox,     // 编辑框_jk
  RenewLabel,        // 标签3
  PasswordLabel,     // 标签2
  UserLabel,         // 标签1
  LogBox,            // 编辑框_jl
  SaveButton,        // 按钮_保存
  PasswordBox,       // 编辑框_pass
  RestartHoursBox,   // 编辑框_cq
};

inline constexpr int kFormControlCount = 19;
inline constexpr int kFirstControlId = 1001;

inline constexpr int ControlId(FormControl control) { return kFirstControlId + static_cast<int>(control); }

enum ControlFlag : std::uint32_t {
  kMultiLine = 1u << 0,
  kIntegerEntry = 1u << 1,   // only "-" and "0".."9"; control characters pass
  kPasswordEntry = 1u << 2,  // characters shown as "*"
  kSilent = 1u << 3,         // HTML viewer: no dialogs of its own
  kOffline = 1u << 4,        // HTML viewer: pages from the local cache when present
};

struct ControlSpec {
  FormControl control;
  ControlKind kind;
  std::string_view formName;  // UTF-8, for reading only
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  // Code page 936. Edit box content, label or button caption, viewer address, hyperlink caption.
  Text text;
  // The hyperlink's target.
  Text target;
  std::int32_t interval = 0;  // timers, in milliseconds
  std::uint32_t flags = 0;
};

struct WindowSpec {
  int outerWidth = 458;
  int outerHeight = 416;
  Text caption;  // code page 936
};

// The table, with the addresses and texts that depend on the configured hosts filled in.
const std::vector<ControlSpec>& MainForm();
const ControlSpec& FormControlSpec(FormControl control);
WindowSpec MainWindowSpec();

// The keyboard's way through the form, which is not the form's order: user, password, the two
// periods, the save button, the log area.
const std::vector<FormControl>& TabOrder();
// Where Tab (Shift+Tab: backwards) takes the focus from `from`, round at either end; from nothing
// or a control outside the order, to the first (last) one.
FormControl NextInTabOrder(std::optional<FormControl> from, bool backwards);

// The addresses the form and the status timer use.
Text NoticePageAddress();
Text SiteRootAddress();
Text SignupAddress();

}  // namespace korvan
