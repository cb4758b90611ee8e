#include "app/restart/restart_script.h"

#include <gtest/gtest.h>

#include <optional>

namespace korvan {
namespace {

struct ScriptCase {
  const char* name;
  std::string_view fileName;
  std::optional<int> delay;
  std::string_view script;
};

const ScriptCase kScriptCases[] = {
    {"DelayOmittedIsTwo", "KORVAN~1.EXE", std::nullopt,
     "@echo off \r\n@ping 127.0.0.1 -n 2 >nul\r\nstart \"\" \"KORVAN~1.EXE\"\r\ndel Restart.bat"},
    {"DelayZeroIsTwo", "k.exe", 0,
     "@echo off \r\n@ping 127.0.0.1 -n 2 >nul\r\nstart \"\" \"k.exe\"\r\ndel Restart.bat"},
    {"NegativeDelayIsTwo", "k.exe", -7,
     "@echo off \r\n@ping 127.0.0.1 -n 2 >nul\r\nstart \"\" \"k.exe\"\r\ndel Restart.bat"},
    {"DelayFive", "k.exe", 5, "@echo off \r\n@ping 127.0.0.1 -n 5 >nul\r\nstart \"\" \"k.exe\"\r\ndel Restart.bat"},
    {"DelayOne", "k.exe", 1, "@echo off \r\n@ping 127.0.0.1 -n 1 >nul\r\nstart \"\" \"k.exe\"\r\ndel Restart.bat"},
    {"ChineseFileNameKeptWhole", "\xD0\xF8\xB7\xD1.exe", 3,
     "@echo off \r\n@ping 127.0.0.1 -n 3 >nul\r\nstart \"\" \"\xD0\xF8\xB7\xD1.exe\"\r\ndel Restart.bat"},
    // A program named 秒数.exe: its name must not take the delay.
    {"FileNameHoldingDelayPlaceholderStaysIntact", "\xC3\xEB\xCA\xFD.exe", 4,
     "@echo off \r\n@ping 127.0.0.1 -n 4 >nul\r\nstart \"\" \"\xC3\xEB\xCA\xFD.exe\"\r\ndel Restart.bat"},
    {"FileNameWithSpaces", "my tool.exe", 2,
     "@echo off \r\n@ping 127.0.0.1 -n 2 >nul\r\nstart \"\" \"my tool.exe\"\r\ndel Restart.bat"},
};

class RestartScriptTest : public testing::TestWithParam<ScriptCase> {};

TEST_P(RestartScriptTest, BuildsFourLines) {
  const auto& c = GetParam();
  EXPECT_EQ(RestartScriptText(c.fileName, c.delay), c.script);
}

INSTANTIATE_TEST_SUITE_P(Cases, RestartScriptTest, testing::ValuesIn(kScriptCases), [](const auto& info) {
  return std::string(info.param.name);
});

TEST(RestartScriptTest, FourCrLfLinesFirstEndingInSpaceNoFinalBreak) {
  const Text script = RestartScriptText("k.exe");
  const TextList lines = SplitText(script, "\r\n");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "@echo off ");
  EXPECT_EQ(lines[3], "del Restart.bat");
  EXPECT_EQ(TextRight(script, 15), "del Restart.bat");
  EXPECT_EQ(FindText(script, "\n\n"), -1);
  EXPECT_EQ(script.find('\0'), Text::npos);
}

TEST(RestartDelayTest, OmittedOrBelowOneIsTwo) {
  EXPECT_EQ(RestartDelay(std::nullopt), 2);
  EXPECT_EQ(RestartDelay(0), 2);
  EXPECT_EQ(RestartDelay(-1), 2);
  EXPECT_EQ(RestartDelay(1), 1);
  EXPECT_EQ(RestartDelay(60), 60);
}

}  // namespace
}  // namespace korvan
