#include "cli/program_ports.h"

#include <time.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <optional>
#include <string>

#include "platform/posix/curl_http.h"
#include "korvan/hosts.h"
#include "log/network_clock.h"
#include "log/network_time.h"
#include "runtime/text/encoding.h"

namespace korvan {
namespace {

// CLOCK_BOOTTIME goes on during suspend; the kernel names each boot afresh.
ComputerTime ComputerTimeNow() {
  static const std::string boot = [] {
    std::ifstream file("/proc/sys/kernel/random/boot_id");
    std::string id;
    std::getline(file, id);
    return id;
  }();
  timespec sinceBoot{};
  ::clock_gettime(CLOCK_BOOTTIME, &sinceBoot);
  return {static_cast<std::int64_t>(std::time(nullptr)), static_cast<std::int64_t>(sinceBoot.tv_sec), boot};
}

}  // namespace

CookieExchange PanelExchangeOverCurl() {
  return [](const PanelRequest& request, Text& cookies, Text& newCookies) {
    return HttpRequestOverCurl(request.url, {.method = request.method,
                                             .body = TextToBytes(request.postData),
                                             .cookies = &cookies,
                                             .newCookies = &newCookies,
                                             .headers = request.headers});
  };
}

// A 3xx answer is a failed push that names its status: the body must not go where it points.
PushAnswer PushOverCurl(const PushRequest& request) {
  PushAnswer answer;
  answer.body = HttpRequestOverCurl(
      request.url, {.method = request.method,
                    .body = request.body,
                    .headers = request.contentType.empty() ? Text() : JoinTexts("Content-Type: ", request.contentType),
                    .statusCode = &answer.statusCode,
                    .noRedirect = true,
                    .timeoutSeconds = kPushTimeoutSeconds,
                    .checkCertificates = true});
  return answer;
}

NetworkClock& ProgramNetworkClock() {
  static NetworkClock clock(ComputerTimeNow);
  return clock;
}

std::optional<std::int64_t> ReadNetworkSecondsOverCurl() {
  const std::optional<std::int64_t> seconds =
      NetworkSecondsFromAnswer(ReadUrlOverCurl(JoinTexts("http://", hosts::kTime, kTimePagePath)));
  if (seconds) ProgramNetworkClock().Answered(*seconds);
  return seconds;
}

DateTime FetchNetworkTimeOverCurl() {
  return Utc8FromUnixSeconds(ReadNetworkSecondsOverCurl().value_or(static_cast<std::int64_t>(std::time(nullptr))));
}

// The plan and the DingTalk signature go by the network time even while the page does not answer.
std::int64_t NetworkUnixMillisecondsOverCurl() {
  return ReadNetworkSecondsOverCurl().value_or(ProgramNetworkClock().Now()) * 1000;
}

// The line ends go first: the text operations step by code page 936 characters, not UTF-8 ones.
Text TerminalText(std::string_view text) { return AnsiToUtf8(ReplaceText(text, "\r\n", "\n")); }

}  // namespace korvan
