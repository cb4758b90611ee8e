// The form's dialog keys, taken from the message loop before a message is translated, as a dialog
// box's own loop does: no control handles Tab or Enter by itself.
#pragma once

#include <windows.h>

namespace korvan {

// Tab and Shift+Tab move the focus along the form's tab order; Enter on the focused button clicks
// it (Space the button does by itself). True when the message was one of these keys for the form
// and has been carried out; the loop then neither translates nor dispatches it.
bool HandleDialogKey(HWND window, const MSG& message);

}  // namespace korvan
