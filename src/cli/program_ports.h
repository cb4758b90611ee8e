// What the Linux program gives a run through its ports: the panel and the pushes over libcurl, the
// time page's stamps (the computer's clock in UTC+8 when the page fails), and its entries on
// standard output.
#pragma once

#include <cstdint>
#include <string_view>

#include "alerts/push_sender.h"
#include "renewal/renew_free_vps.h"
#include "runtime/datetime/datetime.h"

namespace korvan {

// One exchange with the panel: the request object's defaults (15 seconds, redirects followed).
CookieExchange PanelExchangeOverCurl();

// One push or ping, at most 10 seconds; never redirected, certificates checked.
PushAnswer PushOverCurl(const PushRequest& request);

// The time page's time; the computer's clock in UTC+8 when the page gives none. One request.
DateTime FetchNetworkTimeOverCurl();
std::int64_t NetworkUnixMillisecondsOverCurl();

// A code page 936 text as standard output shows it: UTF-8, LF line ends.
Text TerminalText(std::string_view text);

// An entry on standard output, stamp line and message line (as kept: KeptMessage), written out at once.
void PrintEntry(DateTime stamp, std::string_view message);

}  // namespace korvan
