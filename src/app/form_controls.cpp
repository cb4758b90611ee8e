#include "app/form_controls.h"

namespace korvan {

FormControls& MainFormControls() {
  static FormControls controls;
  return controls;
}

}  // namespace korvan
