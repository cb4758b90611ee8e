#include "app/main_window/form_controls.h"
#include "app/main_window/append_log.h"
#include "app/window_thread.h"

namespace korvan {

void AppendToLogBox(std::string_view text) {
  RunOnWindowThread([text] {
    if (auto* log = MainFormControls().Find<EditBox>(FormControl::LogBox)) log->Append(text);
  });
}

}  // namespace korvan
