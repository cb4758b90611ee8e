// The live controls of the main window that handlers use. The window binds them when it builds
// the form; native tests bind fakes. Only the window's thread touches them.
#pragma once

#include "app/controls.h"

namespace korvan {

struct FormControls {
  EditBox* userBox = nullptr;          // 编辑框_user
  EditBox* passwordBox = nullptr;      // 编辑框_pass
  EditBox* renewHoursBox = nullptr;    // 编辑框_jk
  EditBox* restartHoursBox = nullptr;  // 编辑框_cq
  EditBox* logBox = nullptr;           // 编辑框_jl
  Timer* renewTimer = nullptr;         // 时钟1
  Timer* restartTimer = nullptr;       // 时钟2
  Timer* statusTimer = nullptr;        // 时钟3
  Label* statusLabel = nullptr;        // 透明标签1
  HtmlView* noticeView = nullptr;      // 超文本浏览框2
  HtmlView* siteView = nullptr;        // 超文本浏览框1
};

FormControls& MainFormControls();

}  // namespace korvan
