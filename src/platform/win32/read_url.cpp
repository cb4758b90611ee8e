#include "http/read_url.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <array>
#include <string>

#include "platform/win32/wininet_handle.h"

namespace korvan {
namespace {

constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr char kRequestHeaders[] = "Accept: */*\r\n\r\n";
constexpr DWORD kLargestReadSize = 102400;
constexpr DWORD kReadSizeWithoutLength = 10240;

void SetTimeouts(HINTERNET handle) {
  DWORD timeout = kReadUrlTimeoutMilliseconds;
  for (const DWORD option :
       {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
    ::InternetSetOptionA(handle, option, &timeout, sizeof(timeout));
  }
}

// One handle for the whole process, opened by the first call from whichever thread; the static's
// initialisation is thread-safe, so two first calls at once still open only one.
HINTERNET InternetSession() {
  static const UniqueInternetHandle session = [] {
    UniqueInternetHandle opened(::InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (opened) SetTimeouts(opened.Get());
    return opened;
  }();
  return session.Get();
}

struct UrlParts {
  bool secure = false;
  std::string host;
  INTERNET_PORT port = 0;
  std::string objectPath;
};

bool SplitUrl(const std::string& url, UrlParts& parts) {
  std::array<char, INTERNET_MAX_HOST_NAME_LENGTH> host{};
  std::string path(url.size() + 1, '\0');
  std::string extra(url.size() + 1, '\0');
  URL_COMPONENTSA components{};
  components.dwStructSize = sizeof(components);
  components.lpszHostName = host.data();
  components.dwHostNameLength = static_cast<DWORD>(host.size());
  components.lpszUrlPath = path.data();
  components.dwUrlPathLength = static_cast<DWORD>(path.size());
  components.lpszExtraInfo = extra.data();
  components.dwExtraInfoLength = static_cast<DWORD>(extra.size());
  if (!::InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &components)) return false;
  if (components.nScheme != INTERNET_SCHEME_HTTP && components.nScheme != INTERNET_SCHEME_HTTPS) return false;
  if (components.dwHostNameLength == 0) return false;
  parts.secure = components.nScheme == INTERNET_SCHEME_HTTPS;
  parts.host.assign(host.data(), components.dwHostNameLength);
  parts.port = components.nPort;
  parts.objectPath.assign(path.data(), components.dwUrlPathLength);
  parts.objectPath.append(extra.data(), components.dwExtraInfoLength);
  if (parts.objectPath.empty()) parts.objectPath.push_back('/');
  return true;
}

DWORD ReadSizeFor(HINTERNET request) {
  DWORD contentLength = 0;
  DWORD size = sizeof(contentLength);
  if (::HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &contentLength, &size, nullptr)) {
    return std::min<DWORD>(contentLength, kLargestReadSize - 1) + 1;
  }
  return kReadSizeWithoutLength;
}

}  // namespace

ByteSet ReadUrl(std::string_view url) {
  const std::string withoutFragment(url.substr(0, url.find('#')));
  if (withoutFragment.empty()) return {};
  UrlParts parts;
  if (!SplitUrl(withoutFragment, parts)) return {};

  const HINTERNET session = InternetSession();
  if (session == nullptr) return {};
  const UniqueInternetHandle connection(
      ::InternetConnectA(session, parts.host.c_str(), parts.port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return {};
  // No cookies: the time page is no business of the provider's session that the cookie store holds.
  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES;
  if (parts.secure) flags |= INTERNET_FLAG_SECURE;
  const UniqueInternetHandle request(
      ::HttpOpenRequestA(connection.Get(), "GET", parts.objectPath.c_str(), "HTTP/1.0", nullptr, nullptr, flags, 0));
  if (!request) return {};
  SetTimeouts(request.Get());
  if (!::HttpSendRequestA(request.Get(), kRequestHeaders, static_cast<DWORD>(sizeof(kRequestHeaders) - 1), nullptr,
                          0)) {
    return {};
  }

  const DWORD readSize = ReadSizeFor(request.Get());
  ByteSet body;
  ByteSet chunk(readSize);
  for (;;) {
    DWORD received = 0;
    if (!::InternetReadFile(request.Get(), chunk.data(), readSize, &received) || received == 0) break;
    body.insert(body.end(), chunk.begin(), chunk.begin() + received);
  }
  return body;
}

}  // namespace korvan
