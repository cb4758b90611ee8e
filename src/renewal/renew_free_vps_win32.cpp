#include "renewal/renew_free_vps.h"

#include "http/http_request.h"
#include "renewal/panel_state.h"

namespace korvan {

std::function<ByteSet(const PanelRequest&)> PanelRequestOverHttp() {
  return RequestWithCookies(panelCookies(), [](const PanelRequest& request, Text& cookies, Text& newCookies) {
    Text headers = request.headers;
    return HttpRequest(request.url, {.method = request.method,
                                     .postData = request.postData,
                                     .cookies = &cookies,
                                     .newCookies = &newCookies,
                                     .headers = &headers});
  });
}

}  // namespace korvan
