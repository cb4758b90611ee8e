// The owner of a WinHTTP handle (a session, connection or request), in a header of its own: WinINet's
// and WinHTTP's headers cannot meet in one file.
#pragma once

#include <windows.h>
#include <winhttp.h>

#include "platform/win32/handles.h"

namespace korvan {

using UniqueWinHttpHandle = UniqueResource<NullableHandleTraits<HINTERNET, &::WinHttpCloseHandle>>;

}  // namespace korvan
