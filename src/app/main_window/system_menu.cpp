#include "app/main_window/system_menu.h"

#include <string>

#include "app/main_window/menu_commands.h"
#include "platform/win32/wide_text.h"

namespace korvan {

std::span<const SystemMenuCommand> MainWindowSystemMenu() {
  static constexpr SystemMenuCommand kCommands[] = {
      // Access keys clear of the system's own (R, M, S, N, X, C, and Wine's A).
      {kRunStatusCommand, "\xD4\xCB\xD0\xD0\xD7\xB4\xBF\xF6(&T)\xA1\xAD", OnRunStatusCommand},  // 运行状况(&T)…
      // 立即检查（不续期）(&K)
      {kCheckNowCommand, "\xC1\xA2\xBC\xB4\xBC\xEC\xB2\xE9\xA3\xA8\xB2\xBB\xD0\xF8\xC6\xDA\xA3\xA9(&K)",
       OnCheckNowCommand},
      {kOpenRunLogCommand, "\xB4\xF2\xBF\xAA\xD4\xCB\xD0\xD0\xBC\xC7\xC2\xBC(&L)",
       OnOpenRunLogCommand},  // 打开运行记录(&L)
      {kAdvancedSettingsCommand, "\xB8\xDF\xBC\xB6\xC9\xE8\xD6\xC3(&O)\xA1\xAD",
       OnAdvancedSettingsCommand},  // 高级设置(&O)…
  };
  return kCommands;
}

void AddSystemMenuCommands(HWND window, std::span<const SystemMenuCommand> commands) {
  HMENU menu = GetSystemMenu(window, FALSE);
  if (!menu) return;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  for (const SystemMenuCommand& command : commands) {
    const std::wstring text = AnsiToWide(command.text);
    AppendMenuW(menu, MF_STRING, command.id, text.c_str());
  }
}

bool RunSystemMenuCommand(std::span<const SystemMenuCommand> commands, WPARAM command) {
  const UINT id = static_cast<UINT>(command & 0xFFF0);
  for (const SystemMenuCommand& row : commands) {
    if (row.id != id) continue;
    row.handler();
    return true;
  }
  return false;
}

}  // namespace korvan
