#include "app/controls/window_scale.h"

#include <cstdlib>

namespace korvan {

int ScreenDpi() {
  const UniqueScreenDc screen(GetDC(nullptr));
  const int dpi = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
  return dpi > 0 ? dpi : 96;
}

HFONT ScaledGuiFont(int dpi, UniqueFont& owned) {
  const auto stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  LOGFONTW logFont{};
  if (dpi == 96 || !GetObjectW(stock, sizeof(logFont), &logFont) ||
      std::abs(logFont.lfHeight) >= ScaledToDpi(11, dpi)) {
    return stock;
  }
  logFont.lfHeight = ScaledToDpi(logFont.lfHeight, dpi);
  owned.Reset(CreateFontIndirectW(&logFont));
  return owned ? owned.Get() : stock;
}

HWND CreateChildWindow(HWND parent, const ChildWindow& child, int dpi, HFONT font) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  HWND window = CreateWindowExW(child.exStyle, child.className, child.text.c_str(), WS_CHILD | WS_VISIBLE | child.style,
                                ScaledToDpi(child.left, dpi), ScaledToDpi(child.top, dpi),
                                ScaledToDpi(child.width, dpi), ScaledToDpi(child.height, dpi), parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(child.id)), instance, nullptr);
  if (window) SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return window;
}

}  // namespace korvan
