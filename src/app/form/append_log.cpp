#include "app/form/append_log.h"

#include <chrono>

#include "log/entry_order.h"
#include "platform/network.h"
#include "app/form/configuration.h"
#include "app/window_thread/window_thread.h"
#include "platform/win32/history_file.h"
#include "log/log_entry.h"
#include "log/network_time.h"
#include "renewal/run_report.h"
#include "platform/win32/threads.h"

namespace korvan {
namespace {

// Longer than any time-page request can take: an entry waits this long at most for the one before.
constexpr std::chrono::milliseconds kTurnLimit{60000};

EntryOrder& LogOrder() {
  static EntryOrder order;
  return order;
}

// The log box shows the message whole; korvan.log keeps it as the record and the pushes do.
void WriteStampedEntry(DateTime stamp, std::string_view message, bool history) {
  AppendToLogBox(LogEntryText(stamp, message));
  if (history) AppendToHistory(LogEntryText(stamp, KeptMessage(message)));
}

// The time page is read outside the turn, so a slow page holds up the entries after it only while
// they wait for their own turn; the log box and korvan.log get each entry in the same order.
Text WriteEntry(std::uint64_t turn, std::string_view message, bool history) {
  const DateTime stamp = FetchNetworkTime();
  const EntryTurn hold(LogOrder(), turn, kTurnLimit);
  WriteStampedEntry(stamp, message, history);
  return DateTimeToText(stamp);
}

}  // namespace

Text AppendLog(std::string_view message) { return AppendRunLog(message, ReadAdvancedSettings().history); }

Text AppendRunLog(std::string_view message, bool history) {
  const std::uint64_t turn = LogOrder().Take();
  if (!OnWindowThread()) return WriteEntry(turn, message, history);
  // The window's thread never waits for the time page: a thread of its own stamps the entry.
  if (StartThread([turn, message = Text(message), history] { WriteEntry(turn, message, history); })) return {};
  // No thread to be had: written at once, out of turn, rather than waiting for one on this thread.
  WriteStampedEntry(FetchNetworkTime(), message, history);
  LogOrder().Done(turn);
  return {};
}

}  // namespace korvan
