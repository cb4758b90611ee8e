#include "renewal/renew_free_vps.h"

#include "http/http_request.h"

namespace korvan {

CookieExchange PanelExchangeOverHttp() {
  return [](const PanelRequest& request, Text& cookies, Text& newCookies) {
    Text headers = request.headers;
    return HttpRequest(request.url, {.method = HttpMethodNumber(request.method),
                                     .postData = request.postData,
                                     .cookies = &cookies,
                                     .newCookies = &newCookies,
                                     .headers = &headers});
  };
}

}  // namespace korvan
