#pragma once

#include <optional>
#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// The ping count the restart batch file waits with: omitted or below 1 gives 2.
int RestartDelay(std::optional<int> delay);

// The four lines of "Restart.bat", joined by CR LF, no line break after the last.
Text RestartScriptText(std::string_view shortFileName, std::optional<int> delay = std::nullopt);

}  // namespace korvan
