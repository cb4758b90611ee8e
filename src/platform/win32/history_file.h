// The history log as a file in the run directory. Windows only.
#pragma once

#include <string_view>

#include "log/log_history.h"
#include "platform/state_files.h"

namespace korvan {

// The run directory followed by "\korvan.log".
Text HistoryFilePath();

// Appends one log entry to HistoryFilePath() through the process's one appender. Safe from any
// thread; a failing file is silently skipped.
void AppendToHistory(std::string_view entry);

}  // namespace korvan
