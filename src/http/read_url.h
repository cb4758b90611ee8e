// Reading a whole web page by URL through WinINet.
#pragma once

#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// Connecting, sending and each wait for data give up after this long, so a dead server never holds
// the caller for minutes.
inline constexpr unsigned long kReadUrlTimeoutMilliseconds = 15000;
// The time page is one short answer: a read is given up after its time-out and a little.
inline constexpr int kReadUrlWaitSeconds = static_cast<int>(kReadUrlTimeoutMilliseconds / 1000) + 2;

// GET over HTTP/1.0 (https too), bypassing the cache; everything from the first "#" is dropped.
// The whole answer body, of any status; empty when the URL, the connection, the request or the send
// fails, the bytes read so far when a read fails midway. Safe from any thread.
ByteSet ReadUrl(std::string_view url);

}  // namespace korvan
