// One table for both builds: natively it checks the iconv stand-in, under Wine the platform's own
// conversions, so the two must agree on every row. An overlong, surrogate or out-of-range form
// takes its second byte into its U+FFFD; the bytes after that are substituted one by one.
#include "runtime/text/encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace korvan {
namespace {

ByteSet Wide(std::u16string_view units) {
  ByteSet bytes;
  for (const char16_t unit : units) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  bytes.push_back(0);
  bytes.push_back(0);
  return bytes;
}

struct Utf8Case {
  const char* name;
  std::string_view utf8;
  std::u16string_view wide;  // without the terminating zero unit
  std::string_view ansi;     // code page 936
};

const Utf8Case kUtf8Cases[] = {
    {"Ascii", "abc", u"abc", "abc"},
    {"Empty", "", u"", ""},
    {"Chinese", "\xE6\x88\x90\xE5\x8A\x9F", u"\u6210\u529F", "\xB3\xC9\xB9\xA6"},
    {"ChineseWithAscii", "VPS\xE7\xBB\xAD\xE8\xB4\xB9 ok", u"VPS\u7EED\u8D39 ok", "VPS\xD0\xF8\xB7\xD1 ok"},
    {"FullWidthSpaceAndPunctuation", "\xE3\x80\x80\xEF\xBC\x8C", u"\u3000\uFF0C", "\xA1\xA1\xA3\xAC"},
    {"EuroSign", "\xE2\x82\xAC", u"\u20AC", "\x80"},
    {"StopsAtZero", std::string_view("a\0b", 3), u"a", "a"},
    {"LoneContinuation",
     "a\x80"
     "b",
     u"a\uFFFDb", "a?b"},
    {"TwoLoneContinuations", "\x80\xBF", u"\uFFFD\uFFFD", "??"},
    {"InvalidLeadByte",
     "\xFF"
     "a",
     u"\uFFFDa", "?a"},
    {"TruncatedThreeByteBeforeAscii",
     "\xE6\x88"
     "x",
     u"\uFFFDx", "?x"},
    {"TruncatedThreeByteAtEnd", "\xE6\x88", u"\uFFFD", "?"},
    {"TruncatedFourByte",
     "\xF0\x9F\x98"
     "z",
     u"\uFFFDz", "?z"},
    {"TruncatedBetweenChinese", "\xE4\xB8\xAD\xE6\x96\xE6\x96\x87", u"\u4E2D\uFFFD\u6587", "\xD6\xD0?\xCE\xC4"},
    {"OverlongTwoByte", "\xC0\x80", u"\uFFFD\uFFFD", "??"},
    {"OverlongSlash", "\xC1\xAF", u"\uFFFD\uFFFD", "??"},
    {"OverlongThreeByte", "\xE0\x80\xAF", u"\uFFFD\uFFFD", "??"},
    {"OverlongFourByte", "\xF0\x80\x80\xAF", u"\uFFFD\uFFFD\uFFFD", "???"},
    {"EncodedHighSurrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD", "??"},
    {"EncodedLowSurrogate", "\xED\xBF\xBF", u"\uFFFD\uFFFD", "??"},
    {"AboveUnicodeRange", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD", "???"},
    {"LastCodePoint", "\xF4\x8F\xBF\xBF", u"\U0010FFFF", "??"},
    {"LoneLeadAtEnd", "ab\xE6", u"ab\uFFFD", "ab?"},
    {"TruncatedFourByteAtEnd", "\xF0\x9F", u"\uFFFD", "?"},
    {"LeadFollowedByLead", "\xC3\xC3\xA9", u"\uFFFD\u00E9", "?\xA8\xA6"},
    {"LastBmpBeforeSurrogates", "\xED\x9F\xBF", u"\uD7FF", "?"},
    // Characters code page 936 lacks: a Hangul syllable and an emoji (one "?" per UTF-16 unit).
    {"HangulSyllable", "\xED\x95\x9C", u"\uD55C", "?"},
    {"EmojiOutsideBmp", "\xF0\x9F\x98\x80", u"\U0001F600", "??"},
};

class Utf8ConversionTest : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8ConversionTest, ToWideSubstitutesIllFormedInput) {
  const auto& c = GetParam();
  EXPECT_EQ(TextToWide(c.utf8), Wide(c.wide));
  EXPECT_EQ(TextToWide(c.utf8, kCodePageUtf8), Wide(c.wide));
}

TEST_P(Utf8ConversionTest, ToCodePage936SubstitutesMissingCharacters) {
  const auto& c = GetParam();
  EXPECT_EQ(Utf8ToAnsi(c.utf8), c.ansi);
  EXPECT_EQ(WideToText(Wide(c.wide), kCodePage936), c.ansi);
}

INSTANTIATE_TEST_SUITE_P(Cases, Utf8ConversionTest, testing::ValuesIn(kUtf8Cases), [](const auto& info) {
  return std::string(info.param.name);
});

struct WideToTextCase {
  const char* name;
  ByteSet wide;
  int codePage;
  std::string_view text;
};

const WideToTextCase kWideToTextCases[] = {
    {"Utf8Chinese", Wide(u"\u4E2D\u6587"), kCodePageUtf8, "\xE4\xB8\xAD\xE6\x96\x87"},
    {"Utf8SurrogatePair", Wide(u"\U0001F600"), kCodePageUtf8, "\xF0\x9F\x98\x80"},
    {"Utf8LoneHighSurrogate",
     Wide(u"a\xD83D"
          u"b"),
     kCodePageUtf8,
     "a\xEF\xBF\xBD"
     "b"},
    {"Utf8LoneLowSurrogate", Wide(u"\xDE00"), kCodePageUtf8, "\xEF\xBF\xBD"},
    {"Cp936LoneSurrogate", Wide(u"a\xD83D"), kCodePage936, "a?"},
    {"AnsiIsCodePage936", Wide(u"\u4E2D\u6587"), kCodePageAnsi, "\xD6\xD0\xCE\xC4"},
    {"StopsAtZeroUnit", ByteSet{'a', 0, 0, 0, 'b', 0, 0, 0}, kCodePage936, "a"},
    {"MissingTerminatorIsTolerated", ByteSet{'a', 0, 'b', 0}, kCodePage936, "ab"},
    {"OddTrailingByteIgnored", ByteSet{'a', 0, 'b'}, kCodePageUtf8, "a"},
    {"EmptyByteSet", ByteSet{}, kCodePage936, ""},
    // The platform's best fit for characters code page 936 lacks, and its user-defined areas.
    {"BestFitCapitalEAcute", Wide(u"\u00C9"), kCodePage936, "\xA8\xA6"},
    {"BestFitSuperscriptTwo", Wide(u"\u00B2"), kCodePage936, "2"},
    {"BestFitCentSign", Wide(u"\u00A2"), kCodePage936, "\xA1\xE9"},
    {"PrivateUseToUserDefinedArea", Wide(u"\uE000\uE4C6"), kCodePage936, "\xAA\xA1\xA1\x40"},
    {"PrivateUseToSingleByteFF", Wide(u"\uF8F5"), kCodePage936, "\xFF"},
    {"NoBestFitGivesQuestionMark", Wide(u"\uAC00\u0E01"), kCodePage936, "??"},
};

class WideToTextTest : public testing::TestWithParam<WideToTextCase> {};

TEST_P(WideToTextTest, ConvertsUpToZeroUnit) {
  const auto& c = GetParam();
  EXPECT_EQ(WideToText(c.wide, c.codePage), c.text);
}

INSTANTIATE_TEST_SUITE_P(Cases, WideToTextTest, testing::ValuesIn(kWideToTextCases), [](const auto& info) {
  return std::string(info.param.name);
});

TEST(WideToTextTest, CodePageOmittedIsAnsi) { EXPECT_EQ(WideToText(Wide(u"\u6210\u529F")), "\xB3\xC9\xB9\xA6"); }

struct Cp936ToWideCase {
  const char* name;
  std::string_view text;
  std::u16string_view wide;
};

const Cp936ToWideCase kCp936ToWideCases[] = {
    {"Chinese",
     "\xD6\xD0\xCE\xC4"
     "a",
     u"\u4E2D\u6587a"},
    {"EuroSign", "\x80", u"\u20AC"},
    {"SingleByteFF",
     "\xFF"
     "a",
     u"\uF8F5a"},
    {"LoneLeadAtEnd", "a\x81", u"a?"},
    // A lead byte before a byte that cannot trail takes that byte into its "?".
    {"LeadBeforeNonTrailByte",
     "\x81"
     "1b",
     u"?b"},
    {"UserDefinedAreaToPrivateUse", "\xAA\xA1\xFE\xFE", u"\uE000\uE4C5"},
    {"StopsAtZero", std::string_view("a\0b", 3), u"a"},
};

class Cp936ToWideTest : public testing::TestWithParam<Cp936ToWideCase> {};

TEST_P(Cp936ToWideTest, ConvertsWithPlatformSubstitutes) {
  const auto& c = GetParam();
  EXPECT_EQ(TextToWide(c.text, kCodePage936), Wide(c.wide));
}

INSTANTIATE_TEST_SUITE_P(Cases, Cp936ToWideTest, testing::ValuesIn(kCp936ToWideCases), [](const auto& info) {
  return std::string(info.param.name);
});

}  // namespace
}  // namespace korvan
