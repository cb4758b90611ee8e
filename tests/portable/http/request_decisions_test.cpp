#include "http/request_decisions.h"

#include <gtest/gtest.h>

#include <climits>

namespace korvan {
namespace {

TEST(RequestMethodName, NamesTheThreeMethodsAndFallsBackToGet) {
  const std::pair<int, const char*> cases[] = {{0, "GET"}, {1, "POST"}, {2, "HEAD"},
                                               {7, "GET"}, {-1, "GET"}, {3, "GET"}};
  for (const auto& [method, name] : cases)
    EXPECT_EQ(RequestMethodName(method), name) << method;
}

TEST(RequestTimeoutMilliseconds, DefaultsKeepsAndClamps) {
  const std::pair<int, std::optional<int>> cases[] = {{0, 15000},         {-5, 15000},        {1, 1000},
                                                      {30, 30000},        {-1, std::nullopt}, {2147483, 2147483000},
                                                      {2147484, INT_MAX}, {INT_MAX, INT_MAX}};
  for (const auto& [seconds, milliseconds] : cases)
    EXPECT_EQ(RequestTimeoutMilliseconds(seconds), milliseconds) << seconds;
}

TEST(ExchangeWaitSeconds, IsFourPhasesOfTheTimeOutAndAMarginAndFitsTheMilliseconds) {
  // -1: the object's defaults, 60 s to connect, 30 s each to send and receive, 60 s to resolve.
  const std::pair<int, int> cases[] = {{0, 62},           {-5, 62},           {1, 6},
                                       {30, 122},         {-1, 182},          {536870, 2147482},
                                       {536871, 2147483}, {2147483, 2147483}, {INT_MAX, 2147483}};
  for (const auto& [seconds, wait] : cases)
    EXPECT_EQ(ExchangeWaitSeconds(seconds), wait) << seconds;
}

TEST(ObjectOptionsToWrite, IgnoresCertificateErrorsUnlessTheyAreChecked) {
  struct Case {
    bool noRedirect;
    bool checkCertificates;
    std::vector<ObjectOption> written;
  };
  const Case cases[] = {
      {false, false, {{4, 0x3300}}},
      {true, false, {{6, 0}, {4, 0x3300}}},
      {false, true, {}},
      {true, true, {{6, 0}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ObjectOptionsToWrite(c.noRedirect, c.checkCertificates), c.written)
        << c.noRedirect << c.checkCertificates;
  }
}

TEST(RequestHeaderFields, PutsTheCookieFirstThenEveryLineOfTheBlock) {
  const Text block = "Referer: http://h/x\r\nAccept: */*\r\n\r\nnocolon";
  EXPECT_EQ(RequestHeaderFields("a=1; b=2", block),
            (std::vector<HeaderField>{{"Cookie", "a=1; b=2"}, {"Referer", "http://h/x"}, {"Accept", "*/*"}, {"", ""}}));
  EXPECT_EQ(RequestHeaderFields("", "Accept: */*"), (std::vector<HeaderField>{{"Accept", "*/*"}}));
}

struct ResponseCase {
  const char* name;
  Text headers;
  Text cookiesBefore;
  Text unified;
  Text cookiesAfter;
  Text newCookies;
};

class TakeResponseCookiesCase : public ::testing::TestWithParam<ResponseCase> {};

TEST_P(TakeResponseCookiesCase, UnifiesCollectsAndMerges) {
  const ResponseCase& c = GetParam();
  const ResponseCookieResult result = TakeResponseCookies(c.headers, c.cookiesBefore);
  EXPECT_EQ(result.responseHeaders, c.unified);
  EXPECT_EQ(result.cookies, c.cookiesAfter);
  EXPECT_EQ(result.newCookies, c.newCookies);
}

INSTANTIATE_TEST_SUITE_P(
    Headers,
    TakeResponseCookiesCase,
    ::testing::Values(
        ResponseCase{"TwoCookiesInMixedCase", "Server: x\r\nset-cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n\r\n", "",
                     "Server: x\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n\r\n", "a=1; b=2", "a=1;b=2"},
        ResponseCase{"NewerValueWins", "SET-COOKIE: s=new; path=/\r\n", "s=old; t=1", "Set-Cookie: s=new; path=/\r\n",
                     "s=new; t=1", "s=new"},
        ResponseCase{"NoSetCookieKeepsOrderLessBlanks", "Content-Type: text/html\r\n", "a=1;  b = 2",
                     "Content-Type: text/html\r\n", "a=1; b=2", ""},
        ResponseCase{"SpaceBeforeColonGivesEmptyPiece", "Set-Cookie : x=1; path=/\r\nSet-Cookie: y=2; path=/\r\n", "",
                     "Set-Cookie : x=1; path=/\r\nSet-Cookie: y=2; path=/\r\n", "; y=2", ";y=2"},
        ResponseCase{"DeletedCookieDropped", "Set-Cookie: a=deleted; path=/\r\n", "a=1; b=2",
                     "Set-Cookie: a=deleted; path=/\r\n", "b=2", "a=deleted"},
        ResponseCase{"NoHeadersAtAll", "", "a=1", "", "a=1", ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvan
