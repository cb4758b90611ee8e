#include "platform/network.h"

#include "http/read_url.h"
#include "log/network_time.h"

namespace korvan {

// The window program's reads, over WinINet as they always were; korvan-cli.exe links
// time_page_winhttp.cpp instead.
ByteSet ReadTimePage() { return ReadUrl(TimePageUrl()); }

}  // namespace korvan
