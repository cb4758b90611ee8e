#include "app/form/form_controls.h"
#include "app/form/append_log.h"
#include "app/window_thread/window_thread.h"

namespace korvan {

void AppendToLogBox(std::string_view text) {
  RunOnWindowThread([text] {
    if (auto* log = MainFormControls().Find<EditBox>(FormControl::LogBox)) log->Append(text);
  });
}

}  // namespace korvan
