// INI items through the platform's private-profile functions (code page 936 texts, ANSI calls).
#pragma once

#include <optional>
#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

// Leading bytes up to 0x20 are skipped in file, section and key; when any of them is then empty the
// result is the empty text, even with a default. At most 10239 bytes of a value come back.
Text ReadIniItem(std::string_view file,
                 std::string_view section,
                 std::string_view key,
                 std::optional<std::string_view> defaultValue = std::nullopt);

// key omitted deletes the whole section; value omitted deletes the key; an empty value writes the
// key with an empty value. True when the platform reports success.
bool WriteIniItem(std::string_view file,
                  std::string_view section,
                  std::optional<std::string_view> key = std::nullopt,
                  std::optional<std::string_view> value = std::nullopt);

}  // namespace korvan
