// Code page conversions. On Windows they are MultiByteToWideChar / WideCharToMultiByte with flags 0;
// natively glibc's iconv stands in, substituting ill-formed input the same way (invalid UTF-8 becomes
// U+FFFD, a character code page 936 lacks becomes "?").
#pragma once

#include <optional>
#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

inline constexpr int kCodePageAnsi = 0;
inline constexpr int kCodePage936 = 936;
inline constexpr int kCodePageUtf8 = 65001;

// Little-endian UTF-16 units ending in one zero unit; empty when the conversion fails.
// codePage omitted means UTF-8.
ByteSet TextToWide(std::string_view text, std::optional<int> codePage = std::nullopt);
// The text up to the first zero; codePage omitted means the system's ANSI code page (natively: 936).
Text WideToText(const ByteSet& wide, std::optional<int> codePage = std::nullopt);
Text Utf8ToAnsi(std::string_view text);
// Code page 936 text as UTF-8, for what leaves the program in UTF-8 (pushes, JSON bodies).
Text AnsiToUtf8(std::string_view text);

}  // namespace korvan
