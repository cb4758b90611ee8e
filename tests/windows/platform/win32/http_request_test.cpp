// HttpRequest against tools/fake_panel.py on 127.0.0.1 (its /_echo answers with the request as the
// server saw it). The server's ports come in KORVAN_PANEL_PORT and KORVAN_CLOSED_PORT.
#include "http/http_request.h"

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "http/request_decisions.h"

namespace korvan {
namespace {

Text Port(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? Text(value) : Text();
}

Text Panel(std::string_view path) { return JoinTexts("http://127.0.0.1:", Port("KORVAN_PANEL_PORT"), path); }

Text AsText(const ByteSet& bytes) { return Text(bytes.begin(), bytes.end()); }

// The echoed request: request line and header lines joined by "\n", an empty line, the body.
struct Echo {
  Text head;
  Text body;
};
Echo ParseEcho(const ByteSet& answer) {
  const Text text = AsText(answer);
  const auto split = text.find("\n\n");
  if (split == Text::npos) return {text, {}};
  return {text.substr(0, split + 1), text.substr(split + 2)};
}

const Text kUserAgent = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
const Text kContentType = "Content-Type: application/x-www-form-urlencoded";

class HttpRequestTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(Port("KORVAN_PANEL_PORT").empty()) << "run through tools/fake_panel.py"; }
};

struct HeaderBlockCase {
  const char* name;
  Text headers;
  Text completedAfterUrl;  // the completed block, "@" standing for the url
  std::vector<Text> linesSeen;
  std::vector<Text> linesNotSeen;
};

class DefaultHeaderBlock : public HttpRequestTest, public ::testing::WithParamInterface<HeaderBlockCase> {};

TEST_P(DefaultHeaderBlock, IsCompletedStoredBackAndSent) {
  const HeaderBlockCase& c = GetParam();
  const Text url = Panel("/_echo/headers");
  Text headers = c.headers;
  const Echo echo = ParseEcho(HttpRequest(url, {.headers = &headers}));

  Text expected = c.completedAfterUrl;
  for (auto at = expected.find('@'); at != Text::npos; at = expected.find('@'))
    expected.replace(at, 1, url);
  EXPECT_EQ(headers, expected);
  for (Text line : c.linesSeen) {
    for (auto at = line.find('@'); at != Text::npos; at = line.find('@'))
      line.replace(at, 1, url);
    EXPECT_NE(echo.head.find("\n" + line + "\n"), Text::npos) << line << "\nin\n" << echo.head;
  }
  for (const Text& line : c.linesNotSeen)
    EXPECT_EQ(echo.head.find(line), Text::npos) << line << "\nin\n" << echo.head;
}

INSTANTIATE_TEST_SUITE_P(
    Blocks,
    DefaultHeaderBlock,
    ::testing::Values(
        HeaderBlockCase{"Empty",
                        "",
                        "Accept: */*\r\nReferer: @\r\nAccept-Language: zh-cn\r\n" + kUserAgent + "\r\n" + kContentType,
                        {"Accept: */*", "Referer: @", "Accept-Language: zh-cn", kUserAgent, kContentType},
                        {}},
        HeaderBlockCase{"RefererOnly",
                        "Referer: http://127.0.0.1/idc/top_login.asp",
                        "Referer: http://127.0.0.1/idc/top_login.asp\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n" +
                            kUserAgent + "\r\n" + kContentType,
                        {"Referer: http://127.0.0.1/idc/top_login.asp", "Accept: */*"},
                        {"Referer: http://127.0.0.1:"}},
        HeaderBlockCase{"LowerCaseAcceptGetsTheDefaultToo",
                        "accept: text/html",
                        "accept: text/html\r\nAccept: */*\r\nReferer: @\r\nAccept-Language: zh-cn\r\n" + kUserAgent +
                            "\r\n" + kContentType,
                        {"Accept: */*"},
                        {}},
        HeaderBlockCase{
            "XAcceptCountsAsAccept",
            "X-Accept: yes",
            "X-Accept: yes\r\nReferer: @\r\nAccept-Language: zh-cn\r\n" + kUserAgent + "\r\n" + kContentType,
            {"X-Accept: yes"},
            {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HttpRequestTest, SendsTheCookieTextBeforeEveryOtherHeader) {
  Text cookies = "a=1; b=2";
  const Echo echo = ParseEcho(HttpRequest(Panel("/_echo/cookie"), {.cookies = &cookies}));
  const auto cookie = echo.head.find("\nCookie: a=1; b=2\n");
  ASSERT_NE(cookie, Text::npos) << echo.head;
  EXPECT_LT(cookie, echo.head.find("\nAccept: */*\n"));
  EXPECT_LT(cookie, echo.head.find("\nReferer: "));
  EXPECT_EQ(cookies, "a=1; b=2");
}

TEST_F(HttpRequestTest, WithoutCookiesSendsNoCookieHeader) {
  Text cookies;
  const Echo echo = ParseEcho(HttpRequest(Panel("/_echo/nocookie"), {.cookies = &cookies}));
  EXPECT_EQ(echo.head.find("Cookie:"), Text::npos) << echo.head;
}

TEST_F(HttpRequestTest, MethodsAndBodies) {
  struct Case {
    int method;
    const char* requestLine;
    const char* bodySeen;  // the object itself sends no body with a GET
  };
  for (const Case& c : {Case{0, "GET ", ""}, Case{1, "POST ", "a=1&b=2"}, Case{7, "GET ", ""}, Case{-1, "GET ", ""}}) {
    const Echo echo = ParseEcho(HttpRequest(Panel("/_echo/method"), {.method = c.method, .postData = "a=1&b=2"}));
    EXPECT_EQ(echo.head.rfind(c.requestLine, 0), 0u) << c.method << ": " << echo.head;
    EXPECT_EQ(echo.body, c.bodySeen) << c.method;
  }
}

TEST_F(HttpRequestTest, HeadGivesAnEmptyBodyAndItsStatus) {
  int status = -5;
  Text responseHeaders;
  const ByteSet body =
      HttpRequest(Panel("/_echo/head"), {.method = 2, .responseHeaders = &responseHeaders, .statusCode = &status});
  EXPECT_TRUE(body.empty());
  EXPECT_EQ(status, 200);
  EXPECT_NE(responseHeaders.find("Content-Length:"), Text::npos) << responseHeaders;
  const Text recorded = AsText(HttpRequest(Panel("/_fake/requests")));
  EXPECT_NE(recorded.find("\"method\": \"HEAD\", \"path\": \"/_echo/head\""), Text::npos) << recorded.substr(0, 400);
}

TEST_F(HttpRequestTest, PostBytesWinOverPostData) {
  const ByteSet bytes{0x01, 0x00, 0xFF, 'x', 0x80};
  const Echo echo =
      ParseEcho(HttpRequest(Panel("/_echo/bytes"), {.method = 1, .postData = "text", .postBytes = bytes}));
  EXPECT_EQ(echo.body, AsText(bytes));
}

// The server sends its headers after `sleep` seconds and the body `stall` seconds later: Wine's
// object bounds the wait for the body by the receive time-out, but not the wait for the headers. A
// slow but healthy panel, each phase within the time-out, is waited for to the end.
TEST_F(HttpRequestTest, TimeOutsBoundTheWait) {
  struct Case {
    int timeoutSeconds;
    const char* sleep;
    const char* stall;
    bool answered;
  };
  for (const Case& c : {Case{1, "0", "4", false}, Case{2, "0", "4", false}, Case{0, "0", "1", true},
                        Case{-1, "0", "1", true}, Case{30, "0", "1", true}, Case{0, "10", "10", true}}) {
    const auto started = std::chrono::steady_clock::now();
    const ByteSet body = HttpRequest(JoinTexts(Panel("/_echo/slow?sleep="), c.sleep, "&stall=", c.stall),
                                     {.timeoutSeconds = c.timeoutSeconds});
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(AsText(body), c.answered ? "late body" : "") << c.timeoutSeconds << " " << c.sleep;
    if (!c.answered) {
      EXPECT_LT(seconds, c.timeoutSeconds + 1.5) << "time-out of " << c.timeoutSeconds << " s not applied";
    }
  }
}

// Answers broken the way networks and servers break them (fake_panel's fault modes, whose answers
// also set the cookie broken=1). Whatever the object does with them, the exchange ends within the
// wait its time-out allows and a little more, and a failed exchange hands back what a failed Send gives: no body,
// headers, status or new cookies, and the old cookies merged. The server lets go of the connection
// after `hold` seconds; the process must take that, too, and go on making exchanges.
struct BrokenAnswerCase {
  const char* mode;
  int timeoutSeconds;
  double hold;
  double atLeastSeconds;  // the exchange waited for its time-out
  bool mayBeAnswered;     // an orderly close may pass for the end of a shorter body
};

class BrokenAnswer : public HttpRequestTest, public ::testing::WithParamInterface<BrokenAnswerCase> {};

TEST_P(BrokenAnswer, EndsInTimeAsAFailedExchange) {
  const BrokenAnswerCase& c = GetParam();
  Text cookies = "a=1;  b = 2; a=3";
  Text newCookies = "old=1";
  Text responseHeaders = "old";
  int status = -5;
  const auto started = std::chrono::steady_clock::now();
  const ByteSet body = HttpRequest(JoinTexts(Panel("/_echo/broken?fault="), c.mode, "&hold=", std::to_string(c.hold)),
                                   {.cookies = &cookies,
                                    .newCookies = &newCookies,
                                    .responseHeaders = &responseHeaders,
                                    .statusCode = &status,
                                    .timeoutSeconds = c.timeoutSeconds});
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  EXPECT_GE(seconds, c.atLeastSeconds);
  EXPECT_LT(seconds, ExchangeWaitSeconds(c.timeoutSeconds) + 1.5) << "not given up within the wait it is allowed";
  if (c.mayBeAnswered && status == 200) {
    // Taken as complete: then it is the 300 bytes that came, the answer's own headers and cookie.
    EXPECT_EQ(body.size(), 300u);
    EXPECT_EQ(AsText(body).rfind("<!--", 0), 0u);
    EXPECT_EQ(cookies, "broken=1; a=1; b=2");
  } else {
    EXPECT_TRUE(body.empty()) << body.size() << " bytes";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(responseHeaders, "");
    EXPECT_EQ(newCookies, "");
    EXPECT_EQ(cookies, "a=1; b=2");
  }

  // Past the server's letting go, the next exchange goes through as usual.
  const double rest = c.hold + 1 - seconds;
  if (rest > 0) std::this_thread::sleep_for(std::chrono::duration<double>(rest));
  int nextStatus = 0;
  const Echo echo = ParseEcho(HttpRequest(Panel("/_echo/after"), {.statusCode = &nextStatus}));
  EXPECT_EQ(nextStatus, 200);
  EXPECT_EQ(echo.head.rfind("GET /_echo/after", 0), 0u) << echo.head;
}

INSTANTIATE_TEST_SUITE_P(Faults,
                         BrokenAnswer,
                         // The silent server of 1 s lets go only after the exchange was given up.
                         ::testing::Values(BrokenAnswerCase{"body_reset", 5, 0, 0, false},
                                           BrokenAnswerCase{"body_short", 5, 0, 0, true},
                                           BrokenAnswerCase{"header_reset", 1, 0, 0, false},
                                           BrokenAnswerCase{"silent", 2, 6, 2, false},
                                           BrokenAnswerCase{"silent", 1, 8, 1, false}),
                         [](const auto& info) {
                           return std::string(info.param.mode) + "_" + std::to_string(info.param.timeoutSeconds) + "s";
                         });

TEST_F(HttpRequestTest, CollectsAndMergesTheSetCookiesOfMixedCase) {
  Text cookies;
  Text newCookies = "stale=1";
  Text responseHeaders;
  HttpRequest(Panel("/_echo/c?cookies=mixed"),
              {.cookies = &cookies, .newCookies = &newCookies, .responseHeaders = &responseHeaders});
  EXPECT_NE(responseHeaders.find("\r\nSet-Cookie: a=1; path=/\r\n"), Text::npos) << responseHeaders;
  EXPECT_NE(responseHeaders.find("\r\nSet-Cookie: b=2\r\n"), Text::npos) << responseHeaders;
  EXPECT_EQ(responseHeaders.find("set-cookie"), Text::npos);
  EXPECT_EQ(cookies, "a=1; b=2");
  EXPECT_EQ(newCookies, "a=1;b=2");

  // The next answer's values replace older ones of the same name; others stay.
  cookies = "b=old; keep=1";
  HttpRequest(Panel("/_echo/c?cookies=mixed"), {.cookies = &cookies});
  EXPECT_EQ(cookies, "a=1; b=2; keep=1");
}

// Wine hands the header text back only up to such a line (a zero follows it), so the well-formed
// cookie comes first here.
TEST_F(HttpRequestTest, SetCookieWithASpaceBeforeTheColonGivesAnEmptyEntry) {
  Text cookies;
  Text newCookies;
  Text responseHeaders;
  HttpRequest(Panel("/_echo/c?cookies=spaced"),
              {.cookies = &cookies, .newCookies = &newCookies, .responseHeaders = &responseHeaders});
  ASSERT_NE(responseHeaders.find("Set-Cookie : x=1"), Text::npos) << responseHeaders;
  EXPECT_EQ(responseHeaders.find('\0'), Text::npos);
  EXPECT_EQ(newCookies, "y=2;") << responseHeaders;
  EXPECT_EQ(cookies, "y=2") << responseHeaders;
}

TEST_F(HttpRequestTest, ErrorStatusIsHandedBackLikeAnyAnswer) {
  int status = 0;
  Text cookies;
  const Echo echo = ParseEcho(
      HttpRequest(Panel("/_echo/missing?status=404&cookies=mixed"), {.cookies = &cookies, .statusCode = &status}));
  EXPECT_EQ(status, 404);
  EXPECT_EQ(echo.head.rfind("GET /_echo/missing", 0), 0u) << echo.head;
  EXPECT_EQ(cookies, "a=1; b=2");
}

TEST_F(HttpRequestTest, RedirectsAreFollowedUnlessTurnedOff) {
  int status = 0;
  HttpRequest(Panel("/_echo/r?redirect=1"), {.statusCode = &status});
  EXPECT_EQ(status, 200);
  HttpRequest(Panel("/_echo/r?redirect=1"), {.statusCode = &status, .noRedirect = true});
  EXPECT_EQ(status, 302);
}

TEST_F(HttpRequestTest, LargeBodyArrivesWhole) {
  const ByteSet body = HttpRequest(Panel("/_echo/big?body=5000000"));
  ASSERT_EQ(body.size(), 5000000u);
  for (std::size_t i = 0; i < body.size(); i += 99991)
    ASSERT_EQ(body[i], i % 251) << i;
}

TEST_F(HttpRequestTest, RefusedConnectionGivesEmptyResultsAndStillMergesTheCookies) {
  const Text url = JoinTexts("http://127.0.0.1:", Port("KORVAN_CLOSED_PORT"), "/x");
  Text cookies = "a=1;  b = 2; a=3";
  Text newCookies = "old=1";
  Text headers;
  Text responseHeaders = "old";
  int status = -5;
  const ByteSet body = HttpRequest(url, {.cookies = &cookies,
                                         .newCookies = &newCookies,
                                         .headers = &headers,
                                         .responseHeaders = &responseHeaders,
                                         .statusCode = &status,
                                         .timeoutSeconds = 5});
  EXPECT_TRUE(body.empty());
  EXPECT_EQ(status, 0);
  EXPECT_EQ(responseHeaders, "");
  EXPECT_EQ(newCookies, "");
  EXPECT_EQ(cookies, "a=1; b=2");
  EXPECT_EQ(headers.rfind("Accept: */*\r\nReferer: " + url, 0), 0u);
}

TEST_F(HttpRequestTest, SuppliedRequestObjectIsUsedAndStaysWithItsOwner) {
  ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
  {
    CLSID classId{};
    ASSERT_TRUE(SUCCEEDED(::CLSIDFromProgID(L"WinHttp.WinHttpRequest.5.1", &classId)));
    Microsoft::WRL::ComPtr<IDispatch> object;
    ASSERT_TRUE(SUCCEEDED(::CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object))));
    for (int round = 0; round < 2; ++round) {
      int status = 0;
      const Echo echo =
          ParseEcho(HttpRequest(Panel("/_echo/own"), {.statusCode = &status, .requestObject = object.Get()}));
      EXPECT_EQ(status, 200) << round;
      EXPECT_EQ(echo.head.rfind("GET /_echo/own", 0), 0u) << round;
    }
    // Supplied but null: no object to use, nothing touched.
    int status = -5;
    Text cookies = "a = 1";
    EXPECT_TRUE(
        HttpRequest(Panel("/_echo/own"),
                    {.cookies = &cookies, .statusCode = &status, .requestObject = static_cast<IDispatch*>(nullptr)})
            .empty());
    EXPECT_EQ(status, -5);
    EXPECT_EQ(cookies, "a = 1");
  }
  ::CoUninitialize();
}

TEST_F(HttpRequestTest, WorksOnAThreadThatHasNotInitialisedCom) {
  int status = 0;
  std::thread worker([&] { HttpRequest(Panel("/_echo/thread"), {.statusCode = &status}); });
  worker.join();
  EXPECT_EQ(status, 200);
}

}  // namespace
}  // namespace korvan
