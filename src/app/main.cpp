// korvan.exe: fixes the run directory, initialises OLE for the browser views, builds the main
// window from its form and runs the message loop until the window is closed.
#include <windows.h>

#include "app/dialog_keys.h"
#include "app/main_window/main_window.h"
#include "platform/win32/com_owners.h"
#include "platform/win32/program_location.h"
#include "app/window_thread/window_thread.h"

namespace {

int RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (korvan::HandleDialogKey(korvan::MainWindowHandle(), message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  korvan::FixRunDirectory();
  int exitCode = 0;
  {
    korvan::OleSession ole;
    korvan::MainWindow window;
    if (!window.Create(instance, showCommand)) return 1;
    exitCode = RunMessageLoop();
  }
  // The end of the process is the exit routine. ExitProcess first ends a renewal worker that may
  // still be running, and only then is panelCookies released with the rest of the process. A C++
  // exit routine would free the text under a running worker, or wait on the cookie lock for as
  // long as that worker's request takes.
  ExitProcess(static_cast<UINT>(exitCode));
}
