// AppendLog, the one writer of the log box 编辑框_jl.
#pragma once

#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// Stamps the message with the network time and appends the entry at the end of the log box, and to
// korvan.log when the run record is on at this moment. Safe from any thread; entries land in the
// order of the calls. Off the window's thread it blocks for one time-page request and gives the
// entry's stamp text; on it, the entry is stamped and written by a thread of its own and the empty
// text is given, so the window never waits for the time page.
Text AppendLog(std::string_view message);

// AppendLog with the run record's switch as a run read it at its start.
Text AppendRunLog(std::string_view message, bool history);

// Appends the text at the end of the log box and scrolls it into view, on the window's thread;
// nothing when the window is gone.
void AppendToLogBox(std::string_view text);

}  // namespace korvan
