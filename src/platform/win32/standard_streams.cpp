#include "platform/standard_streams.h"

#include <windows.h>

#include <string>

namespace korvan {
namespace {

// A console is given the text as UTF-16, which it shows whatever its code page (936, 65001 or
// another); a file or a pipe gets the UTF-8 bytes as they are.
void Write(DWORD stream, std::string_view utf8) {
  const HANDLE handle = ::GetStdHandle(stream);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || utf8.empty()) return;
  DWORD mode = 0;
  if (::GetConsoleMode(handle, &mode)) {
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    DWORD written = 0;
    ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  while (!utf8.empty()) {
    DWORD written = 0;
    if (!::WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) || written == 0) return;
    utf8.remove_prefix(written);
  }
}

}  // namespace

void WriteStandardOutput(std::string_view utf8) { Write(STD_OUTPUT_HANDLE, utf8); }
void WriteStandardError(std::string_view utf8) { Write(STD_ERROR_HANDLE, utf8); }

bool StandardOutputIsJournal() { return false; }

}  // namespace korvan
