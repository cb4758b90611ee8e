// The main window: built from the form table, its procedure only dispatches messages to the bound
// handlers and carries out the work other threads hand it (app/window_thread.h).
#pragma once

#include <windows.h>

#include <memory>
#include <optional>

#include "app/controls/controls.h"
#include "app/controls/window_scale.h"
#include "app/form/form.h"
#include "platform/win32/handles.h"

namespace korvan {

inline constexpr wchar_t kMainWindowClass[] = L"KorvanMainWindow";

class MainWindow final {
 public:
  MainWindow() = default;
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Registers the class, creates the window centred on the screen and shows it.
  bool Create(HINSTANCE instance, int showCommand);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void BuildForm();
  HWND CreateChild(const ControlSpec& spec);
  std::unique_ptr<Control> CreateControl(const ControlSpec& spec);
  void StartControls();
  void ActivateBrowserViews();
  void OnCommand(int id, int code);
  void OnTimer(UINT_PTR id);
  LRESULT OnControlColour(HDC dc, HWND control);
  bool OnSetCursor(HWND control);
  void OnDestroy();
  // The form entry of one of this window's child controls.
  std::optional<FormControl> ChildControl(HWND child) const;
  // Form pixels (laid out at 96 DPI) in this screen's pixels.
  int Scaled(int formPixels) const { return ScaledToDpi(formPixels, dpi_); }

  HWND window_ = nullptr;
  int dpi_ = 96;
  HFONT guiFont_ = nullptr;
  UniqueFont scaledFont_;
  UniqueFont linkFont_;
};

}  // namespace korvan
