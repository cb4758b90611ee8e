#include "renewal/append_log.h"

#include "app/main_window_access.h"
#include "renewal/log_entry.h"
#include "renewal/network_time.h"

namespace korvan {

void AppendLog(std::string_view message) { AppendToLogBox(LogEntryText(FetchNetworkTime(), message)); }

}  // namespace korvan
