// The commands of the Linux program. Each reads korvan.ini once, writes its entries or its text to
// standard output in UTF-8 and what stops it to standard error, and gives the exit status
// (cli/exit_status.h).
#pragma once

#include <string>

#include "renewal/renew_free_vps.h"

namespace korvan {

struct CommandPaths {
  std::string config;          // korvan.ini
  std::string stateDirectory;  // korvan.log, korvan-status.ini, korvan-tick.ini and korvan.lock
};

// One whole run now (Renew), or the check of requests 1 to 3 (CheckOnly).
int RunCommand(const CommandPaths& paths, RenewalMode mode);

// A renewal run when one is due; otherwise nothing, without a request.
int TickCommand(const CommandPaths& paths);

// The run record and the next run, as the window's 运行状况 box shows them.
int StatusCommand(const CommandPaths& paths);

// "Korvan：测试消息" to every channel and the heartbeat, one line per channel.
int TestPushCommand(const CommandPaths& paths);

}  // namespace korvan
