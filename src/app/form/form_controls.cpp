#include "app/form/form_controls.h"

namespace korvan {

FormControls& MainFormControls() {
  static FormControls controls;
  return controls;
}

bool BindEvents(const FormControls& controls, std::span<const EventBinding> bindings) {
  bool allBound = true;
  for (const EventBinding& binding : bindings) {
    bool bound = false;
    switch (binding.event) {
      case ControlEvent::Clicked:
        if (auto* button = controls.Find<Button>(binding.control)) {
          button->SetClickedHandler(binding.handler);
          bound = true;
        }
        break;
      case ControlEvent::ContentChanged:
        if (auto* box = controls.Find<EditBox>(binding.control)) {
          box->SetChangedHandler(binding.handler);
          bound = true;
        }
        break;
      case ControlEvent::Tick:
        if (auto* timer = controls.Find<Timer>(binding.control)) {
          timer->SetTickHandler(binding.handler);
          bound = true;
        }
        break;
      case ControlEvent::Ready:
        if (auto* view = controls.Find<HtmlView>(binding.control)) {
          view->SetReadyHandler(binding.handler);
          bound = true;
        }
        break;
    }
    allBound = allBound && bound;
  }
  return allBound;
}

}  // namespace korvan
