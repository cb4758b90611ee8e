#include "platform/network.h"

#include <time.h>

#include <ctime>
#include <fstream>
#include <string>

#include "log/network_clock.h"

namespace korvan {

// CLOCK_BOOTTIME goes on during suspend; the kernel names each boot afresh.
ComputerTime ComputerTimeNow() {
  static const std::string boot = [] {
    std::ifstream file("/proc/sys/kernel/random/boot_id");
    std::string id;
    std::getline(file, id);
    return id;
  }();
  timespec sinceBoot{};
  ::clock_gettime(CLOCK_BOOTTIME, &sinceBoot);
  return {static_cast<std::int64_t>(std::time(nullptr)), static_cast<std::int64_t>(sinceBoot.tv_sec), boot};
}

}  // namespace korvan
