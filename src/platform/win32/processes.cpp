#include "platform/win32/processes.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <string>

#include "platform/win32/handles.h"

namespace korvan {

int ShowCommandForWindowStyle(std::optional<int> windowStyle) {
  static constexpr std::array<int, 6> kShowCommands = {SW_HIDE,          SW_SHOWNORMAL,     SW_SHOWMINIMIZED,
                                                       SW_SHOWMAXIMIZED, SW_SHOWNOACTIVATE, SW_MINIMIZE};
  const int style = std::clamp(windowStyle.value_or(2), 1, 6);
  return kShowCommands[static_cast<std::size_t>(style - 1)];
}

bool RunProgram(std::string_view commandLine, bool waitForExit, std::optional<int> windowStyle) {
  // CreateProcessA may write into the command line, so it gets a copy of its own.
  std::string commandBuffer(commandLine);
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(ShowCommandForWindowStyle(windowStyle));
  PROCESS_INFORMATION created{};
  if (!::CreateProcessA(nullptr, commandBuffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &created)) {
    return false;
  }
  const UniqueHandle process(created.hProcess);
  const UniqueHandle thread(created.hThread);
  if (waitForExit) {
    ::WaitForSingleObject(process.Get(), INFINITE);
  } else {
    ::WaitForInputIdle(process.Get(), 1000);
  }
  return true;
}

}  // namespace korvan
