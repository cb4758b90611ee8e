// window_probe.exe: reads and drives Korvan's main window from outside, for the end-to-end tests.
// Runs in the same Wine prefix as korvan.exe; every answer is one JSON object per line, UTF-8.
//
//   window_probe wait MS              wait until the main window exists
//   window_probe window               caption, outer and client size, style of the main window
//   window_probe controls             one line per child control: id, class, text, rectangle, styles
//   window_probe set-text ID TEXT     WM_SETTEXT on a control (a program-like write)
//   window_probe type ID TEXT         WM_CHAR for each character (typing)
//   window_probe retype ID TEXT       selects the whole text, then types TEXT over it
//   window_probe click ID             clicks a button (posted, so a slow handler does not block us)
//   window_probe message-box MS       waits for a message box; its caption and texts
//   window_probe dismiss              presses OK on the message box
//   window_probe dialog MS            waits for a dialog box (a message box or the settings dialog); a
//                                     line as `window` gives for it, then one per control as `controls`
//   window_probe dialog-click ID      clicks the control ID of the dialog box (posted, as `click`)
//   window_probe pixel X Y            colour at a client point of the main window, RRGGBB
//   window_probe close                asks the main window to close
//   window_probe focus                the id of the control with the keyboard focus (0: none of them)
//   window_probe keys KEY...          brings the main window to the front and presses each key as
//                                     keyboard input: tab, shift+tab, enter, space, alt+space
//   window_probe tick ID              posts the tick of timer ID to the main window, as the timer would
//   window_probe sys ID               posts WM_SYSCOMMAND ID to the main window, as its system menu would
//   window_probe system-menu          one line per item of the main window's system menu: id, text
//                                     (a separator has id 0 and no text); Windows only, as Wine keeps
//                                     menus per process and answers 1 here
// With KORVAN_PROBE_EXE set to the end of a program's path (say "\\case-1\\korvan.exe"), only the
// windows of that program count, so that cases running side by side each read their own window.
// Exit code 0 on success, 1 when the window or box was not found in time, 2 on bad arguments;
// `controls` and `dialog` give 3 when the window's thread did not answer for 20 s and 4 when the
// window went away while it was read.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kMainWindowClass[] = L"KorvanMainWindow";

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size, nullptr, nullptr);
  return out;
}

std::string Json(const std::wstring& wide) {
  std::string out = "\"";
  for (const char c : Utf8(wide)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

void Print(const std::string& line) {
  const std::string withEnd = line + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), withEnd.data(), static_cast<DWORD>(withEnd.size()), &written, nullptr);
}

std::wstring WindowText(HWND window) {
  // WM_GETTEXT by message so that texts of other processes' controls come back too; a hung
  // window gives the empty text instead of hanging the probe.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                           5000, &copied)) {
    return {};
  }
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[128] = {};
  GetClassNameW(window, name, 128);
  return name;
}

bool OfWantedProgram(DWORD processId) {
  wchar_t wanted[MAX_PATH] = {};
  const DWORD wantedLength = GetEnvironmentVariableW(L"KORVAN_PROBE_EXE", wanted, MAX_PATH);
  if (wantedLength == 0 || wantedLength >= MAX_PATH) return true;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return false;
  wchar_t path[MAX_PATH] = {};
  DWORD length = MAX_PATH;
  const BOOL named = QueryFullProcessImageNameW(process, 0, path, &length);
  CloseHandle(process);
  return named && length >= wantedLength && _wcsicmp(path + (length - wantedLength), wanted) == 0;
}

HWND WaitFor(const std::wstring& className, DWORD processId, int milliseconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
  for (;;) {
    HWND found = nullptr;
    for (HWND window = FindWindowExW(nullptr, nullptr, className.c_str(), nullptr); window;
         window = FindWindowExW(nullptr, window, className.c_str(), nullptr)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner != GetCurrentProcessId() && (processId == 0 || owner == processId) && IsWindowVisible(window) &&
          OfWantedProgram(owner)) {
        found = window;
        break;
      }
    }
    if (found || static_cast<LONG>(GetTickCount() - end) >= 0) return found;
    Sleep(100);
  }
}

HWND MainWindow(int milliseconds = 0) { return WaitFor(kMainWindowClass, 0, milliseconds); }

HWND Control(HWND main, const wchar_t* id) { return GetDlgItem(main, _wtoi(id)); }

std::string RectJson(HWND parent, HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  char out[128];
  std::snprintf(out, sizeof out, "\"left\": %ld, \"top\": %ld, \"width\": %ld, \"height\": %ld", rect.left, rect.top,
                rect.right - rect.left, rect.bottom - rect.top);
  return out;
}

// Exit code 3 when a control's thread did not answer for 20 s (a window thread that waits on
// something, or a program frozen by a crash), named as such rather than left to the caller's 30 s
// guard; a slow answer is waited for. Exit code 4 when the window went away while it was read: a
// program that ended, often by a crash, is not a window thread that does not answer.
int ListControls(HWND parent) {
  bool answered = true;
  bool gone = false;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char numbers[128];
    std::snprintf(numbers, sizeof numbers, "\"id\": %d, \"style\": %lu, \"exstyle\": %lu, \"visible\": %s",
                  GetDlgCtrlID(child), static_cast<unsigned long>(GetWindowLongW(child, GWL_STYLE)),
                  static_cast<unsigned long>(GetWindowLongW(child, GWL_EXSTYLE)),
                  IsWindowVisible(child) ? "true" : "false");
    DWORD_PTR limit = 0;
    if (answered && !SendMessageTimeoutW(child, EM_GETLIMITTEXT, 0, 0, SMTO_NORMAL, 20000, &limit)) {
      answered = false;
      gone = !IsWindow(child);
    }
    // Built by appending: GCC 12 warns falsely (-Wrestrict) on "literal" + std::string chains.
    std::string line = "{";
    line.append(numbers).append(", \"class\": ").append(Json(ClassName(child)));
    line.append(", \"text\": ")
        .append(Json(answered ? WindowText(child) : std::wstring()))
        .append(", ")
        .append(RectJson(parent, child));
    line.append(", \"limit\": ").append(std::to_string(limit)).append("}");
    Print(line);
  }
  if (!answered && (gone || !IsWindow(parent))) return 4;
  return answered ? 0 : 3;
}

int DescribeWindow(HWND window) {
  RECT outer, client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  char numbers[256];
  std::snprintf(numbers, sizeof numbers,
                "\"left\": %ld, \"top\": %ld, \"width\": %ld, \"height\": %ld, \"clientWidth\": %ld, "
                "\"clientHeight\": %ld, \"screenWidth\": %d, \"screenHeight\": %d, \"style\": %lu",
                outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top, client.right, client.bottom,
                screenWidth, screenHeight, static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)));
  Print("{\"caption\": " + Json(WindowText(window)) + ", " + numbers + "}");
  return 0;
}

int DescribeMessageBox(HWND box) {
  std::string texts;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const std::wstring text = WindowText(child);
    if (text.empty()) continue;
    if (!texts.empty()) texts += ", ";
    texts += Json(text);
  }
  Print("{\"caption\": " + Json(WindowText(box)) + ", \"texts\": [" + texts + "]}");
  return 0;
}

int DescribeFocus(HWND main) {
  GUITHREADINFO thread{};
  thread.cbSize = sizeof(thread);
  int id = 0;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &thread) && thread.hwndFocus &&
      GetParent(thread.hwndFocus) == main) {
    id = GetDlgCtrlID(thread.hwndFocus);
  }
  char out[64];
  std::snprintf(out, sizeof out, "{\"focus\": %d}", id);
  Print(out);
  return 0;
}

void AddKey(std::vector<INPUT>& inputs, WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  inputs.push_back(input);
}

// Real key input, so the program's own key state (Shift held) is what a user's would be.
int PressKeys(HWND main, wchar_t** keys, int count) {
  SetForegroundWindow(main);
  Sleep(200);
  for (int i = 0; i < count; ++i) {
    const std::wstring name = keys[i];
    const bool shift = name.rfind(L"shift+", 0) == 0;
    const bool alt = name.rfind(L"alt+", 0) == 0;
    const std::wstring base = shift ? name.substr(6) : alt ? name.substr(4) : name;
    const WORD key = base == L"tab" ? VK_TAB : base == L"enter" ? VK_RETURN : base == L"space" ? VK_SPACE : 0;
    if (key == 0) return 2;
    std::vector<INPUT> inputs;
    const WORD modifier = shift ? VK_SHIFT : alt ? VK_MENU : 0;
    if (modifier) AddKey(inputs, modifier, false);
    AddKey(inputs, key, false);
    AddKey(inputs, key, true);
    if (modifier) AddKey(inputs, modifier, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    // Each key is carried out before the next one comes.
    Sleep(150);
  }
  return 0;
}

int ListSystemMenu(HWND main) {
  HMENU menu = GetSystemMenu(main, FALSE);
  if (!menu) return 1;
  const int count = GetMenuItemCount(menu);
  if (count < 0) return 1;
  for (int position = 0; position < count; ++position) {
    wchar_t text[256] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 256, MF_BYPOSITION);
    const UINT id = GetMenuItemID(menu, position);
    char number[32];
    std::snprintf(number, sizeof number, "{\"id\": %u, ", id == static_cast<UINT>(-1) ? 0u : id);
    Print(std::string(number) + "\"text\": " + Json(text) + "}");
  }
  return 0;
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args || count < 2) return 2;
  const std::wstring command = args[1];
  auto argument = [&](int index) -> const wchar_t* { return index < count ? args[index] : L""; };
  int result = 2;

  if (command == L"wait") {
    result = MainWindow(_wtoi(argument(2))) ? 0 : 1;
  } else if (command == L"message-box" || command == L"dismiss") {
    HWND box = WaitFor(L"#32770", 0, command == L"dismiss" ? 2000 : _wtoi(argument(2)));
    if (!box) {
      result = 1;
    } else if (command == L"dismiss") {
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
      result = 0;
    } else {
      result = DescribeMessageBox(box);
    }
  } else if (command == L"dialog") {
    HWND box = WaitFor(L"#32770", 0, _wtoi(argument(2)));
    result = box ? DescribeWindow(box) + ListControls(box) : 1;
  } else if (command == L"dialog-click" && count >= 3) {
    // Posted, like a click: the dialog's handler may open a message box or end the dialog.
    HWND box = WaitFor(L"#32770", 0, 2000);
    HWND control = box ? GetDlgItem(box, _wtoi(args[2])) : nullptr;
    if (control) PostMessageW(control, BM_CLICK, 0, 0);
    result = control ? 0 : 1;
  } else if (HWND main = MainWindow(2000); !main) {
    result = 1;
  } else if (command == L"window") {
    result = DescribeWindow(main);
  } else if (command == L"controls") {
    result = ListControls(main);
  } else if (command == L"set-text" && count >= 4) {
    SendMessageW(Control(main, args[2]), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args[3]));
    result = 0;
  } else if ((command == L"type" || command == L"retype") && count >= 4) {
    HWND control = Control(main, args[2]);
    if (command == L"retype") SendMessageW(control, EM_SETSEL, 0, -1);
    for (const wchar_t* c = args[3]; *c; ++c)
      SendMessageW(control, WM_CHAR, *c, 1);
    result = 0;
  } else if (command == L"click" && count >= 3) {
    PostMessageW(Control(main, args[2]), BM_CLICK, 0, 0);
    result = 0;
  } else if (command == L"pixel" && count >= 4) {
    HDC dc = GetDC(main);
    const COLORREF colour = GetPixel(dc, _wtoi(args[2]), _wtoi(args[3]));
    ReleaseDC(main, dc);
    char out[64];
    std::snprintf(out, sizeof out, "{\"pixel\": \"%02X%02X%02X\"}", GetRValue(colour), GetGValue(colour),
                  GetBValue(colour));
    Print(out);
    result = 0;
  } else if (command == L"focus") {
    result = DescribeFocus(main);
  } else if (command == L"keys" && count >= 3) {
    result = PressKeys(main, args + 2, count - 2);
  } else if (command == L"close") {
    PostMessageW(main, WM_CLOSE, 0, 0);
    result = 0;
  } else if (command == L"tick" && count >= 3) {
    PostMessageW(main, WM_TIMER, static_cast<WPARAM>(_wtoi(args[2])), 0);
    result = 0;
  } else if (command == L"sys" && count >= 3) {
    // Posted: the command's message box must not block the probe.
    PostMessageW(main, WM_SYSCOMMAND, static_cast<WPARAM>(std::wcstoul(args[2], nullptr, 0)), 0);
    result = 0;
  } else if (command == L"system-menu") {
    result = ListSystemMenu(main);
  }
  LocalFree(args);
  return result;
}
