#include "runtime/text/text_between.h"

#include <gtest/gtest.h>

namespace korvan {
namespace {

struct TextBetweenCase {
  const char* name;
  std::string_view text;
  std::string_view left;
  std::string_view right;
  int startPos;
  bool ignoreCase;
  std::string_view expected;
};

// "#引号" in code page 936.
#define QUOTE_PLACEHOLDER "#\xD2\xFD\xBA\xC5"

const TextBetweenCase kTextBetweenCases[] = {
    {"QuotePlaceholderGivesLinkTarget", "<a href=\"/vps.asp?id=7\">x</a>", "href=" QUOTE_PLACEHOLDER, QUOTE_PLACEHOLDER,
     0, false, "/vps.asp?id=7"},
    {"MissingLeftGivesEmpty", "k=v;", "q=", ";", 0, false, ""},
    {"MissingRightGivesEmpty", "k=v", "k=", ";", 0, false, ""},
    {"CookieValue", "k=v;", "k=", ";", 0, false, "v"},
    {"RightDirectlyAfterLeftGivesEmpty", "k=;", "k=", ";", 0, false, ""},
    {"FirstLeftThenFirstRightAfterIt", ";a[1]b[2]", "[", "]", 0, false, "1"},
    {"RightBeforeLeftIsNotUsed", "]x[y]", "[", "]", 0, false, "y"},
    {"StartPosSkipsEarlierLeft", "[1][2]", "[", "]", 2, false, "2"},
    {"StartPosOneIsTheBeginning", "[1][2]", "[", "]", 1, false, "1"},
    {"NegativeStartPosIsTheBeginning", "[1][2]", "[", "]", -5, false, "1"},
    {"StartPosPastEndGivesEmpty", "[1]", "[", "]", 9, false, ""},
    {"CaseMattersByDefault", "ID=1;id=2;", "id=", ";", 0, false, "2"},
    {"IgnoreCaseFindsEitherCase", "ID=1;id=2;", "id=", ";", 0, true, "1"},
    {"IgnoreCaseAppliesToRightToo", "<b>x</B>", "<b>", "</b>", 0, true, "x"},
    // 中文 is D6 D0 CE C4: "\xD0" + "\xCE" straddles the two characters and must not match.
    {"MarkerNeverStartsInsideTwoByteCharacter", "\xD6\xD0\xCE\xC4[ok]", "\xD0", "]", 0, false, ""},
    {"TwoByteCharactersInsideTheContentPassWhole", "=\xB3\xC9\xB9\xA6;", "=", ";", 0, false, "\xB3\xC9\xB9\xA6"},
    {"EmptyRightGivesEmpty", "abc", "a", "", 0, false, ""},
};

class TextBetweenTest : public testing::TestWithParam<TextBetweenCase> {};

TEST_P(TextBetweenTest, CutsBetweenMarkers) {
  const auto& c = GetParam();
  EXPECT_EQ(TextBetween(c.text, c.left, c.right, c.startPos, c.ignoreCase), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, TextBetweenTest, testing::ValuesIn(kTextBetweenCases), [](const auto& info) {
  return std::string(info.param.name);
});

}  // namespace
}  // namespace korvan
