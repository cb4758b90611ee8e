// The main window: built from the form table, its procedure only dispatches messages to the bound
// handlers and carries out the work other threads hand it (main_window/window_thread.h).
#pragma once

#include <windows.h>

#include <array>
#include <memory>

#include "app/browser_view.h"
#include "app/controls.h"
#include "app/form.h"
#include "app/win32_controls.h"

namespace korvan {

inline constexpr wchar_t kMainWindowClass[] = L"KorvanMainWindow";

// Private messages, carried out on the window's thread.
inline constexpr UINT kCreatedMessage = WM_APP + 1;     // runs OnMainWindowCreated once
inline constexpr UINT kRunOnWindowThreadMessage = WM_APP + 2;  // lParam: const std::function<void()>* to run

// The main window of this process, null before it is created and after it is destroyed.
HWND MainWindowHandle();

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
  void BindControls();
  void OnCommand(int id, int code);
  void OnTimer(UINT_PTR id);
  LRESULT OnControlColour(HDC dc, HWND control);
  void OnDestroy();
  // Form pixels (laid out at 96 DPI) in this screen's pixels.
  int Scaled(int formPixels) const { return MulDiv(formPixels, dpi_, 96); }

  struct GdiFont {
    HFONT font = nullptr;
    ~GdiFont() {
      if (font) DeleteObject(font);
    }
  };

  HWND window_ = nullptr;
  int dpi_ = 96;
  HFONT guiFont_ = nullptr;
  GdiFont scaledFont_;
  GdiFont linkFont_;
  std::array<HWND, kFormControlCount> children_{};
  std::array<std::unique_ptr<Win32EditBoxControl>, kFormControlCount> editControls_;
  std::array<std::unique_ptr<EditBox>, kFormControlCount> editBoxes_;
  std::array<std::unique_ptr<Win32TimerControl>, kFormControlCount> timerControls_;
  std::array<std::unique_ptr<Timer>, kFormControlCount> timers_;
  std::unique_ptr<Win32LabelControl> statusLabelControl_;
  std::unique_ptr<Label> statusLabel_;
  std::array<std::unique_ptr<BrowserView>, kFormControlCount> browsers_;
  std::array<std::unique_ptr<HtmlView>, kFormControlCount> htmlViews_;
};

}  // namespace korvan
