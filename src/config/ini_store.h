// Where items of an INI file are kept: korvan.ini and korvan-status.ini alike. A missing file,
// section or key reads as the empty text.
#pragma once

#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

class IniStore {
 public:
  virtual ~IniStore() = default;
  virtual Text Read(std::string_view section, std::string_view key) = 0;
  virtual bool Write(std::string_view section, std::string_view key, std::string_view value) = 0;
};

}  // namespace korvan
