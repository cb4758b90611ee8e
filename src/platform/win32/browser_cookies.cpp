#include "http/browser_cookies.h"

#include <windows.h>
#include <wininet.h>

#include "http/cookies.h"

namespace korvan {
namespace {

constexpr int kReadingSize = 3000;

// A reading the store did not write keeps its spaces, which the merge drops; the text ends at the
// store's zero byte.
std::string_view UpToZero(const Text& reading) {
  const std::size_t end = reading.find('\0');
  return std::string_view(reading).substr(0, end);
}

}  // namespace

Text ImportBrowserCookies(std::string_view host, std::string_view cookieName) {
  const Text url = JoinTexts("http://", host);
  Text plain = BlankText(kReadingSize);
  Text full = BlankText(kReadingSize);
  DWORD plainSize = kReadingSize;
  DWORD fullSize = kReadingSize;
  InternetGetCookieA(url.c_str(), nullptr, plain.data(), &plainSize);
  InternetGetCookieExA(url.c_str(), nullptr, full.data(), &fullSize, INTERNET_COOKIE_HTTPONLY, nullptr);
  return MergeCookieReadings(UpToZero(plain), UpToZero(full), cookieName);
}

}  // namespace korvan
