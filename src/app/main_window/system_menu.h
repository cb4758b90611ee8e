// The commands the main window adds to its system menu, below a separator, and their dispatch.
#pragma once

#include <windows.h>

#include <span>
#include <string_view>

namespace korvan {

// WM_SYSCOMMAND ids; the low four bits are the system's own, so the ids are multiples of 16.
inline constexpr UINT kRunStatusCommand = 0x0110;
inline constexpr UINT kCheckNowCommand = 0x0120;
inline constexpr UINT kOpenRunLogCommand = 0x0130;
inline constexpr UINT kAdvancedSettingsCommand = 0x0140;

// One row of the menu table: the id, the item's text (code page 936) and its handler.
struct SystemMenuCommand {
  UINT id;
  std::string_view text;
  void (*handler)();
};

std::span<const SystemMenuCommand> MainWindowSystemMenu();

// Appends a separator and one item per row to the window's system menu.
void AddSystemMenuCommands(HWND window, std::span<const SystemMenuCommand> commands);

// Runs the handler of the row the WM_SYSCOMMAND wParam names; false when no row does (the
// system's own commands).
bool RunSystemMenuCommand(std::span<const SystemMenuCommand> commands, WPARAM command);

}  // namespace korvan
