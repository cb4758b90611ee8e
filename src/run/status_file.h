// The run record's file "korvan-status.ini" in the run directory. Windows only.
#pragma once

#include <string_view>

#include "run/run_record.h"

namespace korvan {

// The run directory followed by "\korvan-status.ini".
Text StatusFilePath();

// Items of one INI file through the private-profile functions (code page 936).
class IniStatusStore final : public StatusStore {
 public:
  explicit IniStatusStore(Text path = StatusFilePath());
  Text Read(std::string_view section, std::string_view key) override;
  bool Write(std::string_view section, std::string_view key, std::string_view value) override;

 private:
  Text path_;
};

}  // namespace korvan
