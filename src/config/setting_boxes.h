// The four boxes that hold the settings, as the configuration sees them. The window provides the
// real ones; tests provide fakes.
#pragma once

#include <string_view>

#include "runtime/text/text.h"

namespace korvan {

enum class Setting { UserName, Password, RenewHours, RestartHours };

class SettingBoxes {
 public:
  virtual ~SettingBoxes() = default;
  // The box's content as code page 936 text.
  virtual Text Read(Setting setting) = 0;
  // Sets the content and raises the box's content-changed handler once, also for an unchanged text.
  virtual void Set(Setting setting, std::string_view text) = 0;
};

}  // namespace korvan
