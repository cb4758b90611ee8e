#include "config/ini_config_store.h"

#include "renewal/append_log.h"
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

bool LoadConfiguration(FormBoxes& boxes) {
  IniConfigStore store;
  return LoadConfiguration(store, boxes);
}

void OnSaveClicked(FormBoxes& boxes) {
  IniConfigStore store;
  SaveConfiguration(store, boxes, [](std::string_view message) { AppendLog(message); });
}

}  // namespace korvan
