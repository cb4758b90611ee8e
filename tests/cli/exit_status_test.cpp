// The exit status a run gives.
#include "cli/exit_status.h"

#include <gtest/gtest.h>

namespace korvan {
namespace {

// cli_e2e's runs end in each of the other outcomes and check the exit status they give.
TEST(ExitStatus, OfTheOutcomesNoEndToEndRunGives) {
  EXPECT_EQ(ExitStatusOfRun(RunOutcome::None), kExitOk);
  EXPECT_EQ(ExitStatusOfRun(RunOutcome::LoginPageUnknown), kExitFailedRun);
}

}  // namespace
}  // namespace korvan
