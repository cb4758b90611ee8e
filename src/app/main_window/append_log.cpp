#include "app/main_window/append_log.h"

#include "renewal/log_entry.h"
#include "renewal/network_time.h"

namespace korvan {

// The time page is read on the caller's thread: the window's thread is held only for the append.
Text AppendLog(std::string_view message) {
  const DateTime stamp = FetchNetworkTime();
  AppendToLogBox(LogEntryText(stamp, message));
  return DateTimeToText(stamp);
}

}  // namespace korvan
