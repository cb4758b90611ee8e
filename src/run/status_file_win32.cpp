#include "run/status_file.h"

#include <utility>

#include "runtime/system/ini_file.h"
#include "runtime/system/program_location.h"

namespace korvan {

Text StatusFilePath() { return JoinTexts(RunDirectory(), "\\", kStatusFileName); }

IniStatusStore::IniStatusStore(Text path) : path_(std::move(path)) {}

Text IniStatusStore::Read(std::string_view section, std::string_view key) { return ReadIniItem(path_, section, key); }

bool IniStatusStore::Write(std::string_view section, std::string_view key, std::string_view value) {
  return WriteIniItem(path_, section, key, value);
}

}  // namespace korvan
