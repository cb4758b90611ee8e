#include "http/url_decode.h"

#include <gtest/gtest.h>

namespace korvan {
namespace {

struct UrlDecodeCase {
  const char* name;
  std::string_view text;
  bool utf8;
  std::string_view decoded;
};

const UrlDecodeCase kUrlDecodeCases[] = {
    // 成功: UTF-8 E6 88 90 E5 8A 9F, code page 936 B3 C9 B9 A6.
    {"Utf8SwitchOnGivesCodePage936", "%E6%88%90%E5%8A%9F", true, "\xB3\xC9\xB9\xA6"},
    {"Utf8SwitchOffKeepsUtf8Bytes", "%E6%88%90%E5%8A%9F", false, "\xE6\x88\x90\xE5\x8A\x9F"},
    {"LowerCaseDigits", "%4a%4A", false, "JJ"},
    {"PlusStaysPlus", "a+b%20c", false, "a+b c"},
    {"PercentAtEndAppendsNothing", "100%", false, "100"},
    {"MissingLowDigitCountsZero", "x%7", false, "xp"},
    {"NonDigitsCountMinusTwo", "%zz", false, "\xDE"},
    {"OneNonDigit", "%4z", false, "\x3E"},   // 16 * 4 - 2
    {"NonDigitHigh", "%z4", false, "\xE4"},  // -32 + 4 = -28
    {"ZeroByteDropped", "a%00b", false, "ab"},
    {"PercentPercent", "%%41", false,
     "\xE4"
     "1"},  // -2 * 16 + 4; the "1" is copied
    {"NoPercentIsByteForByte", "plain \xB3\xC9 text", false, "plain \xB3\xC9 text"},
    {"Empty", "", true, ""},
    {"EmptyWithoutSwitch", "", false, ""},
    {"EscapedPercent", "50%25", false, "50%"},
    {"AsciiThroughUtf8Switch", "ok%21", true, "ok!"},
    // An invalid UTF-8 byte after decoding is substituted, never rejected: U+FFFD has no code
    // page 936 form, so it becomes "?".
    {"InvalidUtf8AfterDecodingBecomesQuestionMark", "a%FFb", true, "a?b"},
};

class UrlDecodeTest : public testing::TestWithParam<UrlDecodeCase> {};

TEST_P(UrlDecodeTest, DecodesEscapes) {
  const auto& c = GetParam();
  EXPECT_EQ(UrlDecodeText(c.text, c.utf8), c.decoded);
}

INSTANTIATE_TEST_SUITE_P(Cases, UrlDecodeTest, testing::ValuesIn(kUrlDecodeCases), [](const auto& info) {
  return std::string(info.param.name);
});

}  // namespace
}  // namespace korvan
