// The Task Scheduler task that runs `korvan-cli tick` for one korvan.ini, as Task Scheduler 2.0 XML,
// and its name. Portable text only: platform/scheduled_tasks.h registers what is built here. Every
// text in and out is UTF-8 (on Windows a path of the program is code page 936: AnsiToUtf8 it first).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cli/run_bound.h"

namespace korvan {

// One task per korvan.ini, in the Task Scheduler's folder kTaskFolder.
inline constexpr std::string_view kTaskFolder = "Korvan";
inline constexpr std::string_view kWakeTaskEnding = " (wake)";
inline constexpr int kTickEveryMinutes = 5;
// Above the longest tick, so that the Task Scheduler never stops a run that is only meeting silence.
inline constexpr int kTaskLimitMarginMinutes = 5;
inline constexpr int kTaskLimitMinutes = (kLongestTickSeconds + 59) / 60 + kTaskLimitMarginMinutes;

struct TaskName {
  std::string folder;  // kTaskFolder
  std::string leaf;    // "alice 1a2b3c4d"
};

// The account (the config's stem, or its folder's name for korvan.ini) and 8 hex digits of a digest
// of the full path with ASCII letters folded and '/' as '\\': two configs never share a task, and
// the same file named in another letter case finds its own again.
TaskName TaskNameForConfig(std::string_view configFullPath);
// The wake task's name beside the tick task's: its leaf + kWakeTaskEnding.
TaskName WakeTaskName(const TaskName& tickTask);

// A moment as the Task Scheduler takes it: written as local time with its offset.
struct TaskMoment {
  std::int64_t unixSeconds = 0;
  int utcOffsetSeconds = 0;  // the computer's zone at that moment, east positive
};

// The moment in the computer's own zone (its offset at that moment, summer time included).
TaskMoment ComputerTaskMoment(std::int64_t unixSeconds);

struct TaskDefinition {
  std::string program;        // full path of korvan-cli.exe
  std::string config;         // full path of korvan.ini
  std::string workingFolder;  // the config's folder
  std::string userId;         // "HOST\\alice"; empty: the user who registers it
  bool loggedOff = false;     // run whether the user is logged on or not (S4U, at boot)
  TaskMoment start;           // the first tick; the repetition counts from it
};

// A tick every kTickEveryMinutes from `start` on, indefinitely, and one at logon (at boot when
// loggedOff); a start missed while the computer was off comes when it is next on. It never wakes
// the computer: WakeToRun is the task's own, and every 5 minutes would keep a laptop awake.
std::string TickTaskXml(const TaskDefinition& task);

// The same tick once at `wakeAt` (the plan's next run less a lead), waking the computer for it; a
// moment missed is not made up. Registered as WakeTaskName(...).
std::string WakeTaskXml(const TaskDefinition& task, TaskMoment wakeAt);

// "& < > \" '" as entities, for element text and attribute values alike.
std::string EscapeXml(std::string_view text);

}  // namespace korvan
