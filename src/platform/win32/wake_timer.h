// Waking a sleeping computer for a planned run and keeping it awake while a run is under way.
// Windows wakes for the timer only when the power option "Allow wake timers" is on; a computer
// that is shut down is not woken at all.
#pragma once

#include <cstdint>

#include "platform/win32/handles.h"

namespace korvan {

// A waitable timer that resumes the system at the time it is set for; cancelled when it goes.
class WakeTimer {
 public:
  WakeTimer();
  ~WakeTimer();
  WakeTimer(const WakeTimer&) = delete;
  WakeTimer& operator=(const WakeTimer&) = delete;

  // Arms the timer for a UTC moment in Unix seconds, replacing any earlier one. False when there is
  // no timer or the system cannot resume for it (it may still go off while the computer is awake).
  bool SetAt(std::int64_t unixSeconds);
  void Cancel();

 private:
  UniqueHandle timer_;
};

// Keeps the system from sleeping while it lives, for the thread that made it (the setting is the
// thread's own), and gives that back when it goes.
class SystemAwakeHold {
 public:
  SystemAwakeHold();
  ~SystemAwakeHold();
  SystemAwakeHold(const SystemAwakeHold&) = delete;
  SystemAwakeHold& operator=(const SystemAwakeHold&) = delete;

 private:
  bool held_ = false;
};

// Resets the system's idle timer once: a computer woken by a timer would otherwise go back to sleep
// after about two idle minutes, before the run it was woken for.
void PostponeSystemSleep();

}  // namespace korvan
