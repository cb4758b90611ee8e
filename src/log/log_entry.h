// The text of one log entry.
#pragma once

#include <string_view>

#include "runtime/datetime/datetime.h"
#include "runtime/text/text.h"

namespace korvan {

// The stamp and the message on lines of their own: stamp text, CR LF, message, CR LF.
Text LogEntryText(DateTime stamp, std::string_view message);

}  // namespace korvan
