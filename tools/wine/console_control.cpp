// console_control.exe: korvan-cli.exe in a console under Wine, which gives a program started from
// Linux none, so that neither Ctrl-C nor a console's code page can otherwise be tried there.
//
//   console_control ctrl-c TRIGGER STDERR_FILE COMMAND_LINE
//       Starts COMMAND_LINE in a console of its own, its standard error in STDERR_FILE; once the file
//       TRIGGER exists (at most 60 s) sends that console Ctrl-C.
//   console_control screen CODE_PAGE SCREEN_FILE COMMAND_LINE
//       Runs COMMAND_LINE with its output in a console whose output code page is CODE_PAGE, and
//       writes what the console shows, a line for each row, to SCREEN_FILE in UTF-8.
//
// Prints the program's exit status, or "still running" (and ends it) when it has not ended 15 s
// after Ctrl-C or 60 s after its start.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};

HANDLE Open(const char* path, DWORD access, DWORD creation) {
  return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, creation, 0, nullptr);
}

bool Start(std::string commandLine,
           HANDLE input,
           HANDLE output,
           HANDLE errors,
           DWORD flags,
           PROCESS_INFORMATION& process) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = errors;
  if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr, nullptr, &startup, &process))
    return true;
  std::printf("cannot start (error %lu)\n", GetLastError());
  return false;
}

int Report(PROCESS_INFORMATION& process, DWORD waitMs) {
  DWORD status = 0;
  if (WaitForSingleObject(process.hProcess, waitMs) == WAIT_OBJECT_0 && GetExitCodeProcess(process.hProcess, &status)) {
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

int CtrlC(const char* trigger, const char* stderrFile, const char* commandLine) {
  const HANDLE errors = Open(stderrFile, GENERIC_WRITE, CREATE_ALWAYS);
  const HANDLE nothing = Open("NUL", GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
  PROCESS_INFORMATION process{};
  if (errors == INVALID_HANDLE_VALUE || nothing == INVALID_HANDLE_VALUE ||
      !Start(commandLine, nothing, nothing, errors, CREATE_NEW_CONSOLE, process))
    return 2;
  CloseHandle(errors);
  CloseHandle(nothing);
  for (int waited = 0; waited < 60000 && GetFileAttributesA(trigger) == INVALID_FILE_ATTRIBUTES; waited += 50)
    Sleep(50);
  // Ctrl-C goes to every process of a console: join the program's, and let it pass this one by.
  FreeConsole();
  if (!AttachConsole(process.dwProcessId) || !SetConsoleCtrlHandler(nullptr, TRUE) ||
      !GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) {
    std::printf("cannot send Ctrl-C (error %lu)\n", GetLastError());
  }
  return Report(process, 15000);
}

std::string Utf8(const std::wstring& text) {
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  return bytes;
}

int Screen(UINT codePage, const char* screenFile, const char* commandLine) {
  // A console of this program's own, shared with the program, so that its screen can be read after.
  FreeConsole();
  if (!AllocConsole()) {
    std::printf("cannot make a console (error %lu)\n", GetLastError());
    return 2;
  }
  if (!SetConsoleOutputCP(codePage)) {
    std::printf("cannot set the console's code page to %u (error %lu)\n", codePage, GetLastError());
    return 2;
  }
  const HANDLE screen = Open("CONOUT$", GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
  const HANDLE keyboard = Open("CONIN$", GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
  PROCESS_INFORMATION process{};
  if (screen == INVALID_HANDLE_VALUE || keyboard == INVALID_HANDLE_VALUE ||
      !Start(commandLine, keyboard, screen, screen, 0, process))
    return 2;
  WaitForSingleObject(process.hProcess, 60000);
  CONSOLE_SCREEN_BUFFER_INFO shown{};
  GetConsoleScreenBufferInfo(screen, &shown);
  std::wstring text;
  for (SHORT row = 0; row <= shown.dwCursorPosition.Y; ++row) {
    std::wstring line(static_cast<std::size_t>(shown.dwSize.X), L' ');
    DWORD read = 0;
    ReadConsoleOutputCharacterW(screen, line.data(), shown.dwSize.X, COORD{0, row}, &read);
    line.resize(read);
    while (!line.empty() && line.back() == L' ')
      line.pop_back();
    text += line + L"\n";
  }
  const std::string bytes = Utf8(text);
  if (FILE* file = std::fopen(screenFile, "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  return Report(process, 0);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string verb = argc == 5 ? argv[1] : "";
  if (verb == "ctrl-c") return CtrlC(argv[2], argv[3], argv[4]);
  if (verb == "screen") return Screen(static_cast<UINT>(std::atoi(argv[2])), argv[3], argv[4]);
  std::printf(
      "usage: console_control ctrl-c TRIGGER STDERR_FILE COMMAND_LINE\n"
      "       console_control screen CODE_PAGE SCREEN_FILE COMMAND_LINE\n");
  return 2;
}
