// korvan.ini and korvan-status.ini as the Windows profile functions read and write them.
#include "config/ini_document.h"

#include <gtest/gtest.h>

namespace korvan {
namespace {

// 登录配置 in code page 936.
const Text kLogin = "\xB5\xC7\xC2\xBC\xC5\xE4\xD6\xC3";

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
    ::testing::Values(
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
        ReadCase{"LinesBeforeAnySectionBelongToNone", "k=1\n[a]\n", "a", "k", ""},
        // GetPrivateProfileString's buffer: 10239 bytes, and never half a character.
        ReadCase{"LongValueIsCutTo10239Bytes", "[a]\nk=" + Text(20000, 'v'), "a", "k", Text(kLongestIniValue, 'v')},
        ReadCase{"CutLeavesOutACharacterThatWouldNotFit", "[a]\nk=" + Text(kLongestIniValue - 1, 'v') + "\xD3\xC3", "a",
                 "k", Text(kLongestIniValue - 1, 'v')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniWrite, ReplacesInPlaceAddsAtTheSectionEndAndSavesAsTheProfileFunctions) {
  IniDocument document("; note\r\n[a]\r\nk = 1\r\n\r\n[b]\r\nx=2\r\n");
  document.Write("A", "K", "3");
  document.Write("a", "new", "4");
  document.Write("c", "y", "  5");
  EXPECT_EQ(document.Serialize(), "; note\r\n[a]\r\nk=3\r\nnew=4\r\n[b]\r\nx=2\r\n[c]\r\ny=5\r\n");
}

// cli_e2e runs korvan.ini in code page 936, in UTF-8 with its mark and in little-endian UTF-16, and
// one with a zero byte; big-endian UTF-16 is left to this test.
TEST(IniBytes, Utf16BigEndianBecomesCodePage936Text) {
  const IniText read = IniTextFromFileBytes(std::string("\xFE\xFF\0[\x76\x7B\0]", 8));
  EXPECT_EQ(read.text, "[" + kLogin.substr(0, 2) + "]");
  EXPECT_FALSE(read.binary);
}

// 高级设置 in code page 936, and 登录配置, 高级设置 and 测试 in UTF-8.
const Text kAdvanced = "\xB8\xDF\xBC\xB6\xC9\xE8\xD6\xC3";
const Text kLoginUtf8 = "\xE7\x99\xBB\xE5\xBD\x95\xE9\x85\x8D\xE7\xBD\xAE";
const Text kAdvancedUtf8 = "\xE9\xAB\x98\xE7\xBA\xA7\xE8\xAE\xBE\xE7\xBD\xAE";
const Text kTestUtf8 = "\xE6\xB5\x8B\xE8\xAF\x95";
constexpr std::string_view kKnown[] = {"\xB5\xC7\xC2\xBC\xC5\xE4\xD6\xC3", "\xB8\xDF\xBC\xB6\xC9\xE8\xD6\xC3"};

// cli_e2e runs every command on a UTF-8 file without a mark and on one without a known section.
TEST(KnownRead, TakesTheReadingThatFindsAKnownSection) {
  const struct {
    const char* name;
    Text file, section, key, expected;
    bool known;
  } cases[] = {
      // 测试 in code page 936: the value is converted with the names.
      {"Utf8WithoutMarkIsConverted", "[" + kLoginUtf8 + "]\nuser=" + kTestUtf8 + "\n", kLogin, "user",
       "\xB2\xE2\xCA\xD4", true},
      {"AnyKnownSectionDecides", "[x]\n[" + kAdvancedUtf8 + "]\nhistory=1\n", kAdvanced, "history", "1", true},
      // A marked file has one reading only: a UTF-8 file with the mark but no known name is not one.
      {"MarkedFileWithoutKnownSection", "\xEF\xBB\xBF[x]\nuser=a\n", "x", "user", "a", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const KnownIni read = ReadKnownIni(c.file, kKnown);
    EXPECT_EQ(read.known, c.known);
    EXPECT_EQ(read.document.Read(c.section, c.key), c.expected);
  }
}

}  // namespace
}  // namespace korvan
