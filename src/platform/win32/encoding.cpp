#include <windows.h>

#include "runtime/text/encoding.h"

namespace korvan {

ByteSet TextToWide(std::string_view text, std::optional<int> codePage) {
  // The length -1 converts up to the terminating zero, so the view is copied to get one.
  const Text terminated(text.substr(0, text.find('\0')));
  const auto page = static_cast<UINT>(codePage.value_or(kCodePageUtf8));
  const int units = MultiByteToWideChar(page, 0, terminated.c_str(), -1, nullptr, 0);
  if (units <= 0) return {};
  ByteSet wide = ZeroBytes(2 * units);
  auto* buffer = reinterpret_cast<wchar_t*>(wide.data());
  if (MultiByteToWideChar(page, 0, terminated.c_str(), -1, buffer, units) <= 0) {
    return {};
  }
  // A sequence cut short just before the terminator can swallow it (seen under Wine); the result
  // must still end in a zero unit.
  if (wide[wide.size() - 2] != 0 || wide[wide.size() - 1] != 0) wide.insert(wide.end(), {0, 0});
  return wide;
}

Text WideToText(const ByteSet& wide, std::optional<int> codePage) {
  // The input length -1 reads up to a zero unit; make sure there is one inside the buffer.
  ByteSet terminated = wide;
  if (terminated.size() % 2 != 0) terminated.pop_back();
  terminated.insert(terminated.end(), {0, 0});
  const auto* units = reinterpret_cast<const wchar_t*>(terminated.data());
  const auto page = static_cast<UINT>(codePage.value_or(kCodePageAnsi));
  const int size = WideCharToMultiByte(page, 0, units, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  Text text(static_cast<std::size_t>(size), '\0');
  if (WideCharToMultiByte(page, 0, units, -1, text.data(), size, nullptr, nullptr) <= 0) return {};
  return Text(std::string_view(text).substr(0, text.find('\0')));
}

Text Utf8ToAnsi(std::string_view text) { return WideToText(TextToWide(text), kCodePage936); }

Text AnsiToUtf8(std::string_view text) { return WideToText(TextToWide(text, kCodePage936), kCodePageUtf8); }

}  // namespace korvan
