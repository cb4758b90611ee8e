// Code page 936 texts at the boundary to the wide (UTF-16) Win32 calls. The conversions name code
// page 936 explicitly, so Chinese texts come out right whatever the system's ANSI code page is.
// UTF-8 ones stand beside them for what the command line reads and writes in UTF-8.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// Invalid sequences become U+FFFD; the empty text gives the empty string.
std::wstring AnsiToWide(std::string_view text);
// Characters code page 936 lacks become "?".
Text WideToAnsi(std::wstring_view text);

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// The system's text for a Win32 error or an HRESULT in UTF-8, without its final full stop;
// "error N" when it has none.
std::string SystemMessage(DWORD error);

}  // namespace korvan
