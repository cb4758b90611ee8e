#include "platform/network.h"

#include "platform/posix/curl_http.h"

namespace korvan {

CookieExchange PanelExchange() {
  return [](const PanelRequest& request, Text& cookies, Text& newCookies) {
    return HttpRequestOverCurl(request.url, {.method = request.method,
                                             .body = TextToBytes(request.postData),
                                             .cookies = &cookies,
                                             .newCookies = &newCookies,
                                             .headers = request.headers});
  };
}

// A 3xx answer is a failed push that names its status: the body must not go where it points.
PushAnswer SendPushRequest(const PushRequest& request) {
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

}  // namespace korvan
