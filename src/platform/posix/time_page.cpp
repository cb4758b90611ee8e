#include "platform/network.h"

#include "log/network_time.h"
#include "platform/posix/curl_http.h"

namespace korvan {

ByteSet ReadTimePage() { return ReadUrlOverCurl(TimePageUrl()); }

}  // namespace korvan
