// The service's limit against the longest a tick can take: a time-out raised in the code, or a
// limit lowered in the unit, fails here before systemd stops a slow run in its middle.
#include "cli/run_bound.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace korvan {
namespace {

// The unit writes its limit in whole minutes; systemd takes the last line that sets it.
TEST(RunBound, TheServiceLimitLiesAboveTheLongestTick) {
  std::ifstream unit(KORVAN_SERVICE_UNIT);
  std::string limit;
  for (std::string line; std::getline(unit, line);) {
    if (line.starts_with("TimeoutStartSec=")) limit = line.substr(16);
  }
  long minutes = 0;
  char rest = 0;
  ASSERT_EQ(std::sscanf(limit.c_str(), "%ldmin%c", &minutes, &rest), 1)
      << KORVAN_SERVICE_UNIT << ": TimeoutStartSec=" << limit << " is not a number of minutes (Nmin)";
  EXPECT_GT(minutes * 60, kLongestTickSeconds)
      << "TimeoutStartSec=" << limit << " stops a tick that may take " << kLongestTickSeconds << " seconds";
}

}  // namespace
}  // namespace korvan
