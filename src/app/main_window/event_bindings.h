// The main window's event-binding table: which handler runs for which event of which control.
#pragma once

#include <span>

#include "app/form/form_controls.h"

namespace korvan {

std::span<const EventBinding> MainWindowEventBindings();

}  // namespace korvan
