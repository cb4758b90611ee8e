#include "platform/win32/ini_file_store.h"

#include <utility>

#include "platform/win32/ini_file.h"

namespace korvan {

IniFileStore::IniFileStore(Text path) : path_(std::move(path)) {}

Text IniFileStore::Read(std::string_view section, std::string_view key) { return ReadIniItem(path_, section, key); }

bool IniFileStore::Write(std::string_view section, std::string_view key, std::string_view value) {
  return WriteIniItem(path_, section, key, value);
}

}  // namespace korvan
