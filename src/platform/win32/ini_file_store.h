// An INI file through the private-profile functions (code page 936). Windows only.
#pragma once

#include <string_view>

#include "config/ini_store.h"

namespace korvan {

class IniFileStore final : public IniStore {
 public:
  explicit IniFileStore(Text path);
  Text Read(std::string_view section, std::string_view key) override;
  bool Write(std::string_view section, std::string_view key, std::string_view value) override;

 private:
  Text path_;
};

}  // namespace korvan
