// Reading a whole web page by URL through WinHTTP, for a program that may run without a user
// session (the Task Scheduler's), where WinINet is not meant to be used.
#pragma once

#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// ReadUrl's answer and request bytes over WinHTTP: GET over HTTP/1.0 (https too) with Host,
// User-Agent and Accept in WinINet's order, no cookies, no keep-alive, redirects followed;
// everything from the first "#" dropped. Each step gives up after kReadUrlTimeoutMilliseconds and
// the whole read after kReadUrlWaitSeconds. Safe from any thread.
ByteSet ReadUrlOverWinHttp(std::string_view url);

}  // namespace korvan
