// The main window: built from the form table, its procedure only dispatches messages to the bound
// handlers. It also serves the setting boxes to the configuration and, through private messages,
// the box reads and log appends of other threads (main_window_access.h).
#pragma once

#include <windows.h>

#include <array>
#include <memory>

#include "app/browser_view.h"
#include "app/controls.h"
#include "app/form.h"
#include "app/win32_controls.h"
#include "config/form_boxes.h"

namespace korvan {

inline constexpr wchar_t kMainWindowClass[] = L"KorvanMainWindow";

// Private messages, carried out on the window's thread.
inline constexpr UINT kCreatedMessage = WM_APP + 1;     // runs OnMainWindowCreated once
inline constexpr UINT kReadBoxMessage = WM_APP + 2;     // wParam: FormBox, lParam: Text* receiving the content
inline constexpr UINT kAppendLogMessage = WM_APP + 3;   // lParam: const std::string_view* to append
inline constexpr UINT kEmbedBrowsersMessage = WM_APP + 4;  // creates the two browser controls

// The main window of this process, null before it is created and after it is destroyed.
HWND MainWindowHandle();

class MainWindow final : public FormBoxes {
 public:
  MainWindow() = default;
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Registers the class, creates the window centred on the screen and shows it.
  bool Create(HINSTANCE instance, int showCommand);

  Text ReadBox(FormBox box) override;
  void SetBox(FormBox box, std::string_view text) override;

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
  EditBox* Box(FormBox box);
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
