// The task XML as the Task Scheduler would read it: each element's text, by name.
#include "cli/task_definition.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace korvan {
namespace {

// The texts of every <name>…</name> (no attributes), in order.
std::vector<std::string> Texts(const std::string& xml, const std::string& name) {
  std::vector<std::string> texts;
  const std::string open = "<" + name + ">", close = "</" + name + ">";
  for (std::size_t at = xml.find(open); at != std::string::npos; at = xml.find(open, at + 1)) {
    const std::size_t start = at + open.size();
    texts.push_back(xml.substr(start, xml.find(close, start) - start));
  }
  return texts;
}
std::string Text(const std::string& xml, const std::string& name) {
  const std::vector<std::string> texts = Texts(xml, name);
  return texts.size() == 1 ? texts[0] : "<" + std::to_string(texts.size()) + " of " + name + ">";
}

// "D:\VPS & co\<新>\"q\korvan.ini" in UTF-8.
const std::string kOddFolder = "D:\\VPS & co\\<\xE6\x96\xB0>\\\"q";
const TaskDefinition kTask{.program = kOddFolder + "\\korvan-cli.exe",
                           .config = kOddFolder + "\\korvan.ini",
                           .workingFolder = kOddFolder,
                           .userId = "HOST\\alice",
                           .start = {1700000000, 8 * 3600}};
const std::string kOddEscaped = "D:\\VPS &amp; co\\&lt;\xE6\x96\xB0&gt;\\&quot;q";

TEST(TaskDefinition, PathsAreEscapedInTheAction) {
  const std::string xml = TickTaskXml(kTask);
  EXPECT_EQ(Text(xml, "Command"), kOddEscaped + "\\korvan-cli.exe");
  EXPECT_EQ(Text(xml, "Arguments"), "tick --scheduled --config &quot;" + kOddEscaped + "\\korvan.ini&quot;");
  EXPECT_EQ(Text(xml, "WorkingDirectory"), kOddEscaped);
  EXPECT_EQ(xml.find("& "), std::string::npos);
}

TEST(TaskDefinition, TheTickRepeatsWithoutWakingAndTheWakeTaskWakesOnce) {
  const std::string tick = TickTaskXml(kTask), wake = WakeTaskXml(kTask, {1700003600, 8 * 3600});
  struct Row {
    std::string element, inTick, inWake;
  } rows[] = {{"WakeToRun", "false", "true"},
              {"StartWhenAvailable", "true", "false"},
              {"DisallowStartIfOnBatteries", "false", "false"},
              {"StopIfGoingOnBatteries", "false", "false"},
              {"MultipleInstancesPolicy", "IgnoreNew", "IgnoreNew"},
              {"Interval", "PT5M", "<0 of Interval>"},
              {"Duration", "<0 of Duration>", "<0 of Duration>"},
              {"StartBoundary", "2023-11-15T06:13:20+08:00", "2023-11-15T07:13:20+08:00"}};
  for (const Row& row : rows) {
    EXPECT_EQ(Text(tick, row.element), row.inTick) << row.element;
    EXPECT_EQ(Text(wake, row.element), row.inWake) << row.element;
  }
  EXPECT_EQ(Texts(wake, "TimeTrigger").size() + Texts(wake, "LogonTrigger").size() + Texts(wake, "BootTrigger").size(),
            1u);
}

TEST(TaskDefinition, StartsAreLocalTimesWithTheirOffset) {
  TaskDefinition west = kTask;
  west.start = {1700000000, -(5 * 3600 + 30 * 60)};
  EXPECT_EQ(Text(TickTaskXml(west), "StartBoundary"), "2023-11-14T16:43:20-05:30");
}

// The computer's zone gives the offset, summer time included, with its sign.
TEST(TaskDefinition, TheComputersZoneGivesTheOffset) {
  struct Row {
    const char* zone;
    std::int64_t at;
    int offset;
  } rows[] = {{"Asia/Shanghai", 1700000000, 8 * 3600},
              {"America/New_York", 1700000000, -5 * 3600},
              {"America/New_York", 1690000000, -4 * 3600}};
  const char* saved = std::getenv("TZ");
  const std::string before = saved ? saved : "";
  for (const Row& row : rows) {
    setenv("TZ", row.zone, 1);
    tzset();
    EXPECT_EQ(ComputerTaskMoment(row.at).utcOffsetSeconds, row.offset) << row.zone << " " << row.at;
  }
  saved ? setenv("TZ", before.c_str(), 1) : unsetenv("TZ");
  tzset();
}

TEST(TaskDefinition, TheLimitLiesAboveTheLongestTick) {
  int minutes = 0;
  ASSERT_EQ(std::sscanf(Text(TickTaskXml(kTask), "ExecutionTimeLimit").c_str(), "PT%dM", &minutes), 1);
  EXPECT_GT(minutes * 60, kLongestTickSeconds);
}

TEST(TaskDefinition, LoggedOffStartsAtBootAsS4U) {
  for (const bool loggedOff : {false, true}) {
    TaskDefinition task = kTask;
    task.loggedOff = loggedOff;
    const std::string xml = TickTaskXml(task);
    EXPECT_EQ(Texts(xml, "BootTrigger").size(), loggedOff ? 1u : 0u);
    EXPECT_EQ(Texts(xml, "LogonTrigger").size(), loggedOff ? 0u : 1u);
    EXPECT_EQ(Text(xml, "LogonType"), loggedOff ? "S4U" : "InteractiveToken");
    // The tick registers the wake task with the tick task's own principal.
    EXPECT_EQ(Text(xml, "Arguments").find("--logged-off") != std::string::npos, loggedOff);
  }
}

TEST(TaskDefinition, OneNamePerConfigFileWhateverItsLetterCase) {
  const TaskName alice = TaskNameForConfig("C:\\Users\\Alice\\alice.ini");
  EXPECT_EQ(alice.folder, "Korvan");
  EXPECT_EQ(alice.leaf.substr(0, 6), "alice ");
  EXPECT_EQ(alice.leaf.size(), 6u + 8u);
  EXPECT_EQ(TaskNameForConfig("c:/users/ALICE/Alice.INI").leaf, "Alice" + alice.leaf.substr(5));
  EXPECT_NE(TaskNameForConfig("C:\\Users\\Alice\\alice2.ini").leaf.substr(7), alice.leaf.substr(6));
  EXPECT_EQ(TaskNameForConfig("D:\\VPS\\bob\\korvan.ini").leaf.substr(0, 4), "bob ");
  EXPECT_EQ(WakeTaskName(alice).leaf, alice.leaf + " (wake)");
}

}  // namespace
}  // namespace korvan
