// The tasks korvan-cli schedules, registered with the prefix's Task Scheduler and read back. Wine
// never starts them, and its reader drops triggers and actions: only the settings are checked.
#include "platform/scheduled_tasks.h"

#include <gtest/gtest.h>

#include <string>

#include "cli/task_definition.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"

namespace korvan {
namespace {

constexpr std::string_view kFolder = "KorvanTest";
// "张三 1a2b3c4d" and a folder "D:\VPS & 新\" in UTF-8: the names cross to UTF-16 and back.
const std::string kLeaf = "\xE5\xBC\xA0\xE4\xB8\x89 1a2b3c4d";
const std::string kOddFolder = "D:\\VPS & \xE6\x96\xB0";

std::string Element(const std::string& xml, const std::string& name) {
  const std::string open = "<" + name + ">";
  const std::size_t start = xml.find(open);
  if (start == std::string::npos) return "(no " + name + ")";
  const std::size_t from = start + open.size();
  return xml.substr(from, xml.find("</" + name + ">", from) - from);
}

// The task files in the folder: Wine's collection of a folder's tasks cannot count them (E_NOTIMPL).
int TaskFilesIn(std::string_view folder) {
  wchar_t system[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring pattern = std::wstring(system, length) + L"\\Tasks\\" + Utf8ToWide(folder) + L"\\*";
  WIN32_FIND_DATAW found;
  int files = 0;
  for (UniqueFindHandle find(::FindFirstFileW(pattern.c_str(), &found)); find && files < 100;) {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) ++files;
    if (!::FindNextFileW(find.Get(), &found)) break;
  }
  return files;
}

TaskDefinition Tick(const std::string& config) {
  return {.program = kOddFolder + "\\korvan-cli.exe",
          .config = config,
          .workingFolder = kOddFolder,
          .userId = CurrentUserId(),
          .start = {1700000000, 8 * 3600}};
}

TEST(ScheduledTasks, RegisterReadReplaceAndRemove) {
  ASSERT_FALSE(CurrentUserId().empty());
  const TaskName wake = WakeTaskName({std::string(kFolder), kLeaf});
  const TaskRegistration first =
      RegisterScheduledTask(kFolder, kLeaf, TickTaskXml(Tick(kOddFolder + "\\a.ini")), false);
  ASSERT_TRUE(first.ok) << first.error;
  const TaskRegistration woken = RegisterScheduledTask(
      kFolder, wake.leaf, WakeTaskXml(Tick(kOddFolder + "\\a.ini"), {1700003600, 8 * 3600}), false);
  ASSERT_TRUE(woken.ok) << woken.error;

  const ScheduledTaskState tick = ReadScheduledTask(kFolder, kLeaf);
  const ScheduledTaskState waking = ReadScheduledTask(kFolder, wake.leaf);
  ASSERT_TRUE(tick.registered && waking.registered) << tick.error << waking.error;
  EXPECT_FALSE(tick.lastRunUnixSeconds.has_value());
  struct Row {
    std::string element, inTick, inWake;
  } rows[] = {{"WakeToRun", "false", "true"},
              {"StartWhenAvailable", "true", "false"},
              {"DisallowStartIfOnBatteries", "false", "false"},
              {"StopIfGoingOnBatteries", "false", "false"},
              {"MultipleInstancesPolicy", "IgnoreNew", "IgnoreNew"},
              {"ExecutionTimeLimit", "PT" + std::to_string(kTaskLimitMinutes) + "M",
               "PT" + std::to_string(kTaskLimitMinutes) + "M"}};
  for (const Row& row : rows) {
    EXPECT_EQ(Element(tick.xml, row.element), row.inTick) << row.element << "\n" << tick.xml;
    EXPECT_EQ(Element(waking.xml, row.element), row.inWake) << row.element << "\n" << waking.xml;
  }
  // The Chinese folder came through UTF-16 (Wine gives the text back unescaped, Windows escaped).
  EXPECT_NE(Element(tick.xml, "Description").find("\xE6\x96\xB0\\a.ini"), std::string::npos) << tick.xml;

  // `schedule` again: the same task, its definition replaced.
  const TaskRegistration again =
      RegisterScheduledTask(kFolder, kLeaf, TickTaskXml(Tick(kOddFolder + "\\b.ini")), false);
  ASSERT_TRUE(again.ok) << again.error;
  EXPECT_EQ(TaskFilesIn(kFolder), 2);
  EXPECT_NE(Element(ReadScheduledTask(kFolder, kLeaf).xml, "Description").find("b.ini"), std::string::npos);

  EXPECT_EQ(RemoveScheduledTask(kFolder, kLeaf).outcome, TaskRemoval::Removed);
  EXPECT_FALSE(ReadScheduledTask(kFolder, kLeaf).registered);
  EXPECT_EQ(RemoveScheduledTask(kFolder, kLeaf).outcome, TaskRemoval::NotFound);
  EXPECT_EQ(TaskFilesIn(kFolder), 1);
  EXPECT_EQ(RemoveScheduledTask(kFolder, wake.leaf).outcome, TaskRemoval::Removed);
  EXPECT_EQ(RemoveScheduledTask(kFolder, wake.leaf).outcome, TaskRemoval::NotFound);
}

}  // namespace
}  // namespace korvan
