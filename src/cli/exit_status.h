// The exit status of the Linux program, the sysexits(3) codes where one fits, documented in --help and
// the README: scripts and systemd read a run's outcome from it.
#pragma once

#include "renewal/run_report.h"

namespace korvan {

inline constexpr int kExitOk = 0;                // a good run, a check, a tick with nothing due
inline constexpr int kExitFailedRun = 1;         // the run failed, or a test push did not arrive
inline constexpr int kExitWrongPassword = 2;     // the panel says the password is wrong: retrying will not help
inline constexpr int kExitUsage = 64;            // EX_USAGE: the command line is wrong
inline constexpr int kExitCannotKeepState = 73;  // EX_CANTCREAT: the tick state cannot be written, so nothing ran
inline constexpr int kExitBusy = 75;             // EX_TEMPFAIL: a run of the same state directory is under way
inline constexpr int kExitConfig = 78;           // EX_CONFIG: korvan.ini or the state directory cannot be used

// A run counted as failed (IsFailedRun) gives 1, the wrong password 2 of its own; anything else 0.
int ExitStatusOfRun(RunOutcome outcome);

}  // namespace korvan
