#include "platform/win32/processes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "platform/win32/program_location.h"
#include "scratch_directory.h"

namespace korvan {
namespace {

using korvan::testing::ReadWholeFile;
using korvan::testing::ScratchDirectory;

Text ProbeCommand(const Text& reportPath, int sleepMilliseconds) {
  return RunDirectory() + "\\korvan_startup_probe.exe " + reportPath + " " + std::to_string(sleepMilliseconds);
}

struct StyleCase {
  const char* name;
  std::optional<int> windowStyle;
  int expectedShowCommand;
};

class RunProgramStyleTest : public ::testing::TestWithParam<StyleCase> {};

TEST_P(RunProgramStyleTest, StartsTheFirstWindowWithTheStylesShowCommand) {
  const StyleCase& c = GetParam();
  ScratchDirectory directory;
  const Text report = directory / "report.txt";
  const Text command = ProbeCommand(report, 0);
  ASSERT_TRUE(RunProgram(command, true, c.windowStyle));
  const std::string content = ReadWholeFile(report);
  EXPECT_EQ(content.substr(0, content.find('\n')), "1 " + std::to_string(c.expectedShowCommand));
  EXPECT_EQ(content.substr(content.find('\n') + 1), command) << "the command line is passed unchanged";
}

INSTANTIATE_TEST_SUITE_P(Cases,
                         RunProgramStyleTest,
                         ::testing::Values(StyleCase{"OmittedIsNormal", std::nullopt, SW_SHOWNORMAL},
                                           StyleCase{"ZeroCountsAsHidden", 0, SW_HIDE},
                                           StyleCase{"NegativeCountsAsHidden", -7, SW_HIDE},
                                           StyleCase{"Hidden", 1, SW_HIDE},
                                           StyleCase{"Normal", 2, SW_SHOWNORMAL},
                                           StyleCase{"Minimized", 3, SW_SHOWMINIMIZED},
                                           StyleCase{"Maximized", 4, SW_SHOWMAXIMIZED},
                                           StyleCase{"NormalWithoutActivation", 5, SW_SHOWNOACTIVATE},
                                           StyleCase{"Minimize", 6, SW_MINIMIZE},
                                           StyleCase{"AboveSixCountsAsSix", 99, SW_MINIMIZE}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RunProgramTest, WaitsForTheEndOnlyWhenAsked) {
  using namespace std::chrono;
  ScratchDirectory directory;
  const Text waited = directory / "waited.txt";
  auto started = steady_clock::now();
  ASSERT_TRUE(RunProgram(ProbeCommand(waited, 1500), true));
  EXPECT_GE(steady_clock::now() - started, milliseconds(1400));
  EXPECT_TRUE(std::filesystem::exists(waited)) << "the program had ended when RunProgram came back";

  const Text detached = directory / "detached.txt";
  started = steady_clock::now();
  ASSERT_TRUE(RunProgram(ProbeCommand(detached, 2500), false));
  const auto returnedAfter = steady_clock::now() - started;
  EXPECT_LT(returnedAfter, milliseconds(2000));
  EXPECT_FALSE(std::filesystem::exists(detached)) << "RunProgram waited for the end";
  // The child still finishes on its own; wait for it so the directory can go.
  for (int i = 0; i < 100 && !std::filesystem::exists(detached); ++i)
    std::this_thread::sleep_for(milliseconds(100));
  EXPECT_TRUE(std::filesystem::exists(detached));
  std::printf("RunProgram without waiting came back after %lld ms\n",
              static_cast<long long>(duration_cast<milliseconds>(returnedAfter).count()));
}

TEST(RunProgramTest, RunsTheCommandInterpreter) {
  ScratchDirectory directory;
  const Text marker = directory / "made-by-cmd.txt";
  ASSERT_TRUE(RunProgram("cmd /c echo done>" + marker, true, 1));
  EXPECT_TRUE(std::filesystem::exists(marker));
}

TEST(RunProgramTest, MissingProgramGivesFalse) {
  ScratchDirectory directory;
  EXPECT_FALSE(RunProgram(directory / "no-such-program.exe", true));
  EXPECT_FALSE(RunProgram("", false));
}

}  // namespace
}  // namespace korvan
