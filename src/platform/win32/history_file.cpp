#include "platform/win32/history_file.h"

#include "platform/win32/program_location.h"

namespace korvan {

Text HistoryFilePath() { return FileBesideProgram(kHistoryFileName); }

void AppendToHistory(std::string_view entry) {
  // One appender for the whole process, so its lock orders the workers' and the window's entries.
  static SystemHistoryFiles files;
  static LogHistory history(files, HistoryFilePath());
  history.Append(entry);
}

}  // namespace korvan
