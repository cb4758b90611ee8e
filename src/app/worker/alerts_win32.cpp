#include "app/worker/alerts.h"

#include "app/form/form_controls.h"
#include "app/form/append_log.h"
#include "app/window_thread/window_thread.h"
#include "run/run_alerts.h"
#include "config/alert_settings.h"
#include "platform/network.h"

namespace korvan {

namespace {

Text UserNameOnWindowThread() {
  Text userName;
  RunOnWindowThread([&] {
    if (auto* box = MainFormControls().Find<EditBox>(FormControl::UserBox)) userName = box->Content();
  });
  return userName;
}

}  // namespace

std::int64_t MillisecondsToPeriodicRun() {
  std::int64_t milliseconds = 0;
  RunOnWindowThread([&] {
    if (auto* timer = MainFormControls().Find<Timer>(FormControl::RenewTimer))
      milliseconds = timer->MillisecondsToNextTick();
  });
  return milliseconds;
}

Text SendTestAlerts(const AlertSettings& settings) {
  // Nothing to send needs neither the network time nor the user name.
  if (!AnyAlertConfigured(settings)) return Text(kNothingToTestText);
  const AlertPorts ports{.send = SendPushRequest,
                         .appendLog = [](std::string_view message) { AppendLog(message); },
                         .unixMilliseconds = NetworkUnixMilliseconds,
                         .nextCheck = {}};  // a test message names no next run
  return SendTestMessages(settings, UserNameOnWindowThread(), DateTimeToText(FetchNetworkTime()), ports);
}

}  // namespace korvan
