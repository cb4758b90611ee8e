// Starting a detached platform thread.
#pragma once

#include <functional>

#include "platform/win32/handles.h"

namespace korvan {

// Runs the routine on a new thread with the default stack size; a parameter travels in the
// routine's captures. The thread handle is closed at once unless threadHandle is given, which then
// receives it. True when the thread was created.
bool StartThread(std::function<void()> routine, UniqueHandle* threadHandle = nullptr);

}  // namespace korvan
