#include "platform/win32/files.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/handles.h"

namespace korvan {
namespace {

// WriteFile takes a 32-bit count; larger sets go in pieces.
bool WriteAll(HANDLE file, std::span<const std::uint8_t> bytes) {
  std::span<const std::uint8_t> rest = bytes;
  while (!rest.empty()) {
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 0x40000000));
    DWORD written = 0;
    if (!::WriteFile(file, rest.data(), piece, &written, nullptr) || written == 0) return false;
    rest = rest.subspan(written);
  }
  return true;
}

}  // namespace

bool FileExists(std::string_view path) {
  const std::string pathText(path);
  WIN32_FIND_DATAA found{};
  const UniqueFindHandle search(::FindFirstFileA(pathText.c_str(), &found));
  return static_cast<bool>(search);
}

bool WriteFileBytes(std::string_view path, std::initializer_list<std::span<const std::uint8_t>> byteSets) {
  if (path.empty()) return false;
  const std::string pathText(path);
  const UniqueFileHandle file(
      ::CreateFileA(pathText.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  for (const std::span<const std::uint8_t> bytes : byteSets) {
    if (!WriteAll(file.Get(), bytes)) return false;
  }
  return true;
}

bool AppendFileBytes(std::string_view path, std::span<const std::uint8_t> bytes) {
  if (path.empty()) return false;
  const std::string pathText(path);
  // Append-only access puts every write at the current end of the file, whoever else wrote there.
  const UniqueFileHandle file(::CreateFileA(pathText.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  return WriteAll(file.Get(), bytes);
}

std::int64_t FileSize(std::string_view path) {
  if (path.empty()) return -1;
  const std::string pathText(path);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  // The attributes come without opening the file, so a file held open without sharing still has a size.
  if (!::GetFileAttributesExA(pathText.c_str(), GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

bool FileHoldsBytes(std::string_view path, std::span<const std::uint8_t> bytes) {
  if (FileSize(path) != static_cast<std::int64_t>(bytes.size())) return false;
  const std::string pathText(path);
  const UniqueFileHandle file(::CreateFileA(pathText.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  std::vector<std::uint8_t> piece(64 * 1024);
  std::span<const std::uint8_t> rest = bytes;
  while (!rest.empty()) {
    DWORD read = 0;
    const DWORD wanted = static_cast<DWORD>(std::min(rest.size(), piece.size()));
    if (!::ReadFile(file.Get(), piece.data(), wanted, &read, nullptr) || read == 0) return false;
    if (!std::equal(piece.begin(), piece.begin() + read, rest.begin())) return false;
    rest = rest.subspan(read);
  }
  return true;
}

bool MoveFileReplacing(std::string_view from, std::string_view to) {
  if (from.empty() || to.empty()) return false;
  const std::string fromText(from);
  const std::string toText(to);
  return ::MoveFileExA(fromText.c_str(), toText.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool ChangeFileAttributes(std::string_view path, int attributes) {
  const std::string pathText(path);
  return ::SetFileAttributesA(pathText.c_str(), static_cast<DWORD>(attributes & kSettableFileAttributes)) != FALSE;
}

}  // namespace korvan
