// What a run takes from the window, in one hop onto its thread at the run's start: the worker never
// reads a control while the run is under way.
#pragma once

#include <cstdint>

#include "app/form/form.h"
#include "runtime/text/text.h"

namespace korvan {

struct WindowReading {
  Text userName;                 // 编辑框_zh
  Text password;                 // 编辑框_mm
  std::int64_t renewalLeft = 0;  // the milliseconds 时钟1 has left, 0 when it is not armed
  std::int64_t renewalInterval = 0;
  std::uint64_t readAt = 0;  // GetTickCount64 at the reading
};

// Empty when the window is gone.
WindowReading ReadWindowForRun();

// The milliseconds 时钟1 has left now, by the reading.
std::int64_t RenewalTimerLeft(const WindowReading& reading);

// The content of one box, read on the window's thread; empty when the window is gone.
Text ReadBoxOnWindowThread(FormControl box);

}  // namespace korvan
