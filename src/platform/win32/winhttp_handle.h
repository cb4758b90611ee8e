// The owner of a WinHTTP handle (a session, connection or request).
#pragma once

#include <windows.h>
#include <winhttp.h>

#include "platform/win32/handles.h"

namespace korvan {

struct WinHttpHandleTraits {
  using Type = HINTERNET;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type handle) noexcept { ::WinHttpCloseHandle(handle); }
};

using UniqueWinHttpHandle = UniqueResource<WinHttpHandleTraits>;

}  // namespace korvan
