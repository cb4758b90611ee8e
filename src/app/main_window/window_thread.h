// The one way onto the main window's thread from any other: the work is carried over by a
// synchronous window message and the caller waits until it is done.
#pragma once

#include <functional>

namespace korvan {

// Runs work on the main window's thread and returns when it has run; on that thread itself it is a
// plain call. False, and work not run, when there is no main window (not yet made, or gone).
bool RunOnWindowThread(const std::function<void()>& work);

// True on the main window's own thread.
bool OnWindowThread();

}  // namespace korvan
