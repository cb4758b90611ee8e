#include "renewal/renew_free_vps.h"

#include "http/http_request.h"
#include "renewal/append_log.h"
#include "renewal/panel_state.h"

namespace korvan {

void RenewFreeVps() {
  RenewalPorts ports;
  ports.request = RequestWithCookies(panelCookies(), [](const PanelRequest& request, Text& cookies, Text& newCookies) {
    Text headers = request.headers;
    return HttpRequest(request.url,
                       {.method = request.method, .postData = request.postData, .cookies = &cookies, .newCookies = &newCookies, .headers = &headers});
  });
  ports.readBox = [](FormBox box) { return ReadFormBox(box); };
  ports.appendLog = [](std::string_view message) { AppendLog(message); };
  ports.setLoginOk = [](bool ok) { loginOk().store(ok); };
  RenewFreeVps(ports);
}

}  // namespace korvan
