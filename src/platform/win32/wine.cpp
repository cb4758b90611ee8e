#include "platform/win32/wine.h"

#include <windows.h>

namespace korvan {

bool RunsUnderWine() {
  // ntdll is in every process for its whole life: its handle is borrowed, never freed.
  static const bool underWine = [] {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
  }();
  return underWine;
}

}  // namespace korvan
