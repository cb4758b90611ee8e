#include "runtime/system/files.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "runtime/system/handles.h"

namespace korvan {

bool FileExists(std::string_view path) {
  const std::string pathText(path);
  WIN32_FIND_DATAA found{};
  const UniqueFindHandle search(::FindFirstFileA(pathText.c_str(), &found));
  return static_cast<bool>(search);
}

bool WriteFileBytes(std::string_view path, std::initializer_list<std::span<const std::uint8_t>> byteSets) {
  if (path.empty()) return false;
  const std::string pathText(path);
  const UniqueFileHandle file(::CreateFileA(pathText.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  for (const std::span<const std::uint8_t> bytes : byteSets) {
    std::span<const std::uint8_t> rest = bytes;
    // WriteFile takes a 32-bit count; larger sets go in pieces.
    while (!rest.empty()) {
      const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(rest.size(), 0x40000000));
      DWORD written = 0;
      if (!::WriteFile(file.Get(), rest.data(), piece, &written, nullptr) || written == 0) return false;
      rest = rest.subspan(written);
    }
  }
  return true;
}

bool ChangeFileAttributes(std::string_view path, int attributes) {
  const std::string pathText(path);
  return ::SetFileAttributesA(pathText.c_str(), static_cast<DWORD>(attributes & kSettableFileAttributes)) !=
         FALSE;
}

}  // namespace korvan
