// startup_timer.exe: how long a program takes from process creation to its main window being
// shown, and how much private memory it holds then. For scripts/bench.
//
//   startup_timer CLASS PROGRAM [SETTLE_MS]
//
// Starts PROGRAM in its own folder, polls every millisecond for a visible top-level window of
// CLASS owned by the new process (at most 60 s), waits SETTLE_MS more (default 2000), reads the
// process's private bytes and working set, closes the window and prints one JSON line:
//   {"startupMs": 123.4, "privateBytes": 1234567, "workingSet": 2345678}
// privateBytes is the process's commit charge (private bytes).
// Exit code 0 on success, 1 when no window appeared, 2 on bad arguments.
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

struct Search {
  const wchar_t* className;
  DWORD processId;
  HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t name[128] = {};
  GetClassNameW(window, name, 128);
  if (owner == search->processId && IsWindowVisible(window) && lstrcmpW(name, search->className) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args || count < 3) return 2;
  const std::wstring className = args[1];
  const std::wstring program = args[2];
  const DWORD settle = count > 3 ? static_cast<DWORD>(_wtoi(args[3])) : 2000;
  std::wstring folder =
      program.substr(0, program.find_last_of(L"\\/") == std::wstring::npos ? 0 : program.find_last_of(L"\\/"));
  std::wstring commandLine = L"\"" + program + L"\"";

  LARGE_INTEGER frequency, started, shown;
  QueryPerformanceFrequency(&frequency);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  QueryPerformanceCounter(&started);
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    return 1;
  }
  Search search{className.c_str(), info.dwProcessId, nullptr};
  const ULONGLONG end = GetTickCount64() + 60000;
  while (!search.found && GetTickCount64() < end) {
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(1);
  }
  QueryPerformanceCounter(&shown);
  int result = 1;
  if (search.found) {
    Sleep(settle);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(info.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    const double milliseconds =
        1000.0 * static_cast<double>(shown.QuadPart - started.QuadPart) / static_cast<double>(frequency.QuadPart);
    // Wine leaves PrivateUsage of another process at 0; its commit charge (PagefileUsage) is the
    // same figure on Windows.
    const SIZE_T privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    std::printf("{\"startupMs\": %.1f, \"privateBytes\": %llu, \"workingSet\": %llu}\n", milliseconds,
                static_cast<unsigned long long>(privateBytes), static_cast<unsigned long long>(memory.WorkingSetSize));
    std::fflush(stdout);
    result = 0;
    // A message box of the program (first use) is closed with it.
    PostMessageW(search.found, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 0);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  LocalFree(args);
  return result;
}
