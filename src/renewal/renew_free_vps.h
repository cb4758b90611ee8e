// RenewFreeVps: one run of the renewal job. It logs in to the provider's panel with the user name and
// password standing in the window, opens the VPS list, takes the first VPS, logs its expiry text,
// submits the free-renewal form and logs the provider's verdict.
#pragma once

#include <functional>
#include <string_view>

#include "http/http_method.h"
#include "renewal/run_report.h"
#include "runtime/text/text.h"

namespace korvan {

// One request of a run, as handed to HttpRequest: url, method, postData and the one-line header
// block; the cookie text is the port's business.
struct PanelRequest {
  Text url;
  HttpMethod method = HttpMethod::Get;
  Text postData;
  Text headers;
  friend bool operator==(const PanelRequest&, const PanelRequest&) = default;
};

// Renew: the whole run. CheckOnly: login, VPS list and renewal page with their entries, then
// "检查完成：未提交续期"; the renewal form is never sent.
enum class RenewalMode { Renew, CheckOnly };

// What a run takes from the settings, read once at its start.
struct RunSettings {
  bool verify = false;    // read the renewal page again after the renewal and check the expiry moved
  bool deadline = false;  // the plan is on: say so when the login page is none the run knows
};

// What a run needs from the rest of the program: one exchange with the panel, the user name and the
// password as they stand at the moment of asking, a writer of log entries (each with what it says of
// the run) that gives the stamp of the entry it wrote, the loginOk flag and the settings of this run (defaults when not
// set).
struct RenewalPorts {
  std::function<ByteSet(const PanelRequest&)> request;
  std::function<Text()> userName;
  std::function<Text()> password;
  std::function<Text(std::string_view message, RunOutcome outcome)> appendLog;
  std::function<void(bool)> setLoginOk;
  std::function<RunSettings()> settings;
  RenewalMode mode = RenewalMode::Renew;
};

// "http://" + the provider's site host, no trailing slash.
Text SiteRoot();

// The login form body; user name and password are form-encoded as code page 936 bytes so that
// "&", "=", "%", "+" or a space in them cannot break the form.
Text LoginBody(std::string_view userName, std::string_view password);

// One run; the report holds every entry it logged with its stamp.
RunReport RenewFreeVps(const RenewalPorts& ports);

class PanelCookies;
// One exchange with the panel: HttpRequest with the cookie text in/out and the answer's own cookies out.
using CookieExchange = std::function<ByteSet(const PanelRequest&, Text& cookieText, Text& newCookies)>;
// The request port of the program's run. Each request works on a copy of `cookies` and writes the
// merged text back; when the site view replaced the text meanwhile, the answer's cookies are merged
// into the replacement instead.
std::function<ByteSet(const PanelRequest&)> RequestWithCookies(PanelCookies& cookies, CookieExchange exchange);

}  // namespace korvan
