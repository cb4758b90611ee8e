// An HTML viewer in the main window: the system's WebBrowser control in a minimal OLE container.
// When the control cannot be created (no browser engine, as under Wine without Gecko) the view
// stays empty and navigating it does nothing; the program runs on regardless.
#pragma once

#include "runtime/text/text.h"

#include <windows.h>

#include <functional>
#include <memory>

#include "app/controls/controls.h"

namespace korvan {

struct BrowserViewSettings {
  RECT rect{};           // in the parent's client area
  bool silent = true;    // no dialogs of its own
  bool offline = false;  // pages from the local cache when present
  std::function<void()> onDocumentComplete;
};

// The browser control itself is created by Activate, so a window can show itself first: embedding
// the control is the slowest step of start-up. An address written before that is kept and loaded
// on activation.
class BrowserView final : public HtmlViewPlatform {
 public:
  BrowserView(HWND parent, BrowserViewSettings settings);
  ~BrowserView() override;
  BrowserView(const BrowserView&) = delete;
  BrowserView& operator=(const BrowserView&) = delete;

  // Creates and places the control; false when the system has no browser control.
  bool Activate();
  bool Created() const;
  void Navigate(std::string_view address) override;
  // Closes the control; called when the parent window is being destroyed.
  void Close();

 private:
  class Host;
  std::unique_ptr<Host> host_;
  Text pendingAddress_;
};

}  // namespace korvan
