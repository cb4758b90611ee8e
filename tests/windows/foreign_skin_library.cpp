// Another program's SkinH_EL.dll, for the start-up checks: its SkinH_AttachRes takes whatever it is
// given for its own and ends the process, as a library that cannot read our skins may.
#include <windows.h>

extern "C" __declspec(dllexport) int __stdcall SkinH_AttachRes(const void*, int, const char*, int, int, int) {
  ExitProcess(9);
}
