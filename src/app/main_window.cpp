#include "app/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>

#include "app/form_controls.h"
#include "app/main_window/configuration.h"
#include "app/main_window/handlers.h"
#include "app/monitor_schedule.h"
#include "resources/resource_ids.h"
#include "runtime/system/wide_text.h"

namespace korvan {
namespace {

std::atomic<HWND>& MainWindowSlot() {
  static std::atomic<HWND> window{nullptr};
  return window;
}

constexpr std::size_t Index(FormControl control) { return static_cast<std::size_t>(control); }

// The screen's DPI: the process is system DPI aware (manifest), so this is the scale of every
// window it creates.
int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

void OpenHyperlinkTarget(const ControlSpec& link) {
  ShellExecuteA(nullptr, "open", link.target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

HWND MainWindowHandle() { return MainWindowSlot().load(); }

MainWindow::~MainWindow() {
  if (window_) DestroyWindow(window_);
}

bool MainWindow::Create(HINSTANCE instance, int showCommand) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kProgramIcon), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kProgramIcon), IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kMainWindowClass;
  if (!RegisterClassExW(&windowClass)) return false;

  const WindowSpec spec = MainWindowSpec();
  // The form is laid out at 96 DPI; on a scaled screen every size grows with the text.
  dpi_ = ScreenDpi();
  const int width = Scaled(spec.outerWidth);
  const int height = Scaled(spec.outerHeight);
  // Centred on the screen at creation; the form's stored position is not used.
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  HWND window = CreateWindowExW(0, kMainWindowClass, AnsiToWide(spec.caption).c_str(), style, left, top,
                                width, height, nullptr, nullptr, instance, this);
  if (!window) return false;
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  return true;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MainWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      BuildForm();
      BindControls();
      MainWindowSlot().store(window_);
      // After the window is shown: the first-use message box then has the window behind it.
      PostMessageW(window_, kCreatedMessage, 0, 0);
      return 0;
    case kCreatedMessage:
      // The window is on screen by now; embedding the two browser controls is the slowest part of
      // start-up, so it waits until here.
      for (auto& browser : browsers_) {
        if (browser) browser->Activate();
      }
      OnMainWindowCreated();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_CTLCOLORSTATIC:
      return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == children_[Index(FormControl::SignupLink)]) {
        SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649) /* IDC_HAND */));
        return TRUE;
      }
      break;
    case kRunOnWindowThreadMessage:
      (*reinterpret_cast<const std::function<void()>*>(lParam))();
      return 1;
    case WM_DESTROY:
      OnDestroy();
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      window_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

HWND MainWindow::CreateChild(const ControlSpec& spec) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
  const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(spec.control)));
  const std::wstring text = AnsiToWide(spec.text);
  DWORD style = WS_CHILD | WS_VISIBLE;
  DWORD exStyle = 0;
  const wchar_t* className = L"STATIC";
  switch (spec.kind) {
    case ControlKind::EditBox:
      className = L"EDIT";
      exStyle = WS_EX_CLIENTEDGE;
      style |= WS_TABSTOP;
      if (spec.flags & kMultiLine) {
        // No scroll bars; ES_AUTOVSCROLL only lets new lines go below the visible ones.
        style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
      } else {
        style |= ES_AUTOHSCROLL;
      }
      if (spec.flags & kPasswordEntry) style |= ES_PASSWORD;
      break;
    case ControlKind::Button:
      className = L"BUTTON";
      style |= WS_TABSTOP | BS_PUSHBUTTON;
      break;
    case ControlKind::Hyperlink:
      style |= SS_NOTIFY;
      break;
    case ControlKind::TransparentLabel:
      exStyle = WS_EX_TRANSPARENT;
      break;
    case ControlKind::Label:
    case ControlKind::Timer:
    case ControlKind::HtmlViewer:
      break;
  }
  HWND child = CreateWindowExW(exStyle, className, text.c_str(), style, Scaled(spec.left), Scaled(spec.top),
                               Scaled(spec.width), Scaled(spec.height), window_, id, instance, nullptr);
  if (!child) return nullptr;
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont_), FALSE);
  if (spec.kind == ControlKind::EditBox) {
    if (spec.flags & kMultiLine) {
      // The default limit of 30,000 characters would silently drop log entries after a while.
      SendMessageW(child, EM_SETLIMITTEXT, 0, 0);
    }
    if (spec.flags & kPasswordEntry) SendMessageW(child, EM_SETPASSWORDCHAR, L'*', 0);
    if (spec.flags & kIntegerEntry) MakeIntegerEntry(child);
  }
  if (spec.kind == ControlKind::Hyperlink) {
    if (linkFont_.font) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.font), FALSE);
  }
  return child;
}

void MainWindow::BuildForm() {
  guiFont_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  LOGFONTW logFont{};
  if (GetObjectW(guiFont_, sizeof(logFont), &logFont)) {
    // The form's text grows with the form, drawn at the new size rather than stretched. Windows
    // keeps the stock GUI font at its 96-DPI height (11 or 12 pixels); Wine already creates it at
    // the screen's DPI, and a font that large is left as it is.
    if (dpi_ != 96 && std::abs(logFont.lfHeight) < Scaled(11)) {
      logFont.lfHeight = Scaled(logFont.lfHeight);
      scaledFont_.font = CreateFontIndirectW(&logFont);
      if (scaledFont_.font) guiFont_ = scaledFont_.font;
    }
    logFont.lfUnderline = TRUE;
    linkFont_.font = CreateFontIndirectW(&logFont);
  }
  SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont_), FALSE);

  for (const ControlSpec& spec : MainForm()) {
    const std::size_t index = Index(spec.control);
    switch (spec.kind) {
      case ControlKind::Timer: {
        timerControls_[index] = std::make_unique<Win32TimerControl>(window_, ControlId(spec.control));
        timers_[index] = std::make_unique<Timer>(*timerControls_[index]);
        break;
      }
      case ControlKind::HtmlViewer: {
        BrowserViewSettings settings;
        settings.rect = {Scaled(spec.left), Scaled(spec.top), Scaled(spec.left + spec.width),
                         Scaled(spec.top + spec.height)};
        settings.silent = (spec.flags & kSilent) != 0;
        settings.offline = (spec.flags & kOffline) != 0;
        if (spec.control == FormControl::SiteView) settings.onDocumentComplete = OnSiteViewReady;
        browsers_[index] = std::make_unique<BrowserView>(window_, std::move(settings));
        htmlViews_[index] = std::make_unique<HtmlView>(*browsers_[index]);
        break;
      }
      default:
        children_[index] = CreateChild(spec);
        break;
    }
  }
  HWND status = children_[Index(FormControl::StatusLabel)];
  statusLabelControl_ = std::make_unique<Win32LabelControl>(status, true);
  statusLabel_ = std::make_unique<Label>(*statusLabelControl_);
  for (FormControl box : {FormControl::UserBox, FormControl::PasswordBox, FormControl::RenewHoursBox,
                          FormControl::RestartHoursBox, FormControl::LogBox}) {
    editControls_[Index(box)] = std::make_unique<Win32EditBoxControl>(children_[Index(box)]);
    editBoxes_[Index(box)] = std::make_unique<EditBox>(*editControls_[Index(box)]);
  }
}

void MainWindow::BindControls() {
  FormControls& form = MainFormControls();
  form.userBox = editBoxes_[Index(FormControl::UserBox)].get();
  form.passwordBox = editBoxes_[Index(FormControl::PasswordBox)].get();
  form.renewHoursBox = editBoxes_[Index(FormControl::RenewHoursBox)].get();
  form.restartHoursBox = editBoxes_[Index(FormControl::RestartHoursBox)].get();
  form.logBox = editBoxes_[Index(FormControl::LogBox)].get();
  form.renewTimer = timers_[Index(FormControl::RenewTimer)].get();
  form.restartTimer = timers_[Index(FormControl::RestartTimer)].get();
  form.statusTimer = timers_[Index(FormControl::StatusTimer)].get();
  form.statusLabel = statusLabel_.get();
  form.noticeView = htmlViews_[Index(FormControl::NoticeView)].get();
  form.siteView = htmlViews_[Index(FormControl::SiteView)].get();

  // The event bindings; no other event has a handler.
  form.renewHoursBox->SetChangedHandler(OnRenewHoursChanged);
  form.restartHoursBox->SetChangedHandler(OnRestartHoursChanged);
  form.renewTimer->SetTickHandler(OnRenewTick);
  form.restartTimer->SetTickHandler(OnRestartTick);
  form.statusTimer->SetTickHandler(OnStatusTick);

  // Timers armed in the form start with the window; viewers begin loading their addresses.
  for (const ControlSpec& spec : MainForm()) {
    if (spec.kind == ControlKind::Timer) timers_[Index(spec.control)]->SetInterval(spec.interval);
    if (spec.kind == ControlKind::HtmlViewer) htmlViews_[Index(spec.control)]->SetAddress(spec.text);
  }
}

void MainWindow::OnCommand(int id, int code) {
  const int index = id - kFirstControlId;
  if (index < 0 || index >= kFormControlCount) return;
  const auto control = static_cast<FormControl>(index);
  if (code == EN_CHANGE && editBoxes_[Index(control)]) {
    editBoxes_[Index(control)]->ControlChanged();
  } else if (control == FormControl::SaveButton && code == BN_CLICKED) {
    OnSaveClicked();
  } else if (control == FormControl::SignupLink && code == STN_CLICKED) {
    OpenHyperlinkTarget(FormControlSpec(control));
  }
}

void MainWindow::OnTimer(UINT_PTR id) {
  const auto index = static_cast<int>(id) - kFirstControlId;
  if (index < 0 || index >= kFormControlCount) return;
  if (auto& timer = timers_[static_cast<std::size_t>(index)]) timer->ControlTicked();
}

// Without a skin the transparent label still has to let the window show through.
LRESULT MainWindow::OnControlColour(HDC dc, HWND control) {
  if (control == children_[Index(FormControl::StatusLabel)]) {
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  }
  return DefWindowProcW(window_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
}

void MainWindow::OnDestroy() {
  MainWindowSlot().store(nullptr);
  MainFormControls() = FormControls{};
  for (auto& browser : browsers_) {
    if (browser) browser->Close();
  }
  for (auto& timer : timerControls_) {
    if (timer) timer->Stop();
  }
}

}  // namespace korvan
