// The one way onto the window's thread from any other: send-and-wait, or post and go on. The work
// is carried by a private message that the main window's procedure, and a dialog's on the same
// thread, hand to RunCarriedWork.
#pragma once

#include <windows.h>

#include <functional>

#include "app/window_thread/window_messages.h"

namespace korvan {

// The main window of this process, null before it is created and after it is destroyed.
HWND MainWindowHandle();
// Called by the main window when it is created (its handle) and destroyed (null).
void SetMainWindowHandle(HWND window);

// Runs work on the main window's thread and returns when it has run; on that thread itself it is a
// plain call. False, and work not run, when there is no main window (not yet made, or gone).
bool RunOnWindowThread(const std::function<void()>& work);

// Queues work for the thread of window and returns at once; it runs when that window's procedure
// gets kRunPostedWorkMessage. False, and nothing queued, when the window is gone.
bool PostToWindowThread(HWND window, std::function<void()> work);

// What a window procedure does with either message; gives the message's result.
LRESULT RunCarriedWork(UINT message, LPARAM lParam);

// True on the main window's own thread.
bool OnWindowThread();

}  // namespace korvan
