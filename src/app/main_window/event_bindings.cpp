#include "app/main_window/event_bindings.h"

#include "app/main_window/handlers.h"
#include "app/main_window/monitor_schedule.h"

namespace korvan {

// No other event of any control has a handler. The window's own created event runs
// OnMainWindowCreated once, after the window is on screen.
std::span<const EventBinding> MainWindowEventBindings() {
  using C = FormControl;
  using E = ControlEvent;
  static constexpr EventBinding kBindings[] = {
      {C::SaveButton, E::Clicked, OnSaveClicked},
      {C::SignupLink, E::Clicked, OnSignupLinkClicked},
      {C::RenewHoursBox, E::ContentChanged, OnRenewHoursChanged},
      {C::RestartHoursBox, E::ContentChanged, OnRestartHoursChanged},
      {C::RenewTimer, E::Tick, OnRenewTick},
      {C::RestartTimer, E::Tick, OnRestartTick},
      {C::StatusTimer, E::Tick, OnStatusTick},
      {C::SiteView, E::Ready, OnSiteViewReady},
  };
  return kBindings;
}

}  // namespace korvan
