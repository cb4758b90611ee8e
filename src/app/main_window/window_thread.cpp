#include "app/main_window/window_thread.h"

#include "app/main_window/main_window.h"

namespace korvan {

// SendMessage waits for the window's thread; a window destroyed meanwhile answers 0.
bool RunOnWindowThread(const std::function<void()>& work) {
  HWND window = MainWindowHandle();
  if (!window) return false;
  return SendMessageW(window, kRunOnWindowThreadMessage, 0, reinterpret_cast<LPARAM>(&work)) != 0;
}

bool OnWindowThread() {
  HWND window = MainWindowHandle();
  return window && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
}

}  // namespace korvan
