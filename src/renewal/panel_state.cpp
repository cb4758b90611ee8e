#include "renewal/panel_state.h"

#include "http/cookies.h"

namespace korvan {

void PanelCookies::Import(Text imported) {
  std::lock_guard lock(mutex_);
  if (runsUnderWay_ > 0) {
    Text runCookies = text_;
    MergeCookies(imported, runCookies);
  }
  text_ = std::move(imported);
}

PanelCookies::RunScope::RunScope(PanelCookies& cookies) : cookies_(cookies) {
  std::lock_guard lock(cookies_.mutex_);
  ++cookies_.runsUnderWay_;
}

PanelCookies::RunScope::~RunScope() {
  std::lock_guard lock(cookies_.mutex_);
  --cookies_.runsUnderWay_;
}

PanelCookies& panelCookies() {
  static PanelCookies cookies;
  return cookies;
}

std::atomic<bool>& loginOk() {
  static std::atomic<bool> value{false};
  return value;
}

}  // namespace korvan
