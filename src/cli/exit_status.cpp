#include "cli/exit_status.h"

namespace korvan {

int ExitStatusOfRun(RunOutcome outcome) {
  if (outcome == RunOutcome::WrongPassword) return kExitWrongPassword;
  return IsFailedRun(outcome) ? kExitFailedRun : kExitOk;
}

}  // namespace korvan
