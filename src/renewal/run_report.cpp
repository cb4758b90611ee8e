#include "renewal/run_report.h"

namespace korvan {

bool IsFailedRun(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::LoginFailed:
    case RunOutcome::WrongPassword:
    case RunOutcome::NoVps:
    case RunOutcome::UnknownVerdict:
    case RunOutcome::ExpiryUnchanged: return true;
    default: return false;
  }
}

bool IsGoodRun(RunOutcome outcome) {
  return outcome == RunOutcome::Renewed || outcome == RunOutcome::TooEarly || outcome == RunOutcome::ExpiryMoved;
}

}  // namespace korvan
