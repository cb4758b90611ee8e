#include "platform/network.h"

#include "log/network_time.h"
#include "platform/win32/winhttp_read_url.h"

namespace korvan {

// korvan-cli.exe may run without a user session (from the Task Scheduler), where WinINet is not
// meant to be used: the same request bytes over WinHTTP.
ByteSet ReadTimePage() { return ReadUrlOverWinHttp(TimePageUrl()); }

}  // namespace korvan
