// A stand-in program for the restart test: the first instance in a folder notes its start and
// restarts itself through "Restart.bat"; the instance the batch file starts notes its start and ends.
// A first instance that could not restart ends with code 3.
#include <windows.h>

#include "app/restart/restart.h"
#include "platform/win32/files.h"
#include "platform/win32/program_location.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  korvan::FixRunDirectory();
  const bool restarted = korvan::FileExists("first-start.txt");
  const korvan::Text note = restarted ? "second-start.txt" : "first-start.txt";
  korvan::WriteFileBytes(note, korvan::TextToBytes(std::to_string(::GetCurrentProcessId())));
  if (!restarted) korvan::RestartProgram();
  return restarted ? 0 : 3;
}
