#include "cli/schedule_commands.h"

#include <ctime>
#include <string_view>

#include "cli/messages.h"
#include "cli/exit_status.h"
#include "cli/task_definition.h"
#include "cli/terminal_text.h"
#include "log/network_time.h"
#include "platform/scheduled_tasks.h"
#include "platform/standard_streams.h"
#include "platform/state_files.h"
#include "runtime/text/encoding.h"

namespace korvan {
namespace {

// 任务计划程序：已登记
constexpr std::string_view kRegistered =
    "\xC8\xCE\xCE\xF1\xBC\xC6\xBB\xAE\xB3\xCC\xD0\xF2\xA3\xBA\xD2\xD1\xB5\xC7\xBC\xC7 ";
// ，上次运行
constexpr std::string_view kLastRun = "\xA3\xAC\xC9\xCF\xB4\xCE\xD4\xCB\xD0\xD0 ";
// （结果
constexpr std::string_view kResultOpen = "\xA3\xA8\xBD\xE1\xB9\xFB ";
// ）
constexpr std::string_view kClose = "\xA3\xA9";
// ，还没有运行过
constexpr std::string_view kNeverRan = "\xA3\xAC\xBB\xB9\xC3\xBB\xD3\xD0\xD4\xCB\xD0\xD0\xB9\xFD";
// 任务计划程序：没有为这个 korvan.ini 登记任务（korvan-cli schedule 登记）
constexpr std::string_view kNotRegistered =
    "\xC8\xCE\xCE\xF1\xBC\xC6\xBB\xAE\xB3\xCC\xD0\xF2\xA3\xBA\xC3\xBB\xD3\xD0\xCE\xAA\xD5\xE2\xB8\xF6 korvan.ini "
    "\xB5\xC7\xBC\xC7\xC8\xCE\xCE\xF1\xA3\xA8korvan-cli schedule \xB5\xC7\xBC\xC7\xA3\xA9";
// 任务计划程序：读不出任务（
constexpr std::string_view kUnreadable =
    "\xC8\xCE\xCE\xF1\xBC\xC6\xBB\xAE\xB3\xCC\xD0\xF2\xA3\xBA\xB6\xC1\xB2\xBB\xB3\xF6\xC8\xCE\xCE\xF1\xA3\xA8";

// The names and the XML are UTF-8; the paths are code page 936 until here.
std::string FullConfig(const CommandLine& paths) { return AnsiToUtf8(FullPath(paths.config)); }
TaskName NameOf(const CommandLine& paths) { return TaskNameForConfig(FullConfig(paths)); }
std::string Shown(const TaskName& name) { return JoinTexts(name.folder, "\\", name.leaf); }

TaskDefinition DefinitionOf(const CommandLine& paths) {
  const std::string config = FullConfig(paths);
  const std::size_t slash = config.find_last_of("\\/");
  return {.program = AnsiToUtf8(ProgramPath()),
          .config = config,
          .workingFolder = slash == std::string::npos ? std::string(".") : config.substr(0, slash),
          .userId = CurrentUserId(),
          .loggedOff = paths.loggedOff,
          .start = ComputerTaskMoment(static_cast<std::int64_t>(std::time(nullptr)))};
}

}  // namespace

int ScheduleCommand(const CommandLine& paths, bool loggedOff) {
  // A task that could never read its korvan.ini would fail every 5 minutes unseen.
  const ConfigFile file = ReadConfigFile(paths.config);
  if (!file.error.empty()) {
    Complain(file.error);
    return kExitConfig;
  }
  CommandLine scheduled = paths;
  scheduled.loggedOff = loggedOff;
  const TaskName name = NameOf(scheduled);
  const TaskRegistration done =
      RegisterScheduledTask(name.folder, name.leaf, TickTaskXml(DefinitionOf(scheduled)), loggedOff);
  if (!done.ok) {
    Complain(JoinTexts("cannot register the task ", Shown(name), ": ", done.error));
    return kExitFailedRun;
  }
  Say(JoinTexts("registered the task ", Shown(name), ": `korvan-cli tick` every 5 minutes and ",
                loggedOff ? "at start-up, whether you are logged on or not" : "at logon, while you are logged on",
                "; korvan.log keeps each run's entries"));
  return kExitOk;
}

int UnscheduleCommand(const CommandLine& paths) {
  const TaskName name = NameOf(paths);
  const TaskName wake = WakeTaskName(name);
  RemoveScheduledTask(wake.folder, wake.leaf);
  const TaskRemovalResult removed = RemoveScheduledTask(name.folder, name.leaf);
  switch (removed.outcome) {
    case TaskRemoval::Removed: Say(JoinTexts("removed the task ", Shown(name))); return kExitOk;
    case TaskRemoval::NotFound:
      Say(JoinTexts("no task is registered for ", FullConfig(paths), " (", Shown(name), "); nothing removed"));
      return kExitOk;
    case TaskRemoval::Failed: break;
  }
  Complain(JoinTexts("cannot remove the task ", Shown(name), ": ", removed.error));
  return kExitFailedRun;
}

std::string ScheduledTaskLine(const CommandLine& paths) {
  const TaskName name = NameOf(paths);
  const ScheduledTaskState task = ReadScheduledTask(name.folder, name.leaf);
  if (!task.error.empty()) return JoinTexts(TerminalText(kUnreadable), task.error, TerminalText(kClose));
  if (!task.registered) return TerminalText(kNotRegistered);
  Text line = JoinTexts(kRegistered, Utf8ToAnsi(Shown(name)));
  if (!task.lastRunUnixSeconds) return TerminalText(JoinTexts(line, kNeverRan));
  // The Task Scheduler's times are the computer's own, as its library shows them.
  const TaskMoment moment = ComputerTaskMoment(*task.lastRunUnixSeconds);
  const DateTime local = Utc8FromUnixSeconds(moment.unixSeconds + moment.utcOffsetSeconds - kUtc8OffsetSeconds);
  return TerminalText(
      JoinTexts(line, kLastRun, DateTimeToText(local), kResultOpen, std::to_string(task.lastResult), kClose));
}

void MoveWakeTask(const CommandLine& paths, std::optional<std::int64_t> wakeAt) {
  const TaskName wake = WakeTaskName(NameOf(paths));
  if (!wakeAt) {
    RemoveScheduledTask(wake.folder, wake.leaf);
    return;
  }
  const TaskRegistration done = RegisterScheduledTask(
      wake.folder, wake.leaf, WakeTaskXml(DefinitionOf(paths), ComputerTaskMoment(*wakeAt)), paths.loggedOff);
  if (!done.ok) Complain(JoinTexts("cannot move the wake task ", Shown(wake), ": ", done.error));
}

}  // namespace korvan
