#include "app/worker/alerts.h"

#include "app/worker/window_reading.h"
#include "app/form/append_log.h"
#include "app/window_thread/window_thread.h"
#include "run/run_alerts.h"
#include "config/alert_settings.h"
#include "platform/network.h"

namespace korvan {

std::vector<PushTestResult> SendTestAlerts(const AlertSettings& settings) {
  // Nothing to send needs neither the network time nor the user name.
  if (!AnyAlertConfigured(settings)) return {};
  const AlertPorts ports{.send = SendPushRequest,
                         .appendLog = [](std::string_view message) { AppendLog(message); },
                         .unixMilliseconds = NetworkUnixMilliseconds,
                         .nextCheck = {}};  // a test message names no next run
  return SendTestMessages(settings, ReadBoxOnWindowThread(FormControl::UserBox), DateTimeToText(FetchNetworkTime()),
                          ports);
}

}  // namespace korvan
