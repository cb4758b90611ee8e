// Stand-in child for the RunProgram tests: waits the given milliseconds, then writes the show
// command and flags it was started with, and its own command line, into the given file.
// Usage: korvan_startup_probe <file> <milliseconds>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  ::Sleep(static_cast<DWORD>(std::atoi(argv[2])));
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  ::GetStartupInfoA(&startup);
  const std::string report = std::to_string(startup.dwFlags & STARTF_USESHOWWINDOW) + " " +
                             std::to_string(startup.wShowWindow) + "\n" + ::GetCommandLineA();
  // Written under another name first, so the reader never sees half a report.
  const std::string partial = std::string(argv[1]) + ".part";
  std::FILE* out = std::fopen(partial.c_str(), "wb");
  if (out == nullptr) return 3;
  std::fwrite(report.data(), 1, report.size(), out);
  std::fclose(out);
  return ::MoveFileA(partial.c_str(), argv[1]) ? 0 : 4;
}
