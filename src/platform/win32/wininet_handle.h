// The owner of a WinINet handle (a session, connection or request).
#pragma once

#include <windows.h>
#include <wininet.h>

#include "platform/win32/handles.h"

namespace korvan {

struct InternetHandleTraits {
  using Type = HINTERNET;
  static Type Invalid() noexcept { return nullptr; }
  static void Close(Type handle) noexcept { ::InternetCloseHandle(handle); }
};

using UniqueInternetHandle = UniqueResource<InternetHandleTraits>;

}  // namespace korvan
