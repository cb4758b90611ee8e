#include "runtime/text/text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace korvan {
namespace {

// 中文 in code page 936.
const Text kZhongWen = "\xD6\xD0\xCE\xC4";
// The full-width space.
const Text kWideSpace = "\xA1\xA1";

struct FindCase {
  const char* name;
  Text text;
  Text target;
  std::optional<int> start;
  bool ignoreCase;
  int expected;
};

class FindTextTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindTextTest, FindsOnCharacterBoundariesOnly) {
  const FindCase& c = GetParam();
  EXPECT_EQ(FindText(c.text, c.target, c.start, c.ignoreCase), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    FindTextTest,
    ::testing::Values(FindCase{"EmptyTargetInText", "abc", "", std::nullopt, false, 1},
                      FindCase{"EmptyTargetInEmptyText", "", "", std::nullopt, false, -1},
                      FindCase{"EmptyTargetPastEnd", "abc", "", 4, false, -1},
                      FindCase{"StartPastEnd", "abc", "c", 4, false, -1},
                      FindCase{"StartZeroMeansBeginning", "abc", "b", 0, false, 2},
                      FindCase{"NegativeStart", "abc", "a", -50, false, 1},
                      FindCase{"HugeStart", "abc", "a", 2147483647, false, -1},
                      FindCase{"StartSkipsEarlierMatch", "abcabc", "a", 2, false, 4},
                      FindCase{"StartOnMatch", "abcabc", "a", 4, false, 4},
                      FindCase{"SecondByteOfCharacterNeverMatches", kZhongWen, "\xD0\xCE", std::nullopt, false, -1},
                      FindCase{"WholeCharacterMatches", kZhongWen, "\xCE\xC4", std::nullopt, false, 3},
                      FindCase{"AsciiTrailByteNotMatched",
                               "\x81"
                               "a"
                               "a",
                               "a", std::nullopt, false, 3},
                      FindCase{"PairedHighBytes",
                               "\x81\x81\x81"
                               "b",
                               "\x81"
                               "b",
                               std::nullopt, false, 3},
                      FindCase{"MatchWouldStartOnTrail",
                               "\x81\x81"
                               "b",
                               "\x81"
                               "b",
                               std::nullopt, false, -1},
                      FindCase{"EvenRunOfHighBytes",
                               "\x81\x81\x81\x81"
                               "b",
                               "b", std::nullopt, false, 5},
                      FindCase{"LeadBeforeZeroIsOneCharacter", Text("\x81\0a", 3), Text("\0a", 2), std::nullopt, false,
                               2},
                      FindCase{"LoneLeadAtEndMatchesItself", "ab\x81", "\x81", std::nullopt, false, 3},
                      FindCase{"StartInsideCharacterReadsFromThere", kZhongWen, "\xD0\xCE", 2, false, 2},
                      FindCase{"IgnoreCaseFoldsAscii", "Set-Cookie: a", "set-cookie", std::nullopt, true, 1},
                      FindCase{"CaseSensitiveByDefault", "Set-Cookie: a", "set-cookie", std::nullopt, false, -1},
                      FindCase{"FullWidthLettersNeverFolded", "\xA3\xC1", "\xA3\xE1", std::nullopt, true, -1},
                      FindCase{"TargetLongerThanText", "ab", "abc", std::nullopt, false, -1},
                      FindCase{"MatchAtVeryEnd", "xxxxyz", "yz", std::nullopt, false, 5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FindTextTest, TargetNearTheEndOfALongMixedPage) {
  Text page;
  for (int i = 0; i < 20000; ++i)
    page += "<td>\xD6\xD0\xCE\xC4 id=" + std::to_string(i) + "</td>";
  page += "vpsadm2.asp?id=42&go=c";
  EXPECT_EQ(FindText(page, "vpsadm2.asp?id="), TextLength(page) - 21);
}

// The search as the contract words it, one character at a time: the reference for the fast path.
int SteppingFind(std::string_view text, std::string_view target, int start, bool ignoreCase) {
  std::size_t offset = start > 1 ? static_cast<std::size_t>(start) - 1 : 0;
  if (offset >= text.size()) return -1;
  if (target.empty()) return 1;
  const auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
  while (text.size() - offset >= target.size()) {
    bool equal = true;
    for (std::size_t i = 0; i < target.size() && equal; ++i) {
      equal = ignoreCase ? fold(text[offset + i]) == fold(target[i]) : text[offset + i] == target[i];
    }
    if (equal) return static_cast<int>(offset) + 1;
    const std::size_t step = CharacterLength(text, offset);
    if (step == 0) return -1;
    offset += step;
  }
  return -1;
}

TEST(FindTextTest, AgreesWithCharacterSteppingOnRandomMixedBytes) {
  const char alphabet[] = {'a', 'A', 'b', '\x81', '\xA1', '\0'};
  unsigned seed = 12345;
  const auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
  for (int round = 0; round < 20000; ++round) {
    Text text(next() % 24, ' ');
    for (char& c : text)
      c = alphabet[next() % 6];
    Text target(next() % 4, ' ');
    for (char& c : target)
      c = alphabet[next() % 6];
    const int start = static_cast<int>(next() % 8) - 2;
    const bool ignoreCase = next() % 2 == 0;
    ASSERT_EQ(FindText(text, target, start, ignoreCase), SteppingFind(text, target, start, ignoreCase))
        << "round " << round;
  }
}

struct ReplaceCase {
  const char* name;
  Text text;
  Text target;
  std::optional<Text> replacement;
  std::optional<int> start;
  std::optional<int> count;
  bool caseSensitive;
  Text expected;
};

class ReplaceTextTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceTextTest, Replaces) {
  const ReplaceCase& c = GetParam();
  std::optional<std::string_view> replacement;
  if (c.replacement) replacement = *c.replacement;
  EXPECT_EQ(ReplaceText(c.text, c.target, replacement, c.start, c.count, c.caseSensitive), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    ReplaceTextTest,
    ::testing::Values(
        ReplaceCase{"FoldsByDefault", "aAa", "a", "b", std::nullopt, std::nullopt, false, "bbb"},
        ReplaceCase{"CaseSensitive", "aAa", "a", "b", std::nullopt, std::nullopt, true, "bAb"},
        ReplaceCase{"CountOne", "aAa", "a", "b", std::nullopt, 1, true, "bAa"},
        ReplaceCase{"CountZeroReplacesNothing", "aaa", "a", "b", std::nullopt, 0, true, "aaa"},
        ReplaceCase{"NegativeCountReplacesAll", "aaa", "a", "b", std::nullopt, -7, true, "bbb"},
        ReplaceCase{"EmptyTargetUnchanged", "abc", "", "x", std::nullopt, std::nullopt, false, "abc"},
        ReplaceCase{"StartPastEndUnchanged", "abc", "a", "x", 4, std::nullopt, false, "abc"},
        ReplaceCase{"StartKeepsPrefix", "abab", "a", "x", 2, std::nullopt, true, "abxb"},
        ReplaceCase{"OmittedReplacementDeletes", "a-b-c", "-", std::nullopt, std::nullopt, std::nullopt, true, "abc"},
        ReplaceCase{"ReplacementNotSearchedAgain", "aa", "a", "aa", std::nullopt, std::nullopt, true, "aaaa"},
        ReplaceCase{"NoMatchOnSecondByte", "\xD6\xD0\xCE\xC4", "\xD0\xCE", "x", std::nullopt, std::nullopt, true,
                    "\xD6\xD0\xCE\xC4"},
        ReplaceCase{"TrailByteLetterNotReplaced",
                    "\x81"
                    "a"
                    "a",
                    "a", "b", std::nullopt, std::nullopt, true,
                    "\x81"
                    "ab"},
        ReplaceCase{"LoneLeadAtEndKept", "a\x81", "a", "b", std::nullopt, std::nullopt, true, "b\x81"},
        ReplaceCase{"EveryCaseOfSetCookie", "set-cookie: a\r\nSET-COOKIE: b", "Set-Cookie", "Set-Cookie", std::nullopt,
                    std::nullopt, false, "Set-Cookie: a\r\nSet-Cookie: b"},
        ReplaceCase{"PlaceholderFirstOnly", "x <n> <n>", "<n>", "y", 1, 1, true, "x y <n>"}),
    [](const auto& info) { return std::string(info.param.name); });

struct SplitCase {
  const char* name;
  Text text;
  std::optional<Text> separator;
  std::optional<int> maxParts;
  TextList expected;
};

class SplitTextTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTextTest, Splits) {
  const SplitCase& c = GetParam();
  std::optional<std::string_view> separator;
  if (c.separator) separator = *c.separator;
  EXPECT_EQ(SplitText(c.text, separator, c.maxParts), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    SplitTextTest,
    ::testing::Values(
        SplitCase{"TrailingEmptyPieceDropped", "a,b,", std::nullopt, std::nullopt, {"a", "b"}},
        SplitCase{"LeadingEmptyPieceKept", ",a", std::nullopt, std::nullopt, {"", "a"}},
        SplitCase{"InnerEmptyPieceKept", "a,,b", std::nullopt, std::nullopt, {"a", "", "b"}},
        SplitCase{"EmptyText", "", std::nullopt, std::nullopt, {}},
        SplitCase{"MaxPartsDropsRest", "a,b,c", std::nullopt, 2, {"a", "b"}},
        SplitCase{"MaxPartsZero", "a,b", std::nullopt, 0, {}},
        SplitCase{"NegativeMaxPartsIsZero", "a,b", std::nullopt, -3, {}},
        SplitCase{"MaxPartsLargerThanPieces", "a,b", std::nullopt, 10, {"a", "b"}},
        SplitCase{"EmptySeparatorGivesWhole", "a,b", "", std::nullopt, {"a,b"}},
        SplitCase{"OnlySeparators", ",,", std::nullopt, std::nullopt, {"", ""}},
        SplitCase{"MultiByteSeparator", "a\r\nb\r\n\r\nc", "\r\n", std::nullopt, {"a", "b", "", "c"}},
        SplitCase{"SeparatorInsideCharacterIgnored", "\x81,a,b", std::nullopt, std::nullopt, {"\x81,a", "b"}},
        SplitCase{"ChineseSeparator",
                  "a\xD6\xD0"
                  "b",
                  "\xD6\xD0",
                  std::nullopt,
                  {"a", "b"}},
        SplitCase{"LoneLeadAtEndKept", "a,\x81", std::nullopt, std::nullopt, {"a", "\x81"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct TrimCase {
  const char* name;
  Text text;
  Text trimmed;
  Text removed;
};

class BlanksTest : public ::testing::TestWithParam<TrimCase> {};

TEST_P(BlanksTest, TrimsAndRemovesOnlySpacesAndFullWidthSpaces) {
  const TrimCase& c = GetParam();
  EXPECT_EQ(TrimBlanks(c.text), c.trimmed);
  EXPECT_EQ(RemoveBlanks(c.text), c.removed);
}

INSTANTIATE_TEST_SUITE_P(Cases,
                         BlanksTest,
                         ::testing::Values(TrimCase{"TabStopsLeadingSkip", " \ta \r\n", "\ta \r\n", "\ta\r\n"},
                                           TrimCase{"FullWidthSpaces", kWideSpace + "a" + kWideSpace, "a", "a"},
                                           TrimCase{"OnlyBlanks", "  " + kWideSpace + " ", "", ""},
                                           TrimCase{"Empty", "", "", ""},
                                           TrimCase{"InnerBlanksKeptByTrim", " a b ", "a b", "ab"},
                                           TrimCase{"A1PairsAcrossCharacters", "\xB0\xA1\xA1 ", "\xB0\xA1\xA1 ",
                                                    "\xB0\xA1\xA1 "},
                                           TrimCase{"MixedTrailingRun", "a " + kWideSpace + " ", "a", "a"},
                                           TrimCase{"LoneLeadAtEndKept", " a\x81", "a\x81", "a\x81"},
                                           TrimCase{"ChineseInside", " " + kZhongWen + " ", kZhongWen, kZhongWen}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TextBytesTest, CountsBytesNotCharacters) {
  EXPECT_EQ(TextLeft(kZhongWen, 1), "\xD6");
  EXPECT_EQ(TextRight(kZhongWen, 1), "\xC4");
  EXPECT_EQ(TextMid(kZhongWen, 2, 2), "\xD0\xCE");
  EXPECT_EQ(TextLeft("abc", 0), "");
  EXPECT_EQ(TextLeft("abc", -1), "");
  EXPECT_EQ(TextLeft("abc", 99), "abc");
  EXPECT_EQ(TextRight("abc", 99), "abc");
  EXPECT_EQ(TextRight("abc", -5), "");
  EXPECT_EQ(TextMid("abc", 0, 2), "");
  EXPECT_EQ(TextMid("abc", 4, 1), "");
  EXPECT_EQ(TextMid("abc", 3, 2147483647), "c");
  EXPECT_EQ(TextMid("abc", 2, 0), "");
  EXPECT_EQ(TextLength(kZhongWen), 4);
}

TEST(TextBytesTest, UpperCaseLeavesTwoByteCharactersAlone) {
  EXPECT_EQ(ToUpperCase("abc\x81"
                        "a"
                        "z"),
            "ABC\x81"
            "aZ");
  EXPECT_EQ(ToUpperCase(kZhongWen + "x"), kZhongWen + "X");
}

TEST(TextBytesTest, SmallOperations) {
  EXPECT_EQ(CharText(0), "");
  EXPECT_EQ(CharText(0x41), "A");
  EXPECT_EQ(CharText(0xD6), "\xD6");
  EXPECT_EQ(JoinTexts(Text("a"), "b", std::string_view("c")), "abc");
  EXPECT_EQ(CompareTexts("a", "b"), -1);
  EXPECT_EQ(CompareTexts("b", "a"), 1);
  EXPECT_EQ(CompareTexts("a", "a"), 0);
  EXPECT_EQ(CompareTexts("\x80", "a"), 1);  // unsigned byte order
  EXPECT_EQ(CompareTexts("ab", "a"), 1);
  EXPECT_EQ(BlankText(3), "   ");
  EXPECT_EQ(BlankText(0), "");
  EXPECT_EQ(BlankText(-2), "");
}

// A cut that counts characters, splits a double-byte character or marks a text that fit fails here.
TEST(CutTextTest, KeepsWholeCharactersUpToTheLimitThenTheEllipsis) {
  const Text ellipsis = "\xA1\xAD";  // …
  const Text a198(198, 'a'), a199(199, 'a'), a200(200, 'a');
  const struct {
    const char* name;
    Text text;
    Text expected;
  } cases[] = {
      {"AsciiOverTheLimit", a200 + "bc", a200 + ellipsis},
      {"DoubleByteCharacterStraddlingTheLimit", a199 + kZhongWen, a199 + ellipsis},
      {"DoubleByteCharacterEndingAtTheLimit", a198 + kZhongWen, a198 + "\xD6\xD0" + ellipsis},  // 中文 → 中…
      {"ExactlyTheLimit", a200, a200},
      {"Empty", "", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CutText(c.text, 200), c.expected) << c.name;
}

TEST(TextBytesTest, ByteSets) {
  EXPECT_EQ(ZeroBytes(3), (ByteSet{0, 0, 0}));
  EXPECT_TRUE(ZeroBytes(0).empty());
  EXPECT_TRUE(ZeroBytes(-1).empty());
  EXPECT_EQ(ByteCount(ByteSet{}), 0);
  EXPECT_EQ(ByteCount(ByteSet{1, 2}), 2);
  EXPECT_TRUE(TextToBytes("").empty());
  EXPECT_EQ(TextToBytes("ab"), (ByteSet{'a', 'b'}));
  EXPECT_EQ(BytesToText(ByteSet{0x61, 0x62, 0x00, 0x63}), "ab");
  EXPECT_EQ(BytesToText(ByteSet{0x61, 0x62}), "ab");
  EXPECT_EQ(BytesToText(ByteSet{0x00, 0x62}), "");
  EXPECT_TRUE(CompareBytes(ByteSet{1, 2}, ByteSet{1, 2}));
  EXPECT_FALSE(CompareBytes(ByteSet{1, 2}, ByteSet{1, 2, 0}));
  EXPECT_FALSE(CompareBytes(ByteSet{1, 2}, ByteSet{1, 3}));
  EXPECT_TRUE(CompareBytes(ByteSet{}, ByteSet{}));
}

}  // namespace
}  // namespace korvan
