#include "app/main_window_access.h"

#include "app/main_window.h"

namespace korvan {

// SendMessage carries the call over to the window's thread and waits for it; on that thread itself
// it is a plain call. A window that is gone answers 0 and leaves the text empty.
Text ReadFormBox(FormBox box) {
  Text content;
  if (HWND window = MainWindowHandle()) {
    SendMessageW(window, kReadBoxMessage, static_cast<WPARAM>(box), reinterpret_cast<LPARAM>(&content));
  }
  return content;
}

void AppendToLogBox(std::string_view text) {
  if (HWND window = MainWindowHandle()) {
    SendMessageW(window, kAppendLogMessage, 0, reinterpret_cast<LPARAM>(&text));
  }
}

}  // namespace korvan
