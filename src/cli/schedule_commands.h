// The Task Scheduler's task of one korvan.ini, for korvan-cli.exe: `schedule`, `unschedule`, the
// line `status` ends with, and the wake task each scheduled run moves. Windows only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cli/commands.h"

namespace korvan {

int ScheduleCommand(const CommandLine& paths, bool loggedOff);
int UnscheduleCommand(const CommandLine& paths);

// Whether a task is registered for this korvan.ini and when it last ran, UTF-8.
std::string ScheduledTaskLine(const CommandLine& paths);

// With the plan's wake on: the computer is woken only for the plan's next run, by a task of its own
// at wakeAt (Unix seconds by the computer's clock), moved by each run; none removes it.
void MoveWakeTask(const CommandLine& paths, std::optional<std::int64_t> wakeAt);

}  // namespace korvan
