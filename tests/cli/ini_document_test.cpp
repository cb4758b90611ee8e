// korvan.ini and korvan-status.ini as the Windows profile functions read and write them.
#include "cli/ini_document.h"

#include <gtest/gtest.h>

namespace korvan {
namespace {

// 登录配置 and 用户, code page 936.
const Text kLogin = "\xB5\xC7\xC2\xBC\xC5\xE4\xD6\xC3";
const Text kUserValue = "\xD3\xC3\xBB\xA7";

struct ReadCase {
  const char* name;
  Text file;
  Text section;
  Text key;
  Text expected;
};

class IniRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, FindsWhatTheProfileFunctionsFind) {
  const ReadCase& c = GetParam();
  EXPECT_EQ(IniDocument(c.file).Read(c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    IniRead,
    ::testing::Values(ReadCase{"CodePage936SectionAndValue", "[" + kLogin + "]\r\nuser=" + kUserValue + "\r\n", kLogin,
                               "user", kUserValue},
                      ReadCase{"BlanksAroundNamesAndValues", " [a] \r\n\t user \t=  v 1 \t\r\n", "a", "user", "v 1"},
                      ReadCase{"LetterCaseOfSectionAndKey", "[Main]\nUSER=x\n", "mAIN", "user", "x"},
                      // C7 41 and C7 61 are two different characters, though their trail bytes are "A" and "a".
                      ReadCase{"TrailByteThatLooksLikeALetterIsNotFolded", "[\xC7\x41]\nk=x\n", "\xC7\x61", "k", ""},
                      ReadCase{"FirstSectionOfTheNameWins", "[a]\nk=1\n[a]\nk=2\nj=3\n", "a", "j", ""},
                      ReadCase{"FirstKeyOfTheNameWins", "[a]\nk=1\nk=2\n", "a", "k", "1"},
                      ReadCase{"MatchingQuotesAreDropped", "[a]\nk=\"p w\"\n", "a", "k", "p w"},
                      ReadCase{"UnmatchedQuoteStays", "[a]\nk='x\"\n", "a", "k", "'x\""},
                      ReadCase{"CarriageReturnsAloneEndLines", "[a]\rk=1\rj=2\r", "a", "j", "2"},
                      ReadCase{"LastBracketEndsTheName", "[a]b]\nk=1\n", "a]b", "k", "1"},
                      ReadCase{"LineWithoutBracketIsAKey", "[a\nk=1\n", "a", "k", ""},
                      ReadCase{"KeyWithoutEqualsReadsEmpty", "[a]\nk\n", "a", "k", ""},
                      ReadCase{"EqualsInTheValueStays", "[a]\nk=x=y\n", "a", "k", "x=y"},
                      ReadCase{"BlankKeyIsNeverFound", "[a]\n=v\n", "a", " ", ""},
                      ReadCase{"LinesBeforeAnySectionBelongToNone", "k=1\n[a]\n", "a", "k", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniRead, ValueIsCutTo10239BytesWithoutSplittingACharacter) {
  EXPECT_EQ(IniDocument("[a]\nk=" + Text(20000, 'v')).Read("a", "k").size(), kLongestIniValue);
  const Text value = Text(kLongestIniValue - 1, 'v') + "\xD3\xC3";
  EXPECT_EQ(IniDocument("[a]\nk=" + value).Read("a", "k"), Text(kLongestIniValue - 1, 'v'));
}

TEST(IniWrite, ReplacesInPlaceAddsAtTheSectionEndAndSavesAsTheProfileFunctions) {
  IniDocument document("; note\r\n[a]\r\nk = 1\r\n\r\n[b]\r\nx=2\r\n");
  document.Write("A", "K", "3");
  document.Write("a", "new", "4");
  document.Write("c", "y", "  5");
  EXPECT_EQ(document.Serialize(), "; note\r\n[a]\r\nk=3\r\nnew=4\r\n[b]\r\nx=2\r\n[c]\r\ny=5\r\n");
  EXPECT_EQ(IniDocument(document.Serialize()).Read("c", "y"), "5");
}

struct BytesCase {
  const char* name;
  std::string bytes;
  Text text;
  bool binary;
};

class IniBytes : public ::testing::TestWithParam<BytesCase> {};

TEST_P(IniBytes, BecomeCodePage936Text) {
  const IniText read = IniTextFromFileBytes(GetParam().bytes);
  EXPECT_EQ(read.text, GetParam().text);
  EXPECT_EQ(read.binary, GetParam().binary);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    IniBytes,
    ::testing::Values(BytesCase{"CodePage936AsItStands", "[" + kLogin + "]", "[" + kLogin + "]", false},
                      BytesCase{"Utf8BehindItsMark", "\xEF\xBB\xBF[\xE7\x99\xBB\xE5\xBD\x95\xE9\x85\x8D\xE7\xBD\xAE]",
                                "[" + kLogin + "]", false},
                      BytesCase{"Utf16LittleEndian", std::string("\xFF\xFE[\0\x7B\x76]\0", 8),
                                "[" + kLogin.substr(0, 2) + "]", false},
                      BytesCase{"Utf16BigEndian", std::string("\xFE\xFF\0[\x76\x7B\0]", 8),
                                "[" + kLogin.substr(0, 2) + "]", false},
                      BytesCase{"ZeroByteIsBinary", std::string("[a]\0k=1", 7), "", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvan
