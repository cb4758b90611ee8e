#include "http/header_lines.h"

#include <gtest/gtest.h>

#include "http/cookies.h"

namespace korvan {
namespace {

constexpr std::string_view kUrl = "http://panel.example.com/login.asp";
constexpr std::string_view kAccept = "Accept: */*";
constexpr std::string_view kReferer = "Referer: http://panel.example.com/login.asp";
constexpr std::string_view kLanguage = "Accept-Language: zh-cn";
constexpr std::string_view kAgent = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
constexpr std::string_view kContentType = "Content-Type: application/x-www-form-urlencoded";

Text Lines(std::initializer_list<std::string_view> lines) {
  Text block;
  for (const auto line : lines) {
    if (!block.empty()) block += "\r\n";
    block += line;
  }
  return block;
}

struct HeaderLineCase {
  const char* name;
  std::string_view line;
  std::string_view headerName;
  std::string_view headerValue;
};

const HeaderLineCase kHeaderLineCases[] = {
    {"Plain", "Host: a.b", "Host", "a.b"},
    {"SpacesAroundColonAreTrimmed", "  Host  :  a.b  ", "Host", "a.b"},
    {"FullWidthSpacesAreTrimmed", "\xA1\xA1Host\xA1\xA1:\xA1\xA1v\xA1\xA1", "Host", "v"},
    {"TabsStay", "\tHost:\tv", "\tHost", "\tv"},
    {"SecondColonBelongsToValue", "Referer: http://x/y", "Referer", "http://x/y"},
    {"NoColonGivesEmptyNameAndValue", "garbage", "", ""},
    {"EmptyValue", "X-Empty:", "X-Empty", ""},
    {"EmptyName", ": v", "", "v"},
};

class HeaderLineTest : public testing::TestWithParam<HeaderLineCase> {};

TEST_P(HeaderLineTest, SplitsAtFirstColon) {
  const auto& c = GetParam();
  EXPECT_EQ(HeaderName(c.line), c.headerName);
  EXPECT_EQ(HeaderValue(c.line), c.headerValue);
}

INSTANTIATE_TEST_SUITE_P(Cases, HeaderLineTest, testing::ValuesIn(kHeaderLineCases), [](const auto& info) {
  return std::string(info.param.name);
});

struct CompleteBlockCase {
  const char* name;
  Text headers;
  Text expected;
};

const CompleteBlockCase kCompleteBlockCases[] = {
    {"EmptyBlockGetsAllFiveWithoutLeadingBreak", "", Lines({kAccept, kReferer, kLanguage, kAgent, kContentType})},
    {"RefererLineStaysFirstAndIsNotRepeated", "Referer: http://other/",
     Lines({"Referer: http://other/", kAccept, kLanguage, kAgent, kContentType})},
    {"LowerCaseAcceptDoesNotCount", "accept: text/html",
     Lines({"accept: text/html", kAccept, kReferer, kLanguage, kAgent, kContentType})},
    {"XAcceptCountsAsAccept", "X-Accept: 1", Lines({"X-Accept: 1", kReferer, kLanguage, kAgent, kContentType})},
    {"AcceptLanguageAloneDoesNotCountAsAccept", "Accept-Language: en",
     Lines({"Accept-Language: en", kAccept, kReferer, kAgent, kContentType})},
    {"CompleteBlockIsUnchanged", Lines({kContentType, kAgent, kLanguage, kReferer, kAccept}),
     Lines({kContentType, kAgent, kLanguage, kReferer, kAccept})},
    {"TestTextAnywhereCounts", "X-Note: Content-Type:none",
     Lines({"X-Note: Content-Type:none", kAccept, kReferer, kLanguage, kAgent})},
};

class CompleteHeaderBlockTest : public testing::TestWithParam<CompleteBlockCase> {};

TEST_P(CompleteHeaderBlockTest, AppendsMissingDefaultsInOrder) {
  const auto& c = GetParam();
  EXPECT_EQ(CompleteHeaderBlock(c.headers, kUrl), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, CompleteHeaderBlockTest, testing::ValuesIn(kCompleteBlockCases), [](const auto& info) {
  return std::string(info.param.name);
});

TEST(HeaderFieldsToSendTest, LowerCaseAcceptAndDefaultAcceptAreBothSent) {
  const auto fields = HeaderFieldsToSend(CompleteHeaderBlock("accept: text/html", kUrl));
  ASSERT_EQ(fields.size(), 6u);
  EXPECT_EQ(fields[0], (HeaderField{"accept", "text/html"}));
  EXPECT_EQ(fields[1], (HeaderField{"Accept", "*/*"}));
  EXPECT_EQ(fields[2], (HeaderField{"Referer", Text(kUrl)}));
  EXPECT_EQ(fields[4], (HeaderField{"User-Agent", "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)"}));
}

TEST(HeaderFieldsToSendTest, BlockWithoutLineBreakIsOneField) {
  EXPECT_EQ(HeaderFieldsToSend("Accept: */*"), (std::vector<HeaderField>{{"Accept", "*/*"}}));
}

TEST(HeaderFieldsToSendTest, EmptyLinesAreSkippedAndLinesWithoutColonGiveEmptyField) {
  EXPECT_EQ(HeaderFieldsToSend("\r\nA: 1\r\n\r\nbroken\r\nB: 2:3\r\n"),
            (std::vector<HeaderField>{{"A", "1"}, {"", ""}, {"B", "2:3"}}));
}

struct SetCookieCase {
  const char* name;
  Text responseHeaders;
  Text unified;
  Text collected;
};

const SetCookieCase kSetCookieCases[] = {
    {"LowerCaseNameIsUnifiedAndAttributesDropped",
     "HTTP/1.1 200 OK\r\nset-cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n\r\n",
     "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n\r\n", "a=1; b=2"},
    {"MixedCaseEverywhereInTheText", "SET-COOKIE: x=1\r\nX-Info: see sEt-CoOkIe",
     "Set-Cookie: x=1\r\nX-Info: see Set-Cookie", "x=1; X-Info: see Set-Cookie"},
    {"NoSetCookieGivesEmpty", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n",
     ""},
    {"SameCookieTwiceStaysTwiceInOrder", "Set-Cookie: s=1; path=/\r\nSet-Cookie: s=2; path=/",
     "Set-Cookie: s=1; path=/\r\nSet-Cookie: s=2; path=/", "s=1; s=2"},
    {"SpaceBeforeColonGivesEmptyPiece", "Set-Cookie: a=1; p\r\nSet-Cookie : x=9; p\r\nSet-Cookie: b=2; p",
     "Set-Cookie: a=1; p\r\nSet-Cookie : x=9; p\r\nSet-Cookie: b=2; p", "a=1; ; b=2"},
    {"ValueKeepsInnerSpacesUntilMerge", "Set-Cookie:  n=a b ;x", "Set-Cookie:  n=a b ;x", "n=a b"},
    {"EmptyHeaders", "", "", ""},
};

class SetCookieTest : public testing::TestWithParam<SetCookieCase> {};

TEST_P(SetCookieTest, UnifiesAndCollects) {
  const auto& c = GetParam();
  const Text unified = UnifySetCookieNames(c.responseHeaders);
  EXPECT_EQ(unified, c.unified);
  EXPECT_EQ(CollectSetCookies(unified), c.collected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SetCookieTest, testing::ValuesIn(kSetCookieCases), [](const auto& info) {
  return std::string(info.param.name);
});

// The whole cookie path of one response: a lower-case set-cookie for a=1 and a Set-Cookie for b=2
// land in the caller's cookies joined by "; " and in newCookies joined by ";" alone.
TEST(SetCookieTest, ResponseCookiesMergeIntoEmptyCookieText) {
  const Text headers = UnifySetCookieNames("set-cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n");
  Text cookies;
  Text newCookies = CollectSetCookies(headers);
  MergeCookies(cookies, newCookies);
  EXPECT_EQ(cookies, "a=1; b=2");
  EXPECT_EQ(newCookies, "a=1;b=2");
}

}  // namespace
}  // namespace korvan
