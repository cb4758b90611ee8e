#include "platform/win32/ini_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>

#include "scratch_directory.h"

namespace korvan {
namespace {

using korvan::testing::ReadWholeFile;
using korvan::testing::ScratchDirectory;

// 登录配置 / 用户
const Text kLoginSection = "\xB5\xC7\xC2\xBC\xC5\xE4\xD6\xC3";
const Text kChineseValue = "\xD3\xC3\xBB\xA7";

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WriteIniItem(file_, "main", "user", "alice"));
    ASSERT_TRUE(WriteIniItem(file_, "main", "pass", "secret"));
    ASSERT_TRUE(WriteIniItem(file_, "other", "time", "10"));
  }
  ScratchDirectory directory_;
  const Text file_ = directory_ / "settings.ini";
};

struct ReadCase {
  const char* name;
  Text filePrefix;                   // put in front of the file's path
  std::optional<Text> fileOverride;  // used instead of the file's path
  Text section;
  Text key;
  std::optional<Text> defaultValue;
  Text expected;
};

class IniReadTest : public IniFileTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(IniReadTest, ReadsTheValueOrTheDefault) {
  const ReadCase& c = GetParam();
  const std::optional<std::string_view> defaultValue =
      c.defaultValue ? std::optional<std::string_view>(*c.defaultValue) : std::nullopt;
  const Text file = c.fileOverride.value_or(c.filePrefix + file_);
  EXPECT_EQ(ReadIniItem(file, c.section, c.key, defaultValue), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases,
    IniReadTest,
    ::testing::Values(
        ReadCase{"Stored", "", std::nullopt, "main", "user", std::nullopt, "alice"},
        ReadCase{"StoredWithDefault", "", std::nullopt, "main", "user", Text("d"), "alice"},
        ReadCase{"MissingKeyGivesDefault", "", std::nullopt, "main", "nothing", Text("d"), "d"},
        ReadCase{"MissingKeyWithoutDefault", "", std::nullopt, "main", "nothing", std::nullopt, ""},
        ReadCase{"MissingSectionGivesDefault", "", std::nullopt, "nowhere", "user", Text("d"), "d"},
        ReadCase{"LeadingBlanksOfKeySkipped", "", std::nullopt, "main", " \t user", std::nullopt, "alice"},
        ReadCase{"LeadingBlanksOfSectionSkipped", "", std::nullopt, "\x01 main", "user", std::nullopt, "alice"},
        ReadCase{"LeadingBlanksOfFileSkipped", "  \t", std::nullopt, "main", "user", std::nullopt, "alice"},
        ReadCase{"BlankKeyIgnoresDefault", "", std::nullopt, "main", "   ", Text("d"), ""},
        ReadCase{"ControlCharactersOnlyKeyIgnoresDefault", "", std::nullopt, "main", "\t\r\n\x1F", Text("d"), ""},
        ReadCase{"EmptySectionIgnoresDefault", "", std::nullopt, "", "user", Text("d"), ""},
        ReadCase{"EmptyFileIgnoresDefault", "", Text(""), "main", "user", Text("d"), ""},
        ReadCase{"BlankFileIgnoresDefault", "", Text(" \t "), "main", "user", Text("d"), ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniReadMissingFileTest, GivesTheDefault) {
  ScratchDirectory directory;
  EXPECT_EQ(ReadIniItem(directory / "absent.ini", "main", "user", "d"), "d");
  EXPECT_EQ(ReadIniItem(directory / "absent.ini", "main", "user"), "");
  EXPECT_FALSE(std::filesystem::exists(directory / "absent.ini")) << "reading must not create the file";
}

TEST_F(IniFileTest, ValuesAreCutTo10239Bytes) {
  for (const std::size_t size : {10238u, 10239u, 10240u, 20000u}) {
    const Text value(size, 'v');
    ASSERT_TRUE(WriteIniItem(file_, "long", "value", value));
    EXPECT_EQ(ReadIniItem(file_, "long", "value").size(), std::min<std::size_t>(size, 10239)) << size;
  }
}

TEST_F(IniFileTest, OmittedKeyDeletesTheWholeSection) {
  ASSERT_TRUE(WriteIniItem(file_, "main"));
  EXPECT_EQ(ReadIniItem(file_, "main", "user", "gone"), "gone");
  EXPECT_EQ(ReadIniItem(file_, "main", "pass", "gone"), "gone");
  EXPECT_EQ(ReadIniItem(file_, "other", "time"), "10");
  EXPECT_EQ(ReadWholeFile(file_).find("[main]"), std::string::npos);
}

TEST_F(IniFileTest, OmittedValueDeletesTheKey) {
  ASSERT_TRUE(WriteIniItem(file_, "main", "user"));
  EXPECT_EQ(ReadIniItem(file_, "main", "user", "gone"), "gone");
  EXPECT_EQ(ReadIniItem(file_, "main", "pass"), "secret");
}

TEST_F(IniFileTest, EmptyValueIsStoredAsEmptyNotAsMissing) {
  ASSERT_TRUE(WriteIniItem(file_, "main", "user", ""));
  EXPECT_EQ(ReadIniItem(file_, "main", "user", "d"), "");
  EXPECT_NE(ReadWholeFile(file_).find("user="), std::string::npos);
}

TEST_F(IniFileTest, ChineseSectionsAndValuesAreStoredInCodePage936) {
  ASSERT_TRUE(WriteIniItem(file_, kLoginSection, "user", kChineseValue));
  EXPECT_EQ(ReadIniItem(file_, kLoginSection, "user"), kChineseValue);
  const std::string content = ReadWholeFile(file_);
  EXPECT_NE(content.find("[" + kLoginSection + "]"), std::string::npos);
  EXPECT_NE(content.find("user=" + kChineseValue), std::string::npos);
}

TEST(IniWriteTest, UnwritableFileGivesFalse) {
  ScratchDirectory directory;
  EXPECT_FALSE(WriteIniItem(directory / "no-such-folder\\settings.ini", "main", "user", "alice"));
}

}  // namespace
}  // namespace korvan
