#include "http/read_url.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "local_http_server.h"
#include "platform/win32/winhttp_read_url.h"

namespace korvan {
namespace {

using korvan::testing::ClosedLocalPort;
using korvan::testing::LocalHttpServer;

// The window program reads over WinINet, korvan-cli.exe over WinHTTP: every case holds for both.
struct Reader {
  const char* name;
  ByteSet (*read)(std::string_view url);
};
constexpr Reader kReaders[] = {{"WinINet", ReadUrl}, {"WinHTTP", ReadUrlOverWinHttp}};

ByteSet Bytes(const std::string& text) { return ByteSet(text.begin(), text.end()); }

std::string Filler(std::size_t size) {
  std::string body;
  for (std::size_t i = 0; i < size; ++i)
    body.push_back(static_cast<char>('a' + i % 26));
  return body;
}

struct BodyCase {
  const char* name;
  std::string answer;
  std::string expectedBody;
};

class ReadUrlBodyTest : public ::testing::TestWithParam<BodyCase> {};

TEST_P(ReadUrlBodyTest, GivesTheWholeBody) {
  const BodyCase& c = GetParam();
  LocalHttpServer server(c.answer);
  ASSERT_TRUE(server.Listening());
  for (const Reader& reader : kReaders)
    EXPECT_EQ(reader.read(server.Url("/special/time")), Bytes(c.expectedBody)) << reader.name;
}

const std::string kLargeBody = Filler(250000);
const std::string kMediumBody = Filler(50000);
const std::string kBinaryBody("ab\0cd\xFF\x80", 7);

INSTANTIATE_TEST_SUITE_P(
    Cases,
    ReadUrlBodyTest,
    ::testing::Values(
        BodyCase{"WithContentLength", "HTTP/1.0 200 OK\r\nContent-Length: 33\r\n\r\nwindow.baidu_time(1700000000123);",
                 "window.baidu_time(1700000000123);"},
        BodyCase{"WithoutContentLength", "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + kMediumBody,
                 kMediumBody},
        BodyCase{"ContentLengthAboveTheLargestReadSize",
                 "HTTP/1.0 200 OK\r\nContent-Length: 250000\r\n\r\n" + kLargeBody, kLargeBody},
        BodyCase{"Chunked",
                 "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
                 "7\r\nwindow.\r\n1a\r\nbaidu_time(1700000000123);\r\n0\r\n\r\n",
                 "window.baidu_time(1700000000123);"},
        BodyCase{"ZeroBytesKept", "HTTP/1.0 200 OK\r\nContent-Length: 7\r\n\r\n" + kBinaryBody, kBinaryBody},
        BodyCase{"ErrorStatusStillGivesItsBody", "HTTP/1.0 404 Not Found\r\nContent-Length: 4\r\n\r\ngone", "gone"},
        BodyCase{"EmptyBody", "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n", ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct RequestCase {
  const char* name;
  std::string path;
  std::string expectedRequestLine;
};

class ReadUrlRequestTest : public ::testing::TestWithParam<RequestCase> {};

TEST_P(ReadUrlRequestTest, SendsAPlainHttp10Get) {
  const RequestCase& c = GetParam();
  LocalHttpServer server("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok");
  ASSERT_TRUE(server.Listening());
  for (const Reader& reader : kReaders)
    EXPECT_EQ(reader.read(server.Url(c.path)), Bytes("ok")) << reader.name;
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  const std::string& head = requests.front();
  EXPECT_EQ(head.substr(0, head.find("\r\n")), c.expectedRequestLine);
  EXPECT_NE(head.find("\r\nAccept: */*\r\n"), std::string::npos) << head;
  EXPECT_NE(head.find("\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"), std::string::npos)
      << head;
  // The time page sees one client whichever program asks.
  EXPECT_EQ(requests.back(), head);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    ReadUrlRequestTest,
    ::testing::Values(RequestCase{"Path", "/special/time", "GET /special/time HTTP/1.0"},
                      RequestCase{"QueryKept", "/special/time?a=1&b=2", "GET /special/time?a=1&b=2 HTTP/1.0"},
                      RequestCase{"FragmentDropped", "/special/time?a=1#part?x=#y", "GET /special/time?a=1 HTTP/1.0"},
                      RequestCase{"NoPathMeansRoot", "", "GET / HTTP/1.0"},
                      RequestCase{"FragmentRightAfterHost", "#top", "GET / HTTP/1.0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadUrlTest, UnusableUrlsGiveEmptyWithoutTraffic) {
  for (const Reader& reader : kReaders) {
    for (const char* url : {"", "#only-a-fragment", "not a url", "ftp://127.0.0.1/file", "http://", "mailto:a@b"}) {
      EXPECT_TRUE(reader.read(url).empty()) << reader.name << " " << url;
    }
  }
}

TEST(ReadUrlTest, ClosedPortGivesEmptyQuickly) {
  const std::uint16_t port = ClosedLocalPort();
  ASSERT_NE(port, 0);
  for (const Reader& reader : kReaders) {
    const auto started = std::chrono::steady_clock::now();
    const ByteSet body = reader.read("http://127.0.0.1:" + std::to_string(port) + "/special/time");
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_TRUE(body.empty()) << reader.name;
    EXPECT_LT(elapsed, std::chrono::seconds(3)) << reader.name;
  }
}

// Answers that break halfway, the way a dying server or network breaks them: the page is given up
// within the time-out and a little more, and holds at most the bytes that came.
struct BrokenCase {
  const char* name;
  std::string head;
  std::string came;  // the body bytes that arrive
  bool reset;        // a TCP reset ends the connection, else an orderly close
};

class ReadUrlBrokenTest : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(ReadUrlBrokenTest, EndsInTimeWithAtMostWhatCame) {
  const BrokenCase& c = GetParam();
  LocalHttpServer server(c.head + c.came, /*stall=*/false, 0, std::chrono::seconds(60), c.reset);
  ASSERT_TRUE(server.Listening());
  for (const Reader& reader : kReaders) {
    const auto started = std::chrono::steady_clock::now();
    const ByteSet body = reader.read(server.Url("/special/time"));
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_LT(elapsed, std::chrono::milliseconds(kReadUrlTimeoutMilliseconds) + std::chrono::seconds(3)) << reader.name;
    const std::string text(body.begin(), body.end());
    EXPECT_EQ(text, c.came.substr(0, text.size())) << reader.name << ": " << text.size() << " bytes";
  }
}

const std::string kPromising = "HTTP/1.0 200 OK\r\nContent-Type: text/javascript\r\nContent-Length: 6000\r\n\r\n";

INSTANTIATE_TEST_SUITE_P(Cases,
                         ReadUrlBrokenTest,
                         ::testing::Values(BrokenCase{"BodyCutByAReset", kPromising, Filler(300), true},
                                           BrokenCase{"BodyShorterThanItsLength", kPromising, Filler(300), false},
                                           BrokenCase{"HeaderBlockCutByAReset", kPromising.substr(0, 40), "", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReadUrlTest, SilentServerIsGivenUpAfterTheTimeout) {
  LocalHttpServer server("", /*stall=*/true);
  ASSERT_TRUE(server.Listening());
  for (const Reader& reader : kReaders) {
    const auto started = std::chrono::steady_clock::now();
    const ByteSet body = reader.read(server.Url("/special/time"));
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_TRUE(body.empty()) << reader.name;
    EXPECT_LT(elapsed, std::chrono::milliseconds(kReadUrlTimeoutMilliseconds) + std::chrono::seconds(10))
        << reader.name;
    std::printf("%s: silent server given up after %lld ms\n", reader.name,
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
  }
}

}  // namespace
}  // namespace korvan
