// Code page 936 texts at the boundary to the wide (UTF-16) Win32 calls. The conversions name code
// page 936 explicitly, so Chinese texts come out right whatever the system's ANSI code page is.
#pragma once

#include <string>
#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// Invalid sequences become U+FFFD; the empty text gives the empty string.
std::wstring AnsiToWide(std::string_view text);
// Characters code page 936 lacks become "?".
Text WideToAnsi(std::wstring_view text);

}  // namespace korvan
