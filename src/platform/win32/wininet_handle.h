// The owner of a WinINet handle (a session, connection or request), in a header of its own: WinINet's
// and WinHTTP's headers cannot meet in one file.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "platform/win32/handles.h"

namespace korvan {

using UniqueInternetHandle = UniqueResource<NullableHandleTraits<HINTERNET, &::InternetCloseHandle>>;

}  // namespace korvan
