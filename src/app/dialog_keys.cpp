#include "app/dialog_keys.h"

#include <optional>

#include "app/form/form.h"

namespace korvan {
namespace {

// The form control a window is, when it is one of the main window's own children.
std::optional<FormControl> FormControlOf(HWND window, HWND child) {
  if (!child || GetParent(child) != window) return std::nullopt;
  const int index = GetDlgCtrlID(child) - kFirstControlId;
  if (index < 0 || index >= kFormControlCount) return std::nullopt;
  return static_cast<FormControl>(index);
}

bool Pressed(int key) { return GetKeyState(key) < 0; }

}  // namespace

bool HandleDialogKey(HWND window, const MSG& message) {
  if (!window || message.message != WM_KEYDOWN) return false;
  if (message.hwnd != window && !IsChild(window, message.hwnd)) return false;
  HWND focus = GetFocus();
  const std::optional<FormControl> focused = FormControlOf(window, focus);
  if (message.wParam == VK_TAB && !Pressed(VK_CONTROL)) {
    // Inside a browser view the view keeps its own keys.
    if (!focused && focus != window) return false;
    const FormControl next = NextInTabOrder(focused, Pressed(VK_SHIFT));
    HWND target = GetDlgItem(window, ControlId(next));
    if (!target) return false;
    SetFocus(target);
    // As in a dialog box, a box entered from the keyboard has its whole text selected.
    if (FormControlSpec(next).kind == ControlKind::EditBox) SendMessageW(target, EM_SETSEL, 0, -1);
    return true;
  }
  if (message.wParam == VK_RETURN && focused && FormControlSpec(*focused).kind == ControlKind::Button) {
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(ControlId(*focused), BN_CLICKED), reinterpret_cast<LPARAM>(focus));
    return true;
  }
  return false;
}

}  // namespace korvan
