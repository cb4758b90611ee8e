// The platform faces of the control layer on real Win32 controls. Texts cross as code page 936,
// converted explicitly at the wide calls so Chinese is right on any system code page.
#pragma once

#include <windows.h>

#include "app/controls/controls.h"

namespace korvan {

// An EDIT control; WriteText's own EN_CHANGE (if the control sends one) is swallowed by EditBox.
class Win32EditBoxPlatform final : public EditBoxPlatform {
 public:
  explicit Win32EditBoxPlatform(HWND edit) : edit_(edit) {}
  Text ReadText() const override;
  void WriteText(std::string_view text) override;
  void AppendText(std::string_view text) override;

 private:
  HWND edit_;
};

// A window timer of the owner window, identified by its timer id.
class Win32TimerPlatform final : public TimerPlatform {
 public:
  Win32TimerPlatform(HWND owner, UINT_PTR id) : owner_(owner), id_(id) {}
  void Start(std::uint32_t milliseconds) override;
  void Stop() override;
  std::int64_t Now() const override;

 private:
  HWND owner_;
  UINT_PTR id_;
};

// A STATIC control. A transparent one has nothing of its own behind the text, so a new caption
// asks the parent to repaint that spot first; otherwise the old text would show through.
class Win32LabelPlatform final : public LabelPlatform {
 public:
  Win32LabelPlatform(HWND label, bool transparent) : label_(label), transparent_(transparent) {}
  Text ReadCaption() const override;
  void WriteCaption(std::string_view caption) override;

 private:
  HWND label_;
  bool transparent_;
};

// Lets only "-" and "0".."9" (and control characters such as Backspace) into an EDIT control,
// typed or pasted; a paste keeps those characters of the clipboard text and drops the rest.
void MakeIntegerEntry(HWND edit);

// The text of any window as code page 936.
Text ReadWindowText(HWND window);

}  // namespace korvan
