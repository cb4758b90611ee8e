// File existence, writing whole files from byte sets, comparing a file with bytes, appending, sizes,
// renaming and file attributes (ANSI paths, code page 936).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// True when the platform finds at least one entry for the path: a directory counts, a wildcard
// path is taken as a pattern.
bool FileExists(std::string_view path);

// Creates the file (or empties an existing one) and writes every non-empty byte set in order.
// False for an empty path or when the file cannot be opened or written; a partly written file may
// remain.
bool WriteFileBytes(std::string_view path, std::initializer_list<std::span<const std::uint8_t>> byteSets);

template <typename... ByteSets>
bool WriteFileBytes(std::string_view path, const ByteSets&... byteSets) {
  return WriteFileBytes(path, {std::span<const std::uint8_t>(byteSets)...});
}

// Appends the bytes at the end of the file, creating it when it is missing; others may read the file
// meanwhile. False for an empty path or when the file cannot be opened or written; a partly
// written append may remain.
bool AppendFileBytes(std::string_view path, std::span<const std::uint8_t> bytes);

// The size in bytes of a file; -1 when there is none (a directory is no file).
std::int64_t FileSize(std::string_view path);

// True when the file can be read and holds exactly these bytes, no more and no fewer.
bool FileHoldsBytes(std::string_view path, std::span<const std::uint8_t> bytes);

// Renames (or moves) a file, replacing an existing target file. False when the source is missing,
// the target is a directory or in use, or the folder refuses the change.
bool MoveFileReplacing(std::string_view from, std::string_view to);

// Only read-only 0x01, hidden 0x02, system 0x04 and archive 0x20 are applied; other bits are dropped.
inline constexpr int kSettableFileAttributes = 0x27;
bool ChangeFileAttributes(std::string_view path, int attributes);

}  // namespace korvan
