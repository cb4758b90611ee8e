#include "config/ini_config_store.h"

#include "runtime/system/ini_file.h"
#include "runtime/system/program_location.h"

namespace korvan {

Text ConfigFilePath() { return JoinTexts(RunDirectory(), "\\", kConfigFileName); }

Text IniConfigStore::Read(std::string_view section, std::string_view key) {
  return ReadIniItem(ConfigFilePath(), section, key);
}

bool IniConfigStore::Write(std::string_view section, std::string_view key, std::string_view value) {
  return WriteIniItem(ConfigFilePath(), section, key, value);
}

}  // namespace korvan
