#include "cli/terminal_text.h"

#include "runtime/text/encoding.h"

namespace korvan {

// The line ends go first: the text operations step by code page 936 characters, not UTF-8 ones.
Text TerminalText(std::string_view text) { return AnsiToUtf8(ReplaceText(text, "\r\n", "\n")); }

}  // namespace korvan
