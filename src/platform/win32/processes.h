// Starting another program from a command line.
#pragma once

#include <optional>
#include <string_view>

namespace korvan {

// windowStyle picks the first window's show command: 1 hidden, 2 normal, 3 minimized, 4 maximized,
// 5 normal without activation, 6 minimize; omitted means 2, below 1 counts as 1, above 6 as 6.
// The command line is passed unchanged. With waitForExit the call waits until the program ends,
// otherwise at most one second for it to become idle for input. True when the process was created.
bool RunProgram(std::string_view commandLine, bool waitForExit, std::optional<int> windowStyle = std::nullopt);

// The show command RunProgram gives the new process for a windowStyle (SW_HIDE .. SW_MINIMIZE).
int ShowCommandForWindowStyle(std::optional<int> windowStyle);

}  // namespace korvan
