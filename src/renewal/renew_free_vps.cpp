#include "renewal/renew_free_vps.h"

#include "http/cookies.h"

#include "http/text_between.h"
#include "korvan/hosts.h"
#include "renewal/form_url_encode.h"
#include "renewal/panel_state.h"
#include "renewal/url_decode.h"

namespace korvan {

namespace {

constexpr int kGet = 0;
constexpr int kPost = 1;

// Markers and messages are code page 936 bytes; the Chinese stands in the comment beside each.
constexpr std::string_view kLoginSucceededMarker = "top.location='/default.asp'";
constexpr std::string_view kWrongPasswordMarker = "\xC3\xDC\xC2\xEB\xB2\xBB\xD5\xFD\xC8\xB7";  // 密码不正确
constexpr std::string_view kVpsIdLeft = "vpsadm2.asp?id=";
constexpr std::string_view kVpsIdRight = "&go=c";
constexpr std::string_view kExpiryLabel = "\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xA3\xBA";  // 到期时间：
constexpr std::string_view kExpiryEnd = "</TD>";
constexpr std::string_view kSucceeded = "\xB3\xC9\xB9\xA6";  // 成功
// 请在该产品到期前1日内进行积分免费续期
constexpr std::string_view kOnlyWithinOneDay =
    "\xC7\xEB\xD4\xDA\xB8\xC3\xB2\xFA\xC6\xB7\xB5\xBD\xC6\xDA\xC7\xB0"
    "1\xC8\xD5\xC4\xDA\xBD\xF8\xD0\xD0\xBB\xFD\xB7\xD6\xC3\xE2\xB7\xD1\xD0\xF8\xC6\xDA";

constexpr std::string_view kLoggedIn = " \xB5\xC7\xC2\xBC\xB3\xC9\xB9\xA6\xA3\xA1";              // " 登录成功！"
constexpr std::string_view kWrongPassword = " \xC3\xDC\xC2\xEB\xB2\xBB\xD5\xFD\xC8\xB7\xA3\xA1";  // " 密码不正确！"
constexpr std::string_view kLoginFailed = " \xB5\xC7\xC2\xBC\xCA\xA7\xB0\xDC\xA3\xA1";           // " 登录失败！"
constexpr std::string_view kNoFreeVps = "\xCE\xB4\xD5\xD2\xB5\xBD\xC3\xE2\xB7\xD1VPS";             // 未找到免费VPS
constexpr std::string_view kRenewed = "\xD0\xF8\xB7\xD1\xB3\xC9\xB9\xA6\xA3\xA1";                 // 续费成功！

// The Submit value is the percent-encoded code page 936 caption 马上续期.
constexpr std::string_view kRenewalBodyStart = "year=9001&moneynow=0&id=";
constexpr std::string_view kRenewalBodyEnd = "&Submit=%C2%ED%C9%CF%D0%F8%C6%DA";

bool Holds(std::string_view text, std::string_view marker) { return FindText(text, marker) != -1; }

Text RefererLine(std::string_view path) { return JoinTexts("Referer: ", SiteRoot(), path); }

Text Ask(const RenewalPorts& ports, std::string_view path, int method, std::string_view postData,
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

void RenewFreeVps(const RenewalPorts& ports) {
  const Text userName = ports.userName();
  const Text password = ports.password();

  const Text loginAnswer =
      Ask(ports, "/user/usertop_login.asp", kPost, LoginBody(userName, password), "/idc/top_login.asp");
  // The name in a login entry is what the box holds when the entry is written.
  if (Holds(loginAnswer, kLoginSucceededMarker)) {
    ports.appendLog(JoinTexts(ports.userName(), kLoggedIn));
    ports.setLoginOk(true);
  } else if (Holds(loginAnswer, kWrongPasswordMarker)) {
    ports.appendLog(JoinTexts(ports.userName(), kWrongPassword));
    ports.setLoginOk(false);
    return;
  } else {
    ports.appendLog(JoinTexts(ports.userName(), kLoginFailed));
    return;
  }

  const Text vpsList = Ask(ports, "/user/vpsadm.asp", kGet, {}, "/user/logininfo.asp");
  const Text vpsId = TextBetween(vpsList, kVpsIdLeft, kVpsIdRight);
  if (vpsId.empty()) {
    ports.appendLog(kNoFreeVps);
    return;
  }

  const Text renewalPage =
      Ask(ports, JoinTexts("/vpsadm/selfvpsmodifyrepay.asp?id=", vpsId), kGet, {}, "/user/vpsadm.asp");
  ports.appendLog(JoinTexts(kExpiryLabel, TextBetween(renewalPage, kExpiryLabel, kExpiryEnd)));

  const Text renewalAnswer = Ask(ports, "/vpsadm/selfvpsmodifyendtime.asp", kPost,
                                 JoinTexts(kRenewalBodyStart, vpsId, kRenewalBodyEnd), "/user/vpsadm.asp");
  const Text verdict = UrlDecodeText(renewalAnswer, true);
  if (Holds(verdict, kSucceeded)) {
    ports.appendLog(kRenewed);
  } else if (Holds(verdict, kOnlyWithinOneDay)) {
    ports.appendLog(kOnlyWithinOneDay);
  }
}

}  // namespace korvan
