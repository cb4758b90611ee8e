#include "log/network_time.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

#include "korvan/hosts.h"
#include "platform/network.h"
#include "local_http_server.h"

namespace korvan {
namespace {

using korvan::testing::LocalHttpServer;

// The time page is only reachable in a build whose time host is on this machine.
std::uint16_t LocalTimePort() {
  const std::string_view host = hosts::kTime;
  if (!host.starts_with("127.0.0.1:")) return 0;
  return static_cast<std::uint16_t>(std::stoi(std::string(host.substr(10))));
}

DateTime ComputerClockPlusEightHours() {
  SYSTEMTIME now{};
  ::GetSystemTime(&now);
  const DateTime utc = MakeDateTime({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond});
  return AddToDateTime(utc, static_cast<int>(DatePart::Hour), 8);
}

TEST(FetchNetworkTimeTest, ReadsTheTimePage) {
  const std::uint16_t port = LocalTimePort();
  if (port == 0) GTEST_SKIP() << "time host " << hosts::kTime << " is not local";
  LocalHttpServer timePage("HTTP/1.0 200 OK\r\n\r\nwindow.baidu_time(1700000000123);", false, port);
  ASSERT_TRUE(timePage.Listening());
  EXPECT_EQ(SplitDateTime(FetchNetworkTime()), (DateTimeFields{2023, 11, 15, 6, 13, 20}));
}

TEST(FetchNetworkTimeTest, FallsBackToTheComputerClockInUtc8) {
  const std::uint16_t port = LocalTimePort();
  if (port == 0) GTEST_SKIP() << "time host " << hosts::kTime << " is not local";
  for (const char* answer :
       {"", "HTTP/1.0 200 OK\r\n\r\n<html>no time</html>", "HTTP/1.0 200 OK\r\n\r\nwindow.baidu_time(0);"}) {
    const bool pageUp = answer[0] != '\0';
    std::optional<LocalHttpServer> timePage;
    if (pageUp) timePage.emplace(answer, false, port);
    const DateTime fetched = FetchNetworkTime();
    const double secondsOff = std::fabs(fetched.days - ComputerClockPlusEightHours().days) * 86400;
    EXPECT_LT(secondsOff, 5.0) << (pageUp ? answer : "time page down");
  }
}

}  // namespace
}  // namespace korvan
