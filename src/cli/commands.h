// The commands of the Linux program. Each reads korvan.ini once, writes its entries or its text to
// standard output in UTF-8 and what stops it to standard error, and gives the exit status
// (cli/exit_status.h).
#pragma once

#include <string>

#include "renewal/renew_free_vps.h"

namespace korvan {

struct CommandLine {
  std::string config;          // korvan.ini
  std::string stateDirectory;  // NAME.log, NAME-status.ini, NAME-tick.ini and NAME.lock
  // The state files' NAME: the config file's, so that two accounts in one folder never share a
  // lock, a record, a log or a plan; korvan.ini keeps the Windows program's names.
  std::string stateName = "korvan";
  bool quiet = false;  // run, check, tick: the entries only of a run that failed
  bool json = false;   // status: as JSON
  // Started by the Task Scheduler, whose standard output goes nowhere: korvan.log is written
  // whatever history says.
  bool scheduled = false;
  bool loggedOff = false;  // schedule, and a scheduled tick's wake task: whether the user is logged on or not
};

// Fills in the state directory and the state files' name from the config file's path: a config
// under /etc/korvan keeps its state in /var/lib/korvan/NAME, as the systemd unit does; any other
// in its own folder.
void ChooseStatePaths(CommandLine& paths);

// One whole run now (Renew), or the check of requests 1 to 3 (CheckOnly).
int RunCommand(const CommandLine& paths, RenewalMode mode);

// A renewal run when one is due; otherwise nothing, without a request.
int TickCommand(const CommandLine& paths);

// A tick every kWatchSeconds until stopped, for a machine without a timer of its own. A first tick
// that cannot read korvan.ini ends it with its status; later ones are told and the watch goes on.
inline constexpr int kWatchSeconds = 5 * 60;
int WatchCommand(const CommandLine& paths);

// The run record and the next run, as the window's 运行状况 box shows them.
int StatusCommand(const CommandLine& paths);

// "Korvan：测试消息" to every channel and the heartbeat, one line per channel.
int TestPushCommand(const CommandLine& paths);

}  // namespace korvan
