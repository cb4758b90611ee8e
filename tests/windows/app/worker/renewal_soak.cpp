// Soak of the renewal worker: many runs in one process against the fake panel, through the same path
// the renewal timer takes (StartRenewalWorker -> RenewalWorker -> RenewFreeVps with HttpRequest,
// AppendLog and the real main window). Checks that handles, threads and private memory stay level
// and that no run overlapped another.
//
//   korvan_renewal_soak [--runs N]
//
// The window reads korvan.ini beside its executable, so the soak copies itself into a scratch
// directory with a configured korvan.ini and runs the copy (--child); the copy writes its figures to
// a file that this process prints. The panel and time hosts must be the fake panel's (127.0.0.1).
// The last line of output is one JSON object with the figures.
#include <windows.h>
#include <ole2.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/form/form_controls.h"
#include "app/main_window/main_window.h"
#include "app/worker/renewal_worker.h"
#include "platform/win32/program_location.h"
#include "scratch_directory.h"
#include "app/window_thread/window_thread.h"

namespace {

using korvan::testing::ScratchDirectory;

// What one run of the fake panel's "success" scenario logs, in code page 936.
constexpr char kLoggedIn[] = "demo \xB5\xC7\xC2\xBC\xB3\xC9\xB9\xA6\xA3\xA1";  // demo 登录成功！
constexpr char kExpiry[] =
    "\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4\xA3\xBA"
    "2024-05-06 12:00:00";                                               // 到期时间：…
constexpr char kRenewed[] = "\xD0\xF8\xB7\xD1\xB3\xC9\xB9\xA6\xA3\xA1";  // 续费成功！
constexpr char kIni[] =
    "[\xB5\xC7\xC2\xBC\xC5\xE4\xD6\xC3]\r\nuser=demo\r\npass=pa ss&1\r\n"  // [登录配置]
    "[\xBC\xE0\xBF\xD8\xD0\xF8\xB7\xD1\xCA\xB1\xBC\xE4]\r\ntime=596\r\n"   // [监控续费时间]
    "[\xD6\xD8\xC6\xF4\xC8\xED\xBC\xFE\xCA\xB1\xBC\xE4]\r\ntime=596\r\n";  // [重启软件时间]

// Bounds for "level" between run 10 and the last run.
constexpr long kHandleSlack = 20;
constexpr long kThreadSlack = 2;
constexpr long long kPrivateSlack = 2LL * 1024 * 1024;
constexpr DWORD kRunTimeoutMs = 60000;

struct Figures {
  long handles = 0;
  long threads = 0;
  long long privateBytes = 0;
};

// Wine answers GetProcessHandleCount with 0: count the handle values that name an open handle.
long ProbedHandleCount() {
  long count = 0;
  for (std::uintptr_t value = 4; value < 0x40000; value += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}

// Wine leaves PrivateUsage at 0: add up the committed private regions of the address space.
long long CommittedPrivateBytes() {
  long long total = 0;
  MEMORY_BASIC_INFORMATION region{};
  for (auto* address = static_cast<char*>(nullptr); VirtualQuery(address, &region, sizeof(region)) == sizeof(region);
       address = static_cast<char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += static_cast<long long>(region.RegionSize);
    if (region.RegionSize == 0) break;
  }
  return total;
}

long ThreadCount() {
  long count = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot != INVALID_HANDLE_VALUE) {
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
      if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    }
    CloseHandle(snapshot);
  }
  return count;
}

Figures Measure() {
  Figures figures;
  DWORD handles = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &handles)) figures.handles = static_cast<long>(handles);
  if (figures.handles == 0) figures.handles = ProbedHandleCount();
  figures.threads = ThreadCount();
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof(memory);
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory))) {
    figures.privateBytes = static_cast<long long>(memory.PrivateUsage);
  }
  if (figures.privateBytes == 0) figures.privateBytes = CommittedPrivateBytes();
  return figures;
}

// Carries out the window's messages (the worker reads the boxes and appends to the log through
// them) until done() holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

// Measured at rest: a worker leaves the gate just before its thread returns, and the system's own
// pool threads (with their stacks, a few MiB under Wine) come and go with the requests and end after
// some seconds without work.
void Settle() {
  PumpUntil([] { return false; }, 500);
  PumpUntil([] { return ThreadCount() <= 1; }, 20000);
}

std::vector<std::string> LogMessages(const std::string& log) {
  // Entries are a time stamp line and a message line; the box opens with two lines of its own.
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(log.substr(start, end - start));
  }
  std::vector<std::string> messages;
  for (std::size_t i = 3; i < lines.size(); i += 2)
    messages.push_back(lines[i]);
  return messages;
}

std::string LogBoxText() {
  return korvan::MainFormControls().Get<korvan::EditBox>(korvan::FormControl::LogBox).Content();
}

int RunChild(int runs, const std::string& resultPath) {
  std::ofstream result(resultPath, std::ios::binary);
  korvan::FixRunDirectory();
  if (FAILED(OleInitialize(nullptr))) {
    result << "FAIL OleInitialize\n";
    return 1;
  }
  korvan::MainWindow window;
  if (!window.Create(GetModuleHandleW(nullptr), SW_SHOWNOACTIVATE)) {
    result << "FAIL the main window could not be created\n";
    return 1;
  }
  // The created handler loads korvan.ini and starts the first run itself: run 1. Embedding the
  // browser controls comes next and dispatches messages, so under load run 1 may end inside it,
  // before a first look: its entries in the log box say it ran.
  if (!PumpUntil([] { return korvan::RenewalRunning() || !LogMessages(LogBoxText()).empty(); }, 20000)) {
    result << "FAIL the configured start started no run\n";
    return 1;
  }
  int failures = 0;
  int extraStarts = 0;
  Figures atTen, atEnd;
  const auto started = std::chrono::steady_clock::now();
  for (int run = 1; run <= runs; ++run) {
    if (run > 1) {
      korvan::StartRenewalWorker();
      if (!korvan::RenewalRunning()) {
        result << "FAIL run " << run << " did not start\n";
        ++failures;
        break;
      }
    }
    // A check asked for while the run is under way must start nothing; the log shows it if it did.
    // (A renewal asked for then would be kept and run after this one.)
    if (korvan::RenewalRunning()) {
      korvan::StartCheckWorker();
      ++extraStarts;
    }
    if (!PumpUntil([] { return !korvan::RenewalRunning(); }, kRunTimeoutMs)) {
      result << "FAIL run " << run << " did not end within " << kRunTimeoutMs << " ms\n";
      ++failures;
      break;
    }
    if (run == 10) {
      Settle();
      atTen = Measure();
    }
    if (run % 100 == 0) {
      const Figures now = Measure();
      result << "after run " << run << ": handles " << now.handles << ", threads " << now.threads << ", private bytes "
             << now.privateBytes << "\n";
    }
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  Settle();
  atEnd = Measure();

  const std::vector<std::string> messages = LogMessages(LogBoxText());
  const std::string expected[] = {kLoggedIn, kExpiry, kRenewed};
  bool inOrder = messages.size() == static_cast<std::size_t>(runs) * 3;
  for (std::size_t i = 0; inOrder && i < messages.size(); ++i)
    inOrder = messages[i] == expected[i % 3];
  if (!inOrder) {
    ++failures;
    result << "FAIL the log holds " << messages.size() << " entries, not " << runs
           << " runs of login, expiry and verdict one after the other\n";
    for (std::size_t i = 0; i < messages.size() && i < 6; ++i)
      result << "  entry: " << messages[i] << "\n";
  }
  const long handleDrift = atEnd.handles - atTen.handles;
  const long threadDrift = atEnd.threads - atTen.threads;
  const long long privateDrift = atEnd.privateBytes - atTen.privateBytes;
  // Only growth is a leak: the heap gives pages back after the first runs' peak.
  if (runs >= 10) {
    if (handleDrift > kHandleSlack) {
      ++failures;
      result << "FAIL handles " << atTen.handles << " -> " << atEnd.handles << "\n";
    }
    if (threadDrift > kThreadSlack) {
      ++failures;
      result << "FAIL threads " << atTen.threads << " -> " << atEnd.threads << "\n";
    }
    if (privateDrift > kPrivateSlack) {
      ++failures;
      result << "FAIL private bytes " << atTen.privateBytes << " -> " << atEnd.privateBytes << "\n";
    }
  }
  result << "runs " << runs << " in " << seconds << " s; starts tried while a run was under way: " << extraStarts
         << "\n";
  result << "after run 10: handles " << atTen.handles << ", threads " << atTen.threads << ", private bytes "
         << atTen.privateBytes << "\n";
  result << "after run " << runs << ": handles " << atEnd.handles << ", threads " << atEnd.threads << ", private bytes "
         << atEnd.privateBytes << "\n";
  result << "bounds (growth): handles +" << kHandleSlack << ", threads +" << kThreadSlack << ", private bytes +"
         << kPrivateSlack << "\n";
  result << (failures ? "FAIL" : "ok") << "\n";
  result << "{\"runs\": " << runs << ", \"seconds\": " << seconds << ", \"log_entries\": " << messages.size()
         << ", \"handles_at_10\": " << atTen.handles << ", \"handles_at_end\": " << atEnd.handles
         << ", \"threads_at_10\": " << atTen.threads << ", \"threads_at_end\": " << atEnd.threads
         << ", \"private_bytes_at_10\": " << atTen.privateBytes << ", \"private_bytes_at_end\": " << atEnd.privateBytes
         << ", \"passed\": " << (failures ? "false" : "true") << "}\n";
  result.close();
  // As korvan.exe ends: the window goes, then the process, without waiting on anything.
  DestroyWindow(korvan::MainWindowHandle());
  OleUninitialize();
  ExitProcess(failures ? 1 : 0);
}

std::string OwnPath() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

int RunParent(int runs) {
  ScratchDirectory directory;
  const std::string copy = directory / "korvan_soak.exe";
  const std::string resultPath = directory / "soak-result.txt";
  if (!CopyFileA(OwnPath().c_str(), copy.c_str(), FALSE)) {
    std::printf("FAIL cannot copy the soak into %s\n", directory.Path().c_str());
    return 1;
  }
  std::ofstream(directory / "korvan.ini", std::ios::binary) << kIni;

  std::string commandLine =
      "\"" + copy + "\" --child --runs " + std::to_string(runs) + " --result \"" + resultPath + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, directory.Path().c_str(),
                      &startup, &process)) {
    std::printf("FAIL cannot start the soak copy (error %lu)\n", GetLastError());
    return 1;
  }
  CloseHandle(process.hThread);
  // A run takes some 60 ms against the fake panel and each measurement waits up to 20 s for the
  // pool threads to rest; this bounds a hung child well inside the test's own time-out.
  const DWORD limitMs = 90000 + static_cast<DWORD>(runs) * 200;
  DWORD exitCode = 1;
  if (WaitForSingleObject(process.hProcess, limitMs) != WAIT_OBJECT_0) {
    std::printf("FAIL the soak did not finish within %lu ms\n", limitMs);
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, 10000);
  } else {
    GetExitCodeProcess(process.hProcess, &exitCode);
  }
  CloseHandle(process.hProcess);
  std::printf("%s", korvan::testing::ReadWholeFile(resultPath).c_str());
  std::fflush(stdout);
  return exitCode == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 1000;
  bool child = false;
  std::string resultPath;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--runs" && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
    } else if (argument == "--child") {
      child = true;
    } else if (argument == "--result" && i + 1 < argc) {
      resultPath = argv[++i];
    } else {
      std::printf("usage: korvan_renewal_soak [--runs N]\n");
      return 2;
    }
  }
  if (runs < 1) runs = 1;
  return child ? RunChild(runs, resultPath) : RunParent(runs);
}
