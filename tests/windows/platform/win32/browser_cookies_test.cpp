// ImportBrowserCookies against the process's own Internet cookie store, filled with InternetSetCookie.
#include "http/browser_cookies.h"

#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runtime/text/text.h"

namespace korvan {
namespace {

std::vector<std::string> Entries(const std::string& cookies) {
  std::vector<std::string> entries;
  std::size_t start = 0;
  while (start <= cookies.size() && !cookies.empty()) {
    const std::size_t end = cookies.find("; ", start);
    entries.push_back(cookies.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 2;
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

TEST(ImportBrowserCookies, GivesEveryCookieOfTheHostAsOneCookieText) {
  ASSERT_TRUE(InternetSetCookieA("http://shop.korvan.test/", "a", "1"));
  ASSERT_TRUE(InternetSetCookieA("http://shop.korvan.test/", "b", "2"));
  ASSERT_TRUE(InternetSetCookieA("http://other.korvan.test/", "x", "9"));

  const Text cookies = ImportBrowserCookies("shop.korvan.test");

  EXPECT_EQ(Entries(cookies), (std::vector<std::string>{"a=1", "b=2"})) << cookies;
  std::string withoutSeparators = cookies;
  for (std::size_t at; (at = withoutSeparators.find("; ")) != std::string::npos;)
    withoutSeparators.erase(at, 2);
  EXPECT_EQ(withoutSeparators.find(' '), std::string::npos) << "blanks inside entries: " << cookies;
}

TEST(ImportBrowserCookies, IncludesHttpOnlyCookies) {
  ASSERT_TRUE(InternetSetCookieA("http://login.korvan.test/", "plain", "1"));
  const DWORD state =
      InternetSetCookieExA("http://login.korvan.test/", nullptr, "sid=s3cr3t; httponly", INTERNET_COOKIE_HTTPONLY, 0);
  ASSERT_NE(state, static_cast<DWORD>(COOKIE_STATE_UNKNOWN));
  // The plain reading alone leaves the HttpOnly cookie out, so only the full reading brings it.
  char plain[3000] = {};
  DWORD size = sizeof plain;
  ASSERT_TRUE(InternetGetCookieA("http://login.korvan.test", nullptr, plain, &size));
  ASSERT_EQ(std::string(plain).find("sid="), std::string::npos) << plain;

  EXPECT_EQ(Entries(ImportBrowserCookies("login.korvan.test")), (std::vector<std::string>{"plain=1", "sid=s3cr3t"}));
}

TEST(ImportBrowserCookies, NarrowsToTheNamedCookie) {
  ASSERT_TRUE(InternetSetCookieA("http://pick.korvan.test/", "a", "1"));
  ASSERT_TRUE(InternetSetCookieA("http://pick.korvan.test/", "sid", "xyz"));

  EXPECT_EQ(ImportBrowserCookies("pick.korvan.test", "sid"), "sid=xyz");
  EXPECT_EQ(ImportBrowserCookies("pick.korvan.test", "missing"), "");
}

TEST(ImportBrowserCookies, HostWithoutCookiesGivesTheEmptyText) {
  EXPECT_EQ(ImportBrowserCookies("empty.korvan.test"), "");
}

TEST(ImportBrowserCookies, ReadingsThatDoNotFitTheBuffersContributeNothing) {
  // One cookie of 3,500 bytes cannot come back in a 3,000-byte reading.
  ASSERT_TRUE(InternetSetCookieA("http://big.korvan.test/", "big", std::string(3500, 'v').c_str()));
  EXPECT_EQ(ImportBrowserCookies("big.korvan.test"), "");
}

}  // namespace
}  // namespace korvan
