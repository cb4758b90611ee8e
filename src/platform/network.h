// What a run asks of the network, the same on every platform: platform/win32 answers it with the
// system's request object, WinINet and WinHTTP, platform/posix with libcurl, each in files of the same names.
#pragma once

#include <cstdint>
#include <optional>

#include "alerts/push_sender.h"
#include "log/network_clock.h"
#include "renewal/renew_free_vps.h"
#include "runtime/datetime/datetime.h"

namespace korvan {

// One exchange with the panel: the request object's defaults (15 seconds, redirects followed), the
// cookie text in and out. (http_exchanges.cpp)
CookieExchange PanelExchange();

// One push or ping, at most kPushTimeoutSeconds; never redirected, certificates checked.
// (http_exchanges.cpp)
PushAnswer SendPushRequest(const PushRequest& request);

// The time page's Unix seconds, nothing when it gives none; one request, a read that answered fed to
// ProgramNetworkClock. (network_time.cpp)
std::optional<std::int64_t> ReadNetworkSeconds();

// The time page's time in UTC+8; the computer's clock in UTC+8 when the page gives none, so that an
// entry never carries a stamp of 1970. One request. (network_time.cpp)
DateTime FetchNetworkTime();

// The time page's time as Unix milliseconds, or ProgramNetworkClock's when the page gives none: the
// plan and the DingTalk signature go by the network time even while the page does not answer.
// (network_time.cpp)
std::int64_t NetworkUnixMilliseconds();

// What each platform gives the shared time page reads above: the computer's clocks
// (computer_time.cpp), and the time page's answer, of any status, empty when the read fails
// (time_page.cpp; korvan-cli.exe's in win32/time_page_winhttp.cpp).
ComputerTime ComputerTimeNow();
ByteSet ReadTimePage();

}  // namespace korvan
