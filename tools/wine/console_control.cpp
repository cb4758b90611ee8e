// console_control.exe: Ctrl-C for a console program under Wine, which gives a program started from
// Linux no console, so neither a Linux signal nor Ctrl-C reaches its console handler.
//
//   console_control TRIGGER STDERR_FILE COMMAND_LINE
//
// Starts COMMAND_LINE in a console of its own, its standard error in STDERR_FILE; once the file
// TRIGGER exists (at most 60 s) sends that console Ctrl-C, and prints the program's exit status, or
// "still running" (and ends it) when it is still there 15 s later.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::printf("usage: console_control TRIGGER STDERR_FILE COMMAND_LINE\n");
    return 2;
  }
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE errors = CreateFileA(argv[2], GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0, nullptr);
  HANDLE nothing = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, 0, &inherited, OPEN_EXISTING, 0, nullptr);
  if (errors == INVALID_HANDLE_VALUE || nothing == INVALID_HANDLE_VALUE) {
    std::printf("cannot open %s\n", argv[2]);
    return 2;
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nothing;
  startup.hStdOutput = nothing;
  startup.hStdError = errors;
  PROCESS_INFORMATION process{};
  std::string commandLine = argv[3];
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NEW_CONSOLE, nullptr, nullptr,
                      &startup, &process)) {
    std::printf("cannot start (error %lu)\n", GetLastError());
    return 2;
  }
  CloseHandle(errors);
  CloseHandle(nothing);
  for (int waited = 0; waited < 60000 && GetFileAttributesA(argv[1]) == INVALID_FILE_ATTRIBUTES; waited += 50)
    Sleep(50);
  // Ctrl-C goes to every process of a console: join the program's, and let it pass this one by.
  FreeConsole();
  if (!AttachConsole(process.dwProcessId) || !SetConsoleCtrlHandler(nullptr, TRUE) ||
      !GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) {
    std::printf("cannot send Ctrl-C (error %lu)\n", GetLastError());
  }
  DWORD status = 0;
  if (WaitForSingleObject(process.hProcess, 15000) == WAIT_OBJECT_0 && GetExitCodeProcess(process.hProcess, &status)) {
    std::printf("exit %lu\n", status);
  } else {
    std::printf("still running\n");
    TerminateProcess(process.hProcess, 9);
  }
  std::fflush(stdout);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}
