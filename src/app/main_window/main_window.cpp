#include "app/main_window/main_window.h"

#include <commctrl.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>

#include "app/controls/browser_view.h"
#include "app/form/form_controls.h"
#include "app/window_thread/window_thread.h"
#include "app/main_window/event_bindings.h"
#include "app/main_window/handlers.h"
#include "app/main_window/system_menu.h"
#include "app/worker/planned_runs.h"
#include "app/controls/win32_controls.h"
#include "app/controls/window_scale.h"
#include "resources/resource_ids.h"
#include "platform/win32/wide_text.h"

namespace korvan {
namespace {

std::optional<FormControl> FormControlOfId(int id) {
  const int index = id - kFirstControlId;
  if (index < 0 || index >= kFormControlCount) return std::nullopt;
  return static_cast<FormControl>(index);
}

}  // namespace

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
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
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
  HWND window = CreateWindowExW(0, kMainWindowClass, AnsiToWide(spec.caption).c_str(), style, left, top, width, height,
                                nullptr, nullptr, instance, this);
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
      BindEvents(MainFormControls(), MainWindowEventBindings());
      AddSystemMenuCommands(window_, MainWindowSystemMenu());
      StartControls();
      SetMainWindowHandle(window_);
      // After the window is shown: the first-use message box then has the window behind it.
      PostMessageW(window_, kCreatedMessage, 0, 0);
      return 0;
    case kCreatedMessage:
      // Embedding the two browser controls is the slowest part of start-up and may dispatch
      // messages, a status tick among them: it comes after the created handler has configured the
      // window, as the next message (inside the first-use message box's loop when there is one).
      PostMessageW(window_, kEmbedBrowsersMessage, 0, 0);
      OnMainWindowCreated();
      return 0;
    case kEmbedBrowsersMessage: ActivateBrowserViews(); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_TIMER: OnTimer(wParam); return 0;
    case WM_SYSCOMMAND:
      if (RunSystemMenuCommand(MainWindowSystemMenu(), wParam)) return 0;
      break;
    case WM_CTLCOLORSTATIC: return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SETCURSOR:
      if (OnSetCursor(reinterpret_cast<HWND>(wParam))) return TRUE;
      break;
    case kRunOnWindowThreadMessage:
    case kRunPostedWorkMessage: return RunCarriedWork(message, lParam);
    case WM_DESTROY:
      OnDestroy();
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY: window_ = nullptr; break;
    default: break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

HWND MainWindow::CreateChild(const ControlSpec& spec) {
  ChildWindow child{.text = AnsiToWide(spec.text),
                    .id = ControlId(spec.control),
                    .left = spec.left,
                    .top = spec.top,
                    .width = spec.width,
                    .height = spec.height};
  const wchar_t*& className = child.className;
  DWORD& style = child.style;
  DWORD& exStyle = child.exStyle;
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
    case ControlKind::Hyperlink: style |= SS_NOTIFY; break;
    case ControlKind::TransparentLabel: exStyle = WS_EX_TRANSPARENT; break;
    case ControlKind::Label:
    case ControlKind::Timer:
    case ControlKind::HtmlViewer: break;
  }
  HWND window = CreateChildWindow(window_, child, dpi_, guiFont_);
  if (!window) return nullptr;
  if (spec.kind == ControlKind::EditBox) {
    if (spec.flags & kMultiLine) {
      // The default limit of 30,000 characters would silently drop log entries after a while.
      SendMessageW(window, EM_SETLIMITTEXT, 0, 0);
    }
    if (spec.flags & kPasswordEntry) SendMessageW(window, EM_SETPASSWORDCHAR, L'*', 0);
    if (spec.flags & kIntegerEntry) MakeIntegerEntry(window);
  }
  if (spec.kind == ControlKind::Hyperlink) {
    if (linkFont_) SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.Get()), FALSE);
  }
  return window;
}

void MainWindow::BuildForm() {
  // The form's text grows with the form.
  guiFont_ = ScaledGuiFont(dpi_, scaledFont_);
  LOGFONTW logFont{};
  if (GetObjectW(guiFont_, sizeof(logFont), &logFont)) {
    logFont.lfUnderline = TRUE;
    linkFont_.Reset(CreateFontIndirectW(&logFont));
  }
  SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(guiFont_), FALSE);

  FormControls& form = MainFormControls();
  for (const ControlSpec& spec : MainForm())
    form.Add(spec.control, CreateControl(spec));
}

std::unique_ptr<Control> MainWindow::CreateControl(const ControlSpec& spec) {
  switch (spec.kind) {
    case ControlKind::Timer:
      return std::make_unique<Timer>(std::make_unique<Win32TimerPlatform>(window_, ControlId(spec.control)));
    case ControlKind::HtmlViewer: {
      BrowserViewSettings settings;
      settings.rect = {Scaled(spec.left), Scaled(spec.top), Scaled(spec.left + spec.width),
                       Scaled(spec.top + spec.height)};
      settings.silent = (spec.flags & kSilent) != 0;
      settings.offline = (spec.flags & kOffline) != 0;
      settings.onDocumentComplete = [id = spec.control] {
        if (auto* view = MainFormControls().Find<HtmlView>(id)) view->ControlReady();
      };
      return std::make_unique<HtmlView>(std::make_unique<BrowserView>(window_, std::move(settings)));
    }
    case ControlKind::EditBox:
      return std::make_unique<EditBox>(std::make_unique<Win32EditBoxPlatform>(CreateChild(spec)));
    case ControlKind::Label:
    case ControlKind::TransparentLabel:
      return std::make_unique<Label>(
          std::make_unique<Win32LabelPlatform>(CreateChild(spec), spec.kind == ControlKind::TransparentLabel));
    case ControlKind::Button: CreateChild(spec); return std::make_unique<Button>();
    case ControlKind::Hyperlink: CreateChild(spec); return std::make_unique<Hyperlink>(spec.target);
  }
  return nullptr;
}

// Timers armed in the form start with the window; viewers begin loading their addresses.
void MainWindow::StartControls() {
  const FormControls& form = MainFormControls();
  for (const ControlSpec& spec : MainForm()) {
    if (auto* timer = form.Find<Timer>(spec.control)) timer->SetInterval(spec.interval);
    if (auto* view = form.Find<HtmlView>(spec.control)) view->SetAddress(spec.text);
  }
}

void MainWindow::ActivateBrowserViews() {
  const FormControls& form = MainFormControls();
  for (const ControlSpec& spec : MainForm()) {
    const auto* view = form.Find<HtmlView>(spec.control);
    if (auto* browser = view ? dynamic_cast<BrowserView*>(&view->Platform()) : nullptr) browser->Activate();
  }
}

std::optional<FormControl> MainWindow::ChildControl(HWND child) const {
  if (!child || GetParent(child) != window_) return std::nullopt;
  return FormControlOfId(GetDlgCtrlID(child));
}

// Notifications by the kind of control they come from; the bound handlers do the rest.
void MainWindow::OnCommand(int id, int code) {
  const std::optional<FormControl> control = FormControlOfId(id);
  if (!control) return;
  const FormControls& form = MainFormControls();
  if (code == EN_CHANGE) {
    if (auto* box = form.Find<EditBox>(*control)) box->ControlChanged();
  } else if (code == BN_CLICKED) {  // also STN_CLICKED of the hyperlink
    if (auto* button = form.Find<Button>(*control)) button->ControlClicked();
  }
}

void MainWindow::OnTimer(UINT_PTR id) {
  if (id == kPlannedRunTimerId) {
    OnPlannedRunTick();
    return;
  }
  const std::optional<FormControl> control = FormControlOfId(static_cast<int>(id));
  if (!control) return;
  if (auto* timer = MainFormControls().Find<Timer>(*control)) timer->ControlTicked();
}

// Without a skin the transparent label still has to let the window show through.
LRESULT MainWindow::OnControlColour(HDC dc, HWND control) {
  const std::optional<FormControl> child = ChildControl(control);
  if (child && FormControlSpec(*child).kind == ControlKind::TransparentLabel) {
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  }
  return DefWindowProcW(window_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
}

// A hyperlink shows the hand.
bool MainWindow::OnSetCursor(HWND control) {
  const std::optional<FormControl> child = ChildControl(control);
  if (!child || !MainFormControls().Find<Hyperlink>(*child)) return false;
  SetCursor(LoadCursorA(nullptr, IDC_HAND));
  return true;
}

// The timers stop first; the browser controls close as their objects go.
void MainWindow::OnDestroy() {
  SetMainWindowHandle(nullptr);
  FormControls& form = MainFormControls();
  for (const ControlSpec& spec : MainForm()) {
    if (auto* timer = form.Find<Timer>(spec.control)) timer->Platform().Stop();
  }
  form.Clear();
}

}  // namespace korvan
