#include "platform/win32/winhttp_read_url.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "http/read_url.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/winhttp_handle.h"

namespace korvan {
namespace {

constexpr wchar_t kUserAgent[] = L"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr DWORD kReadSize = 10240;

struct UrlParts {
  bool secure = false;
  std::wstring host;
  INTERNET_PORT port = 0;
  std::wstring objectPath;
};

bool SplitUrl(const std::wstring& url, UrlParts& parts) {
  URL_COMPONENTS components{};
  components.dwStructSize = sizeof(components);
  // Lengths without buffers: the parts are pointed at inside url.
  components.dwSchemeLength = static_cast<DWORD>(-1);
  components.dwHostNameLength = static_cast<DWORD>(-1);
  components.dwUrlPathLength = static_cast<DWORD>(-1);
  components.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!::WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &components)) return false;
  if (components.nScheme != INTERNET_SCHEME_HTTP && components.nScheme != INTERNET_SCHEME_HTTPS) return false;
  if (components.lpszHostName == nullptr || components.dwHostNameLength == 0) return false;
  parts.secure = components.nScheme == INTERNET_SCHEME_HTTPS;
  parts.host.assign(components.lpszHostName, components.dwHostNameLength);
  parts.port = components.nPort;
  if (components.lpszUrlPath != nullptr) parts.objectPath.assign(components.lpszUrlPath, components.dwUrlPathLength);
  if (components.lpszExtraInfo != nullptr)
    parts.objectPath.append(components.lpszExtraInfo, components.dwExtraInfoLength);
  if (parts.objectPath.empty()) parts.objectPath.push_back(L'/');
  return true;
}

// WinINet's lines in WinINet's order. WinHTTP would add its own Host and User-Agent after the
// caller's lines, so the session names no agent and Host is given here.
std::wstring RequestHeaders(const UrlParts& parts) {
  const INTERNET_PORT usual = parts.secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
  std::wstring host = parts.host;
  if (parts.port != usual) host += L":" + std::to_wstring(parts.port);
  return L"Host: " + host + L"\r\nUser-Agent: " + kUserAgent + L"\r\nAccept: */*\r\n";
}

HINTERNET WinHttpSession() {
  static const UniqueWinHttpHandle session(
      ::WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  return session.Get();
}

// The wait for the answer's headers has a time-out of its own (Wine's never ends without it).
bool SetTimeouts(HINTERNET request) {
  const int timeout = static_cast<int>(kReadUrlTimeoutMilliseconds);
  DWORD headersTimeout = kReadUrlTimeoutMilliseconds;
  return ::WinHttpSetTimeouts(request, timeout, timeout, timeout, timeout) &&
         ::WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &headersTimeout, sizeof(headersTimeout));
}

bool DisableFeatures(HINTERNET request) {
  DWORD features = WINHTTP_DISABLE_KEEP_ALIVE | WINHTTP_DISABLE_COOKIES;
  return ::WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &features, sizeof(features));
}

}  // namespace

ByteSet ReadUrlOverWinHttp(std::string_view url) {
  const std::string withoutFragment(url.substr(0, url.find('#')));
  if (withoutFragment.empty()) return {};
  UrlParts parts;
  if (!SplitUrl(AnsiToWide(withoutFragment), parts)) return {};

  const HINTERNET session = WinHttpSession();
  if (session == nullptr) return {};
  const UniqueWinHttpHandle connection(::WinHttpConnect(session, parts.host.c_str(), parts.port, 0));
  if (!connection) return {};
  const UniqueWinHttpHandle request(::WinHttpOpenRequest(connection.Get(), L"GET", parts.objectPath.c_str(),
                                                         L"HTTP/1.0", WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                         parts.secure ? WINHTTP_FLAG_SECURE : 0));
  if (!request || !SetTimeouts(request.Get()) || !DisableFeatures(request.Get())) return {};
  const std::wstring headers = RequestHeaders(parts);
  if (!::WinHttpAddRequestHeaders(request.Get(), headers.c_str(), static_cast<DWORD>(headers.size()),
                                  WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE)) {
    return {};
  }
  if (!::WinHttpSendRequest(request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !::WinHttpReceiveResponse(request.Get(), nullptr)) {
    return {};
  }

  // A server that trickles its answer is given up with what came, as each wait alone never ends it.
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(kReadUrlWaitSeconds);
  ByteSet body;
  ByteSet chunk(kReadSize);
  while (std::chrono::steady_clock::now() < giveUp) {
    // After a header block cut off by a reset Wine counts -1 bytes waiting, and reading them
    // copies from beyond its buffer.
    DWORD waiting = 0;
    if (!::WinHttpQueryDataAvailable(request.Get(), &waiting) || waiting == 0 || waiting == MAXDWORD) break;
    DWORD received = 0;
    if (!::WinHttpReadData(request.Get(), chunk.data(), std::min(waiting, kReadSize), &received) || received == 0)
      break;
    body.insert(body.end(), chunk.begin(), chunk.begin() + received);
  }
  return body;
}

}  // namespace korvan
