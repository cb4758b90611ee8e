// The first status tick after a start shows the state of the loaded configuration, even when
// embedding the browser controls is slow and dispatches messages meanwhile (as the platform's
// control may). A thread hook makes the first window created inside the main window after its
// creation (the browser control's) take 1.5 s of message dispatching, status ticks among them.
//
//   korvan_start_status_tests
//
// The window reads korvan.ini beside its executable, so for each case this copies itself into a
// scratch directory with that case's korvan.ini and runs the copy (--child), which writes the first
// status text it saw into a file.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include "app/form/form.h"
#include "app/main_window/main_window.h"
#include "app/worker/renewal_worker.h"
#include "app/controls/win32_controls.h"
#include "platform/win32/program_location.h"
#include "scratch_directory.h"
#include "app/window_thread/window_thread.h"

namespace {

using korvan::testing::ScratchDirectory;

constexpr char kPaused[] = "\xBC\xE0\xBF\xD8\xD4\xDD\xCD\xA3\xD6\xD0 \xA1\xF1";  // 监控暂停中 ●
// 监控异常中，请重启 ●
constexpr char kAbnormal[] = "\xBC\xE0\xBF\xD8\xD2\xEC\xB3\xA3\xD6\xD0\xA3\xAC\xC7\xEB\xD6\xD8\xC6\xF4 \xA1\xF1";
constexpr char kLogin[] = "[\xB5\xC7\xC2\xBC\xC5\xE4\xD6\xC3]\r\n";                    // [登录配置]
constexpr char kRenew[] = "[\xBC\xE0\xBF\xD8\xD0\xF8\xB7\xD1\xCA\xB1\xBC\xE4]\r\n";    // [监控续费时间]
constexpr char kRestart[] = "[\xD6\xD8\xC6\xF4\xC8\xED\xBC\xFE\xCA\xB1\xBC\xE4]\r\n";  // [重启软件时间]
constexpr DWORD kSlowEmbeddingMs = 1500;

struct Case {
  const char* what;
  std::string ini;
  const char* firstStatus;
};

HWND StatusLabel() {
  return GetDlgItem(korvan::MainWindowHandle(), korvan::ControlId(korvan::FormControl::StatusLabel));
}

std::string firstStatus;
bool slowed = false;
HHOOK hook = nullptr;

void DispatchFor(DWORD milliseconds, const std::function<bool()>& done) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (!done() && GetTickCount64() < end) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
      if (firstStatus.empty()) firstStatus = korvan::ReadWindowText(StatusLabel());
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

LRESULT CALLBACK SlowEmbedding(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && !slowed) {
    const CREATESTRUCTW* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
    if (create->hwndParent && create->hwndParent == korvan::MainWindowHandle()) {
      slowed = true;
      DispatchFor(kSlowEmbeddingMs, [] { return false; });
    }
  }
  return CallNextHookEx(hook, code, wParam, lParam);
}

int RunChild(const std::string& resultPath) {
  std::ofstream result(resultPath, std::ios::binary);
  korvan::FixRunDirectory();
  if (FAILED(OleInitialize(nullptr))) {
    result << "FAIL OleInitialize";
    return 1;
  }
  korvan::MainWindow window;
  if (!window.Create(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE)) {
    result << "FAIL the main window could not be created";
    return 1;
  }
  // Every form control exists by now: the next child of the main window is the browser control's.
  hook = SetWindowsHookExW(WH_CBT, SlowEmbedding, nullptr, GetCurrentThreadId());
  DispatchFor(10000, [] { return !firstStatus.empty(); });
  UnhookWindowsHookEx(hook);
  if (!slowed) {
    result << "FAIL no browser control was embedded, so nothing was slowed";
  } else {
    result << firstStatus;
  }
  // The first renewal run ends (nothing answers on the panel's port) before the window goes.
  DispatchFor(60000, [] { return !korvan::RenewalRunning(); });
  result.close();
  DestroyWindow(korvan::MainWindowHandle());
  OleUninitialize();
  ExitProcess(0);
}

std::string OwnPath() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

// The first status text a start with this korvan.ini shows, or a FAIL line.
std::string FirstStatusOf(const std::string& ini) {
  ScratchDirectory directory;
  const std::string copy = directory / "korvan_start.exe";
  const std::string resultPath = directory / "first-status.txt";
  if (!CopyFileA(OwnPath().c_str(), copy.c_str(), FALSE)) return "FAIL cannot copy the test";
  std::ofstream(directory / "korvan.ini", std::ios::binary) << ini;
  std::string commandLine = "\"" + copy + "\" --child \"" + resultPath + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.Path().c_str(),
                      &startup, &process)) {
    return "FAIL cannot start the copy";
  }
  CloseHandle(process.hThread);
  if (WaitForSingleObject(process.hProcess, 90000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, 10000);
  }
  CloseHandle(process.hProcess);
  return korvan::testing::ReadWholeFile(resultPath);
}

int RunCases() {
  const Case cases[] = {
      {"configured, before the first login", std::string(kLogin) + "user=tester\r\npass=pw\r\n", kAbnormal},
      {"configured without a password", std::string(kLogin) + "user=tester\r\n", kPaused},
      {"a negative period loaded",
       std::string(kLogin) + "user=tester\r\npass=pw\r\n" + kRenew + "time=-641859\r\n" + kRestart + "time=24\r\n",
       kPaused},
  };
  int failures = 0;
  for (const Case& c : cases) {
    const std::string first = FirstStatusOf(c.ini);
    const bool ok = first == c.firstStatus;
    if (!ok) ++failures;
    // The texts are code page 936; the byte count tells them apart in any console.
    std::printf("%s %s: first status of %zu bytes%s\n", ok ? "ok  " : "FAIL", c.what, first.size(),
                ok ? "" : (first.rfind("FAIL", 0) == 0 ? (" (" + first + ")").c_str() : ", another text"));
  }
  std::printf("%d of %zu cases failed\n", failures, std::size(cases));
  return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--child") return RunChild(argv[2]);
  return RunCases();
}
