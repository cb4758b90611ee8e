// Where a command-line run's texts go: its entries and answers on standard output, what stops it on
// standard error, both given as UTF-8. platform/posix writes the bytes; platform/win32 shows them in
// a console whatever its code page, and writes the bytes to a file or a pipe. (standard_streams.cpp)
#pragma once

#include <string_view>

namespace korvan {

void WriteStandardOutput(std::string_view utf8);
void WriteStandardError(std::string_view utf8);

// Standard output is the journal (systemd's $JOURNAL_STREAM names its device and inode); never on
// Windows.
bool StandardOutputIsJournal();

}  // namespace korvan
