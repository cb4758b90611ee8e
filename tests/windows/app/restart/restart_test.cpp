#include "app/restart/restart.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "config/advanced_settings.h"
#include "platform/win32/files.h"
#include "platform/win32/handles.h"
#include "platform/win32/program_location.h"

namespace korvan {
namespace {

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return condition();
}

struct DelayCase {
  std::optional<int> delay;
  const char* pingLine;
};

TEST(RestartScriptFileTest, HoldsExactlyTheFourLines) {
  const Text shortName = ShortFileName(ExecutableName());
  for (const DelayCase& c :
       {DelayCase{std::nullopt, "@ping 127.0.0.1 -n 2 >nul"}, DelayCase{0, "@ping 127.0.0.1 -n 2 >nul"},
        DelayCase{-3, "@ping 127.0.0.1 -n 2 >nul"}, DelayCase{5, "@ping 127.0.0.1 -n 5 >nul"}}) {
    const Text path = WriteRestartScript(c.delay);
    ASSERT_EQ(path, RunDirectory() + "\\Restart.bat");
    const std::string expected =
        std::string("@echo off \r\n") + c.pingLine + "\r\nstart \"\" \"" + shortName + "\"\r\ndel Restart.bat";
    EXPECT_EQ(ReadWholeFile(path), expected) << "delay " << c.delay.value_or(-999);
  }
  std::filesystem::remove("Restart.bat");
}

TEST(ShortFileNameTest, KeepsShortNamesAndShortensLongOnes) {
  WriteFileBytes("SHORT.EXE", TextToBytes("x"));
  EXPECT_EQ(ShortFileName("SHORT.EXE"), "SHORT.EXE");

  const Text longName = "a rather long program name.exe";
  WriteFileBytes(longName, TextToBytes("x"));
  const Text alias = ShortFileName(longName);
  EXPECT_LT(alias.size(), longName.size());
  EXPECT_NE(alias.find('~'), Text::npos) << alias;
  EXPECT_TRUE(FileExists(alias)) << alias;

  EXPECT_EQ(ShortFileName("no such file here.exe"), "no such file here.exe");
  std::filesystem::remove("SHORT.EXE");
  std::filesystem::remove(longName);
}

TEST(KillProcessTest, EndsAnotherProcessWithCodeZero) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  char commandLine[] = "cmd.exe /c ping 127.0.0.1 -n 30 >nul";
  ASSERT_TRUE(::CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                               &startup, &info));
  const UniqueHandle process(info.hProcess);
  const UniqueHandle thread(info.hThread);
  EXPECT_TRUE(KillProcess(info.dwProcessId));
  ASSERT_EQ(::WaitForSingleObject(process.Get(), 10000), WAIT_OBJECT_0);
  DWORD code = 99;
  ::GetExitCodeProcess(process.Get(), &code);
  EXPECT_EQ(code, 0u);
}

// 自动重启失败，程序继续运行, as korvan.log holds it: UTF-8.
constexpr char kRestartFailed[] =
    "\xE8\x87\xAA\xE5\x8A\xA8\xE9\x87\x8D\xE5\x90\xAF\xE5\xA4\xB1\xE8\xB4\xA5\xEF\xBC\x8C\xE7\xA8\x8B\xE5\xBA\x8F"
    "\xE7\xBB\xA7\xE7\xBB\xAD\xE8\xBF\x90\xE8\xA1\x8C";

struct RestartCase {
  const char* name;
  // "Restart.bat" is taken by a directory, so the batch file cannot be written.
  bool batchFileBlocked;
};

class RestartProgramTest : public ::testing::TestWithParam<RestartCase> {};

// The probe, copied into a folder whose path has a space, restarts itself once. Where it cannot, it
// runs on and logs so, as korvan.log shows with the run record on.
TEST_P(RestartProgramTest, RestartsOrStaysUpAndSaysSo) {
  const RestartCase& c = GetParam();
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "korvan restart test";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::filesystem::path probe = folder / "restart probe.exe";
  std::filesystem::copy_file(std::filesystem::path(RunDirectory()) / "korvan_restart_probe.exe", probe);
  if (c.batchFileBlocked) {
    std::filesystem::create_directory(folder / "Restart.bat");
    std::ofstream(folder / "korvan.ini", std::ios::binary) << "[" << kAdvancedSection << "]\r\n"
                                                           << kHistoryKey << "=1\r\n";
  }

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string commandLine = "\"" + probe.string() + "\"";
  ASSERT_TRUE(::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               folder.string().c_str(), &startup, &info));
  const UniqueHandle process(info.hProcess);
  const UniqueHandle thread(info.hThread);
  ASSERT_EQ(::WaitForSingleObject(process.Get(), 30000), WAIT_OBJECT_0);
  DWORD code = 99;
  ::GetExitCodeProcess(process.Get(), &code);

  if (c.batchFileBlocked) {
    EXPECT_EQ(code, 3u) << "RestartProgram must come back, the program running on";
    EXPECT_NE(ReadWholeFile(folder / "korvan.log").find(kRestartFailed), std::string::npos)
        << ReadWholeFile(folder / "korvan.log");
    EXPECT_FALSE(std::filesystem::exists(folder / "second-start.txt"));
  } else {
    EXPECT_EQ(code, 0u) << "the first instance must end through TerminateProcess with code 0";
    EXPECT_TRUE(WaitFor([&] { return std::filesystem::exists(folder / "second-start.txt"); }, std::chrono::seconds(30)))
        << "the batch file did not start a new instance";
    EXPECT_TRUE(WaitFor([&] { return !std::filesystem::exists(folder / "Restart.bat"); }, std::chrono::seconds(30)))
        << "the batch file did not delete itself";
    EXPECT_NE(ReadWholeFile(folder / "first-start.txt"), ReadWholeFile(folder / "second-start.txt"));
  }
  WaitFor(
      [&] {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        return !std::filesystem::exists(folder);
      },
      std::chrono::seconds(10));
}

INSTANTIATE_TEST_SUITE_P(Folders,
                         RestartProgramTest,
                         ::testing::Values(RestartCase{"Writable", false}, RestartCase{"BatchFileBlocked", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvan

int main(int argc, char** argv) {
  korvan::FixRunDirectory();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
