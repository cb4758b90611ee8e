#include "platform/network.h"

#include "http/http_request.h"

namespace korvan {

CookieExchange PanelExchange() {
  return [](const PanelRequest& request, Text& cookies, Text& newCookies) {
    Text headers = request.headers;
    return HttpRequest(request.url, {.method = HttpMethodNumber(request.method),
                                     .postData = request.postData,
                                     .cookies = &cookies,
                                     .newCookies = &newCookies,
                                     .headers = &headers});
  };
}

// A push is never redirected: its body would go to wherever the answer points. A 3xx answer is a
// failed push that names its status. Bad certificates fail it too, as the URLs carry secrets.
PushAnswer SendPushRequest(const PushRequest& request) {
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

}  // namespace korvan
