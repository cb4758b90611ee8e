#include "cli/program_ports.h"

#include <cstdio>
#include <ctime>

#include "cli/curl_http.h"
#include "korvan/hosts.h"
#include "log/network_time.h"
#include "runtime/text/encoding.h"

namespace korvan {

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

DateTime FetchNetworkTimeOverCurl() {
  const ByteSet answer = ReadUrlOverCurl(JoinTexts("http://", hosts::kTime, kTimePagePath));
  return NetworkTimeFromAnswer(answer, Utc8FromUnixSeconds(static_cast<std::int64_t>(std::time(nullptr))));
}

std::int64_t NetworkUnixMillisecondsOverCurl() { return UnixMillisecondsFromUtc8(FetchNetworkTimeOverCurl()); }

// The line ends go first: the text operations step by code page 936 characters, not UTF-8 ones.
Text TerminalText(std::string_view text) { return AnsiToUtf8(ReplaceText(text, "\r\n", "\n")); }

void PrintEntry(DateTime stamp, std::string_view message) {
  const Text entry = TerminalText(JoinTexts(DateTimeToText(stamp), "\n", KeptMessage(message), "\n"));
  std::fwrite(entry.data(), 1, entry.size(), stdout);
  std::fflush(stdout);
}

}  // namespace korvan
