// HttpRequest: one complete HTTP exchange through the system's WinHttp.WinHttpRequest.5.1 object,
// made to look like a browser's (default header lines, the caller's cookie text as "Cookie", the
// response's Set-Cookie values merged back into it). It never throws and shows nothing: a failed
// exchange gives an empty body.
#pragma once

#include <optional>
#include <string_view>

#include "runtime/text/text.h"

struct IDispatch;

namespace korvan {

// The parameters after the url, in their order. Out and in/out parameters point at the caller's
// variables; a null pointer means the caller left it out (its value is computed and dropped). For
// every other parameter the zero value and omission mean the same, except proxyFlags and
// requestObject.
struct HttpRequestOptions {
  int method = 0;                   // 0 "GET", 1 "POST", 2 "HEAD"; anything else "GET"
  Text postData{};                  // sent whenever postBytes is empty
  Text* cookies = nullptr;          // in/out: sent as "Cookie", then merged with the new cookies
  Text* newCookies = nullptr;       // out: the cookies this response sets
  Text* headers = nullptr;          // in/out: extra lines, completed with the defaults
  Text* responseHeaders = nullptr;  // out: every Set-Cookie name in one letter case
  int* statusCode = nullptr;        // out: 0 when there is no response
  bool noRedirect = false;
  ByteSet postBytes{};  // when non-empty, sent instead of postData
  Text proxy{};
  int timeoutSeconds = 0;  // -1 leaves the object's time-outs; below 1 means 15 seconds
  Text proxyUser{};
  Text proxyPassword{};
  std::optional<int> proxyFlags{};            // omitted: 1, the credentials are for the proxy
  std::optional<IDispatch*> requestObject{};  // omitted: a new object for this call
  // The panel's certificate errors are ignored as they always were; a push carries a secret in its
  // URL, so for it a bad certificate fails the exchange.
  bool checkCertificates = false;
};

ByteSet HttpRequest(std::string_view url, const HttpRequestOptions& options = {});

}  // namespace korvan
