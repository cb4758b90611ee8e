// The Task Scheduler's tasks of one folder, through its own COM interface (platform/win32 only: on
// Linux a systemd timer runs the ticks, and nothing here is built). Names, task XML and what went
// wrong are UTF-8. Each call initialises COM for its thread and connects anew. (scheduled_tasks.cpp)
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvan {

// The running program's full path (code page 936).
std::string ProgramPath();

// The user running this, as a task's principal names it ("HOST\\alice"); empty when unknown.
std::string CurrentUserId();

struct TaskRegistration {
  bool ok = false;
  std::string error;  // why not, with what to do when it was refused for want of rights
};

// Creates the folder when missing and registers `name` there, replacing a task of that name.
// loggedOff: the XML's principal is S4U (a boot trigger and S4U need an administrator); otherwise
// an interactive token.
TaskRegistration RegisterScheduledTask(std::string_view folder,
                                       std::string_view name,
                                       std::string_view xml,
                                       bool loggedOff);

enum class TaskRemoval { Removed, NotFound, Failed };
struct TaskRemovalResult {
  TaskRemoval outcome = TaskRemoval::Failed;
  std::string error;  // with Failed
};

// The folder stays: it may hold another account's task, and Wine cannot count them.
TaskRemovalResult RemoveScheduledTask(std::string_view folder, std::string_view name);

struct ScheduledTaskState {
  bool registered = false;
  std::optional<std::int64_t> lastRunUnixSeconds;  // none: it never ran
  std::int32_t lastResult = 0;                     // the last run's exit code or the scheduler's HRESULT
  bool running = false;
  bool enabled = false;
  std::string xml;    // the definition as the Task Scheduler keeps it
  std::string error;  // it could not be read (a task that does not exist is not an error)
};

ScheduledTaskState ReadScheduledTask(std::string_view folder, std::string_view name);

}  // namespace korvan
