// The history log "korvan.log": every log entry is also appended there, in UTF-8 behind a byte
// order mark, so Notepad shows it right. Before an append would take the file past 1 MiB, the file
// becomes "korvan.log.1" (replacing an older one) and a new one is started.
#pragma once

#include <cstdint>
#include <mutex>
#include <span>
#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

inline constexpr std::string_view kHistoryFileName = "korvan.log";
inline constexpr std::string_view kHistoryBackupSuffix = ".1";
inline constexpr std::int64_t kHistoryFileLimit = 1048576;
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The file operations the history needs, by path.
class HistoryFiles {
 public:
  virtual ~HistoryFiles() = default;
  // The file's size in bytes; -1 when there is no such file.
  virtual std::int64_t FileSize(std::string_view path) = 0;
  // Appends the bytes at the end, creating the file when it is missing.
  virtual bool AppendBytes(std::string_view path, std::span<const std::uint8_t> bytes) = 0;
  // Renames the file, replacing the target when there is one.
  virtual bool MoveReplacing(std::string_view from, std::string_view to) = 0;
};

// One appender per file, shared by every thread that logs: the lock keeps each entry whole and the
// size check and its append together.
class LogHistory {
 public:
  LogHistory(HistoryFiles& files, std::string_view path);

  // Appends one entry (code page 936, as the log box gets it). A failing file is given up on for
  // this entry only; nothing is thrown and the caller learns nothing.
  void Append(std::string_view entry) noexcept;

 private:
  void AppendLocked(std::string_view entry);

  HistoryFiles& files_;
  const Text path_;
  const Text backupPath_;
  std::mutex mutex_;
};

// The entry's bytes as the file holds them.
Text HistoryBytes(std::string_view entry);

}  // namespace korvan
