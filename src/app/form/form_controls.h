// The live controls of the main window, each under its identifier in the form, and the binding of
// their events to the handlers. The window builds them on Win32 controls; native tests on fakes.
// Only the window's thread touches them.
#pragma once

#include <array>
#include <memory>
#include <span>

#include "app/controls/controls.h"
#include "app/form/form.h"

namespace korvan {

// The one owner of the form's control objects.
class FormControls {
 public:
  void Add(FormControl id, std::unique_ptr<Control> control) { controls_[Index(id)] = std::move(control); }
  void Clear() {
    for (auto& control : controls_)
      control.reset();
  }

  // The control of that entry as the kind asked for; null when there is none of that kind.
  template <typename Kind>
  Kind* Find(FormControl id) const {
    return dynamic_cast<Kind*>(controls_[Index(id)].get());
  }
  // For the handlers, which run only while the form stands.
  template <typename Kind>
  Kind& Get(FormControl id) const {
    return *Find<Kind>(id);
  }

 private:
  static std::size_t Index(FormControl id) { return static_cast<std::size_t>(id); }
  std::array<std::unique_ptr<Control>, kFormControlCount> controls_;
};

FormControls& MainFormControls();

enum class ControlEvent { Clicked, ContentChanged, Tick, Ready };

// One row of the window's event-binding table: the handler takes no arguments and gives no result.
struct EventBinding {
  FormControl control;
  ControlEvent event;
  void (*handler)();
};

// Binds each row's handler to its control's event. False when a row names a control that is missing
// or of a kind without that event.
bool BindEvents(const FormControls& controls, std::span<const EventBinding> bindings);

}  // namespace korvan
