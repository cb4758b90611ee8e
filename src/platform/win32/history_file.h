// The history log as a file in the run directory. Windows only.
#pragma once

#include <string_view>

#include "log/log_history.h"

namespace korvan {

// The run directory followed by "\korvan.log".
Text HistoryFilePath();

// The history's file operations on the real file system.
class SystemHistoryFiles final : public HistoryFiles {
 public:
  std::int64_t FileSize(std::string_view path) override;
  bool AppendBytes(std::string_view path, std::span<const std::uint8_t> bytes) override;
  bool MoveReplacing(std::string_view from, std::string_view to) override;
};

// Appends one log entry to HistoryFilePath() through the process's one appender. Safe from any
// thread; a failing file is silently skipped.
void AppendToHistory(std::string_view entry);

}  // namespace korvan
