#include "renewal/renew_free_vps.h"

#include "http/cookies.h"

#include "runtime/text/text_between.h"
#include "korvan/hosts.h"
#include "http/form_url_encode.h"
#include "renewal/panel_state.h"
#include "renewal/renewal_proof.h"
#include "renewal/run_messages.h"
#include "http/url_decode.h"

namespace korvan {

namespace {

// Markers of the panel's pages, code page 936 bytes; the run's own messages are in run_messages.h.
constexpr std::string_view kLoginSucceededMarker = "top.location='/default.asp'";
constexpr std::string_view kWrongPasswordMarker = "\xC3\xDC\xC2\xEB\xB2\xBB\xD5\xFD\xC8\xB7";  // 密码不正确
constexpr std::string_view kVpsIdLeft = "vpsadm2.asp?id=";
constexpr std::string_view kVpsIdRight = "&go=c";
constexpr std::string_view kExpiryEnd = "</TD>";
constexpr std::string_view kLoggedIn = " \xB5\xC7\xC2\xBC\xB3\xC9\xB9\xA6\xA3\xA1";  // " 登录成功！"

// The Submit value is the percent-encoded code page 936 caption 马上续期.
constexpr std::string_view kRenewalBodyStart = "year=9001&moneynow=0&id=";
constexpr std::string_view kRenewalBodyEnd = "&Submit=%C2%ED%C9%CF%D0%F8%C6%DA";

bool Holds(std::string_view text, std::string_view marker) { return FindText(text, marker) != -1; }

Text RefererLine(std::string_view path) { return JoinTexts("Referer: ", SiteRoot(), path); }

Text Ask(const RenewalPorts& ports,
         std::string_view path,
         HttpMethod method,
         std::string_view postData,
         std::string_view refererPath) {
  return BytesToText(ports.request({JoinTexts(SiteRoot(), path), method, Text(postData), RefererLine(refererPath)}));
}

}  // namespace

Text SiteRoot() { return JoinTexts("http://", hosts::kSite); }

Text LoginBody(std::string_view userName, std::string_view password) {
  return JoinTexts("username=", FormUrlEncode(userName), "&password=", FormUrlEncode(password),
                   "&Submit.x=40&Submit.y=5");
}

std::function<ByteSet(const PanelRequest&)> RequestWithCookies(PanelCookies& cookies, CookieExchange exchange) {
  return [&cookies, exchange = std::move(exchange)](const PanelRequest& request) {
    // The lock is held only to read and to write back, never across the network: the site view's
    // replacement must not wait for a request to time out.
    const Text before = cookies.Copy();
    Text cookieText = before;
    Text newCookies;
    ByteSet body = exchange(request, cookieText, newCookies);
    cookies.WithLock([&](Text& current) {
      // Replaced while the request was out: the answer's cookies go on top of the replacement.
      if (current == before) {
        current = std::move(cookieText);
      } else {
        MergeCookies(current, newCookies);
      }
    });
    return body;
  };
}

RunReport RenewFreeVps(const RenewalPorts& ports) {
  const RunSettings settings = ports.settings ? ports.settings() : RunSettings{};
  RunReport report;
  const auto log = [&](std::string_view message, RunOutcome outcome = RunOutcome::None) {
    RecordRunEntry(report, ports.appendLog(message, outcome), message, outcome);
  };
  const Text userName = ports.userName();
  const Text password = ports.password();
  report.userName = userName;

  const Text loginAnswer =
      Ask(ports, "/user/usertop_login.asp", HttpMethod::Post, LoginBody(userName, password), "/idc/top_login.asp");
  // The name in a login entry is what the box holds when the entry is written.
  if (Holds(loginAnswer, kLoginSucceededMarker)) {
    log(JoinTexts(ports.userName(), kLoggedIn));
    ports.setLoginOk(true);
  } else if (Holds(loginAnswer, kWrongPasswordMarker)) {
    log(JoinTexts(ports.userName(), kWrongPasswordEnding), RunOutcome::WrongPassword);
    ports.setLoginOk(false);
    return report;
  } else {
    log(JoinTexts(ports.userName(), kLoginFailedEnding), RunOutcome::LoginFailed);
    // A page that came back without either marker is a changed panel or a captcha, which only the
    // user can deal with; an answer that never came is the network's.
    if (settings.deadline && !loginAnswer.empty()) log(kLoginPageUnknownMessage, RunOutcome::LoginPageUnknown);
    return report;
  }

  const Text vpsList = Ask(ports, "/user/vpsadm.asp", HttpMethod::Get, {}, "/user/logininfo.asp");
  report.vpsId = TextBetween(vpsList, kVpsIdLeft, kVpsIdRight);
  if (report.vpsId.empty()) {
    log(kNoFreeVpsMessage, RunOutcome::NoVps);
    return report;
  }

  const auto readExpiry = [&] {
    const Text renewalPage = Ask(ports, JoinTexts("/vpsadm/selfvpsmodifyrepay.asp?id=", report.vpsId), HttpMethod::Get,
                                 {}, "/user/vpsadm.asp");
    return TextBetween(renewalPage, kExpiryLabel, kExpiryEnd);
  };
  report.expiry = readExpiry();
  log(JoinTexts(kExpiryLabel, report.expiry));
  if (ports.mode == RenewalMode::CheckOnly) {
    log(kCheckDoneMessage, RunOutcome::CheckDone);
    return report;
  }

  const Text renewalAnswer = Ask(ports, "/vpsadm/selfvpsmodifyendtime.asp", HttpMethod::Post,
                                 JoinTexts(kRenewalBodyStart, report.vpsId, kRenewalBodyEnd), "/user/vpsadm.asp");
  const Text verdict = UrlDecodeText(renewalAnswer, true);
  const std::optional<VerdictEntry> verdictEntry = VerdictOfAnswer(verdict);
  if (verdictEntry) log(verdictEntry->message, verdictEntry->outcome);
  if (settings.verify) {
    report.newExpiry = VerifyRenewal(verdict, report.expiry, readExpiry,
                                     [&](const VerdictEntry& entry) { log(entry.message, entry.outcome); });
  } else if (!verdictEntry) {
    // Not logged without the verification, as ever; but the form went out and nothing says it was
    // taken, so the record, the pushes and the heartbeat must not count the run as fine.
    report.outcome = RunOutcome::UnknownVerdict;
  }
  return report;
}

}  // namespace korvan
