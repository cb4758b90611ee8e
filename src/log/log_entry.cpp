#include "log/log_entry.h"

namespace korvan {

Text LogEntryText(DateTime stamp, std::string_view message) {
  return JoinTexts(DateTimeToText(stamp), "\r\n", message, "\r\n");
}

}  // namespace korvan
