#include "log/log_history.h"

#include "runtime/text/encoding.h"

namespace korvan {

Text HistoryBytes(std::string_view entry) {
  if (entry.empty()) return {};
  return WideToText(TextToWide(entry, kCodePage936), kCodePageUtf8);
}

LogHistory::LogHistory(HistoryFiles& files, std::string_view path)
    : files_(files), path_(path), backupPath_(JoinTexts(path, kHistoryBackupSuffix)) {}

void LogHistory::Append(std::string_view entry) noexcept {
  // The history is a copy of the log box: whatever goes wrong here must not reach the run or the
  // window, not even an exception from a port or from memory running out.
  try {
    const std::lock_guard<std::mutex> lock(mutex_);
    AppendLocked(entry);
  } catch (...) {
  }
}

void LogHistory::AppendLocked(std::string_view entry) {
  const Text bytes = HistoryBytes(entry);
  if (bytes.empty()) return;
  std::int64_t size = files_.FileSize(path_);
  const auto entrySize = static_cast<std::int64_t>(bytes.size());
  // An entry larger than the limit still goes whole into a file of its own.
  if (size > 0 && size + entrySize > kHistoryFileLimit && files_.MoveReplacing(path_, backupPath_)) size = -1;
  // When the rename failed (the backup locked, say) the entry goes on the full file rather than
  // being lost. A file someone wrote without the mark gets none in its middle.
  const Text written = size <= 0 ? JoinTexts(kUtf8ByteOrderMark, bytes) : bytes;
  files_.AppendBytes(path_, std::span(reinterpret_cast<const std::uint8_t*>(written.data()), written.size()));
}

}  // namespace korvan
