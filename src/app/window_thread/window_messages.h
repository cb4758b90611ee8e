// The window program's private messages, each carried out on the window's thread.
#pragma once

#include <windows.h>

namespace korvan {

inline constexpr UINT kCreatedMessage = WM_APP + 1;            // runs OnMainWindowCreated once
inline constexpr UINT kRunOnWindowThreadMessage = WM_APP + 2;  // lParam: const std::function<void()>* to run
inline constexpr UINT kEmbedBrowsersMessage = WM_APP + 3;      // creates the two browser controls
inline constexpr UINT kRunPostedWorkMessage = WM_APP + 4;      // runs the work posted for this thread

}  // namespace korvan
