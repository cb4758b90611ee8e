#include "renewal/panel_state.h"

namespace korvan {

PanelCookies& panelCookies() {
  static PanelCookies cookies;
  return cookies;
}

std::atomic<bool>& loginOk() {
  static std::atomic<bool> value{false};
  return value;
}

}  // namespace korvan
