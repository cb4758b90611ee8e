// The settings file beside the program, and the two entry points the window calls.
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

// Run by the window's created handler: true when a user name is stored and the boxes were filled.
bool LoadConfiguration(FormBoxes& boxes);

// Handler of 按钮_保存: saves the boxes and reports the outcome with AppendLog.
void OnSaveClicked(FormBoxes& boxes);

}  // namespace korvan
