#include "app/worker/window_reading.h"

#include <windows.h>

#include "app/form/form_controls.h"
#include "app/window_thread/window_thread.h"
#include "run/next_run.h"

namespace korvan {

WindowReading ReadWindowForRun() {
  WindowReading reading;
  RunOnWindowThread([&reading] {
    const FormControls& form = MainFormControls();
    if (auto* box = form.Find<EditBox>(FormControl::UserBox)) reading.userName = box->Content();
    if (auto* box = form.Find<EditBox>(FormControl::PasswordBox)) reading.password = box->Content();
    if (auto* timer = form.Find<Timer>(FormControl::RenewTimer)) {
      reading.renewalLeft = timer->MillisecondsToNextTick();
      reading.renewalInterval = timer->Interval();
    }
    reading.readAt = ::GetTickCount64();
  });
  return reading;
}

std::int64_t RenewalTimerLeft(const WindowReading& reading) {
  const auto elapsed = static_cast<std::int64_t>(::GetTickCount64() - reading.readAt);
  return TimerLeftAfter(reading.renewalLeft, reading.renewalInterval, elapsed);
}

Text ReadBoxOnWindowThread(FormControl box) {
  Text content;
  RunOnWindowThread([&] {
    if (auto* edit = MainFormControls().Find<EditBox>(box)) content = edit->Content();
  });
  return content;
}

}  // namespace korvan
