#include "app/restart/restart_script.h"

#include "runtime/datetime/numbers.h"

namespace korvan {

namespace {

// "秒数" and "<文件名>" in code page 936.
constexpr std::string_view kDelayPlaceholder = "\xC3\xEB\xCA\xFD";
constexpr std::string_view kFileNamePlaceholder = "<\xCE\xC4\xBC\xFE\xC3\xFB>";

constexpr std::string_view kRestartScriptTemplate =
    "@echo off \r\n"
    "@ping 127.0.0.1 -n \xC3\xEB\xCA\xFD >nul\r\n"
    "start \"\" \"<\xCE\xC4\xBC\xFE\xC3\xFB>\"\r\n"
    "del Restart.bat";

}  // namespace

int RestartDelay(std::optional<int> delay) { return delay.value_or(0) < 1 ? 2 : *delay; }

Text RestartScriptText(std::string_view shortFileName, std::optional<int> delay) {
  // The delay goes in first: a program file whose name holds the delay placeholder would otherwise
  // have its own name rewritten.
  const Text withDelay = ReplaceText(kRestartScriptTemplate, kDelayPlaceholder,
                                     ToText(static_cast<std::int32_t>(RestartDelay(delay))), 1, 1, true);
  return ReplaceText(withDelay, kFileNamePlaceholder, shortFileName, 1, 1, true);
}

}  // namespace korvan
