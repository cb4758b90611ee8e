#include "app/run/alerts.h"

#include "app/main_window/form_controls.h"
#include "app/main_window/append_log.h"
#include "app/window_thread.h"
#include "run/run_alerts.h"
#include "config/alert_settings.h"
#include "http/http_request.h"
#include "log/network_clock.h"
#include "log/network_time.h"

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

// A push is never redirected: its body would go to wherever the answer points. A 3xx answer is a
// failed push that names its status. Bad certificates fail it too, as the URLs carry secrets.
PushAnswer PushOverHttp(const PushRequest& request) {
  Text headers = request.contentType.empty() ? Text() : JoinTexts("Content-Type: ", request.contentType);
  PushAnswer answer;
  answer.body = HttpRequest(request.url, {.method = HttpMethodNumber(request.method),
                                          .headers = &headers,
                                          .statusCode = &answer.statusCode,
                                          .noRedirect = true,
                                          .postBytes = request.body,
                                          .timeoutSeconds = kPushTimeoutSeconds,
                                          .checkCertificates = true});
  return answer;
}

// The plan and the DingTalk signature go by the network time even while the page does not answer.
std::int64_t NetworkUnixMilliseconds() { return ReadNetworkSeconds().value_or(ProgramNetworkClock().Now()) * 1000; }

std::int64_t MillisecondsToPeriodicRun() {
  std::int64_t milliseconds = 0;
  RunOnWindowThread([&] {
    if (auto* timer = MainFormControls().Find<Timer>(FormControl::RenewTimer))
      milliseconds = timer->MillisecondsToNextTick();
  });
  return milliseconds;
}

std::vector<PushTestResult> SendTestAlerts(const AlertSettings& settings) {
  // Nothing to send needs neither the network time nor the user name.
  if (!AnyAlertConfigured(settings)) return {};
  const AlertPorts ports{.send = PushOverHttp,
                         .appendLog = [](std::string_view message) { AppendLog(message); },
                         .unixMilliseconds = NetworkUnixMilliseconds,
                         .nextCheck = {}};  // a test message names no next run
  return SendTestMessages(settings, UserNameOnWindowThread(), DateTimeToText(FetchNetworkTime()), ports);
}

}  // namespace korvan
