// The four setting boxes of the main window as the configuration sees them. The window provides the
// real one; tests provide a fake.
#pragma once

#include <string_view>

#include "app/main_window_access.h"
#include "runtime/text/text.h"

namespace korvan {

class FormBoxes {
 public:
  virtual ~FormBoxes() = default;
  // The box's content as code page 936 text.
  virtual Text ReadBox(FormBox box) = 0;
  // Sets the content and raises the box's content-changed handler once, also for an unchanged text.
  virtual void SetBox(FormBox box, std::string_view text) = 0;
};

}  // namespace korvan
