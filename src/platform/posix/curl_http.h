// The Linux program's HTTP through libcurl, sending what the Windows program's request object and
// WinINet send: the same header block completed by the same rules, the cookie text first, and
// nothing libcurl would add of its own beyond Host and Content-Length. Nothing here throws; a
// failed exchange gives an empty body.
#pragma once

#include <string_view>

#include "http/http_method.h"
#include "http/read_url.h"
#include "runtime/text/text.h"

namespace korvan {

// The part of HttpRequest's options the runs use, with the same meaning.
struct CurlRequestOptions {
  HttpMethod method = HttpMethod::Get;
  ByteSet body{};              // sent with a POST
  Text* cookies = nullptr;     // in/out: sent as "Cookie", then merged with the new cookies
  Text* newCookies = nullptr;  // out: the cookies this response sets
  Text headers{};              // extra lines, completed with the defaults
  int* statusCode = nullptr;   // out: 0 when there is no response
  bool noRedirect = false;     // a 3xx answer is the answer
  int timeoutSeconds = 0;      // connecting and each wait for data; below 1 means 15 seconds
  bool checkCertificates = false;
};

ByteSet HttpRequestOverCurl(std::string_view url, const CurlRequestOptions& options = {});

// GET over HTTP/1.0 like WinINet's ReadUrl: the whole body of any status, the bytes read so far when
// the answer breaks off, empty when there is none; its time-out for connecting and each wait, the
// whole read bounded by kReadUrlWaitSeconds.
ByteSet ReadUrlOverCurl(std::string_view url);

}  // namespace korvan
