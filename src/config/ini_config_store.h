// The settings file beside the program.
#pragma once

#include <string_view>

#include "config/config_file.h"

namespace korvan {

// The run directory followed by "\korvan.ini", built afresh on every call.
Text ConfigFilePath();

// Reads and writes items of ConfigFilePath() through the private-profile functions.
class IniConfigStore final : public ConfigStore {
 public:
  Text Read(std::string_view section, std::string_view key) override;
  bool Write(std::string_view section, std::string_view key, std::string_view value) override;
};

}  // namespace korvan
