// What the main window and the settings dialog share to build themselves at the screen's scale: the
// DPI, the stock GUI font drawn at that scale, and child windows laid out at 96 DPI.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/handles.h"

namespace korvan {

// The screen's DPI: the process is system DPI aware (manifest), so this is the scale of every
// window it creates.
int ScreenDpi();

// A length at 96 DPI on a screen of dpi.
inline int ScaledToDpi(int value, int dpi) { return MulDiv(value, dpi, 96); }

// The stock GUI font, drawn at the new size on a scaled screen rather than stretched. Windows keeps
// it at its 96-DPI height (11 or 12 pixels); Wine already creates it at the screen's DPI, and a font
// that large is left as it is. A font made for the scale is kept in owned.
HFONT ScaledGuiFont(int dpi, UniqueFont& owned);

// A visible child window of parent at a 96-DPI place scaled to dpi, in font.
struct ChildWindow {
  const wchar_t* className = L"STATIC";
  std::wstring text;
  DWORD style = 0;  // besides WS_CHILD | WS_VISIBLE
  DWORD exStyle = 0;
  int id = 0;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};
HWND CreateChildWindow(HWND parent, const ChildWindow& child, int dpi, HFONT font);

}  // namespace korvan
