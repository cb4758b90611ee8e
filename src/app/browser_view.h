// An HTML viewer in the main window: the system's WebBrowser control in a minimal OLE container.
// When the control cannot be created (no browser engine, as under Wine without Gecko) the view
// stays empty and navigating it does nothing; the program runs on regardless.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "app/controls.h"

namespace korvan {

struct BrowserViewSettings {
  RECT rect{};          // in the parent's client area
  bool silent = true;   // no dialogs of its own
  bool offline = false; // pages from the local cache when present
  std::function<void()> onDocumentComplete;
};

class BrowserView final : public HtmlViewControl {
 public:
  BrowserView(HWND parent, BrowserViewSettings settings);
  ~BrowserView() override;
  BrowserView(const BrowserView&) = delete;
  BrowserView& operator=(const BrowserView&) = delete;

  bool Created() const;
  void Navigate(std::string_view address) override;
  // Closes the control; called when the parent window is being destroyed.
  void Close();

 private:
  class Host;
  std::unique_ptr<Host> host_;
};

}  // namespace korvan
