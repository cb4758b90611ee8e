#include "platform/win32/wide_text.h"

#include <windows.h>

#include <climits>

#include "runtime/text/encoding.h"

namespace korvan {

std::wstring AnsiToWide(std::string_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int size = static_cast<int>(text.size());
  const int length = ::MultiByteToWideChar(kCodePage936, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(kCodePage936, 0, text.data(), size, wide.data(), length);
  return wide;
}

Text WideToAnsi(std::wstring_view text) {
  if (text.empty() || text.size() > INT_MAX) return {};
  const int size = static_cast<int>(text.size());
  const int length = ::WideCharToMultiByte(kCodePage936, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  Text ansi(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(kCodePage936, 0, text.data(), size, ansi.data(), length, nullptr, nullptr);
  return ansi;
}

}  // namespace korvan
