// The scheduled restart: a small batch file waits, starts the program again and deletes itself,
// while the running process ends at once.
#pragma once

#include <optional>
#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// The short (8.3) form of a file name when it is strictly shorter, else the name unchanged.
Text ShortFileName(std::string_view name);

// Terminates a process with exit code 0; processId omitted means this process (the call then does
// not come back).
bool KillProcess(std::optional<unsigned long> processId = std::nullopt);

// Writes "Restart.bat" into the run directory for the running executable. Gives the batch file's
// path, or the empty text when the executable is not found under its bare name (then nothing is
// written) or the file cannot be written.
Text WriteRestartScript(std::optional<int> delay = std::nullopt);

// Writes and starts the batch file hidden, then ends this process with exit code 0. Returns when
// the executable is not found under its bare name, and, after logging "自动重启失败，程序继续运行",
// when the batch file cannot be written or started.
void RestartProgram(std::optional<int> delay = std::nullopt);

}  // namespace korvan
