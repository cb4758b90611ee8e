#include "platform/win32/history_file.h"

#include "platform/win32/files.h"
#include "platform/win32/program_location.h"

namespace korvan {

Text HistoryFilePath() { return FileBesideProgram(kHistoryFileName); }

std::int64_t SystemHistoryFiles::FileSize(std::string_view path) { return korvan::FileSize(path); }

bool SystemHistoryFiles::AppendBytes(std::string_view path, std::span<const std::uint8_t> bytes) {
  return AppendFileBytes(path, bytes);
}

bool SystemHistoryFiles::MoveReplacing(std::string_view from, std::string_view to) {
  return MoveFileReplacing(from, to);
}

void AppendToHistory(std::string_view entry) {
  // One appender for the whole process, so its lock orders the workers' and the window's entries.
  static SystemHistoryFiles files;
  static LogHistory history(files, HistoryFilePath());
  history.Append(entry);
}

}  // namespace korvan
