// SkinH_EL.dll: our skin library. SkinH_AttachRes takes a skin in our ".SHE" format and colours the
// calling thread's windows with it: window and dialog backgrounds, label and edit colours through
// WM_CTLCOLOR*, and push buttons drawn by the library. Windows the thread creates later (message
// boxes) are coloured too, through a CBT hook.
//
// The export keeps the historical signature (pointer, size, password text, hue, saturation,
// brightness) and the __stdcall convention, which on x64 is the one calling convention anyway. The
// last four arguments are accepted and not used. Result 1 when the skin was applied, 0 otherwise.
#include <windows.h>
#include <commctrl.h>

#include <string_view>

#include "resources/skin/skin_format.h"

namespace {

using korvan::skin::SkinColours;

constexpr UINT_PTR kParentSubclassId = 0x5348;  // "SH"
// A window property marks a skinned window (mingw's comctl32 import library lacks
// GetWindowSubclass).
constexpr wchar_t kSkinnedProperty[] = L"SkinH_EL.skinned";

// Owns one GDI object (brush, pen) and deletes it once.
class GdiObject {
 public:
  explicit GdiObject(HGDIOBJ object = nullptr) : object_(object) {}
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  ~GdiObject() { Reset(nullptr); }
  void Reset(HGDIOBJ object) {
    if (object_) DeleteObject(object_);
    object_ = object;
  }
  HGDIOBJ Get() const { return object_; }
  HBRUSH Brush() const { return static_cast<HBRUSH>(object_); }

 private:
  HGDIOBJ object_ = nullptr;
};

// Selects an object into a device context for one scope.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;
  ~Selection() {
    if (old_) SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// The library's one skin; the process has one look at a time.
struct Skin {
  SkinColours colours;
  GdiObject window;
  GdiObject edit;
  HHOOK hook = nullptr;
  bool attached = false;
};

Skin& TheSkin() {
  static Skin skin;
  return skin;
}

bool IsButtonClass(HWND window) {
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  return lstrcmpiW(className, L"Button") == 0;
}

bool IsPushButton(HWND window) {
  if (!IsButtonClass(window)) return false;
  const LONG_PTR type = GetWindowLongPtrW(window, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW;
}

void DrawPushButton(const DRAWITEMSTRUCT& item) {
  const SkinColours& colours = TheSkin().colours;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  RECT rect = item.rcItem;
  HDC dc = item.hDC;

  const GdiObject face(CreateSolidBrush(pressed ? colours.buttonShadow : colours.button));
  FillRect(dc, &rect, face.Brush());

  // A one-pixel bevel: light on top and left, shadow below and right; swapped while pressed.
  const GdiObject light(CreatePen(PS_SOLID, 1, pressed ? colours.buttonShadow : colours.buttonLight));
  const GdiObject shadow(CreatePen(PS_SOLID, 1, pressed ? colours.buttonLight : colours.buttonShadow));
  {
    Selection lightPen(dc, light.Get());
    MoveToEx(dc, rect.left, rect.bottom - 1, nullptr);
    LineTo(dc, rect.left, rect.top);
    LineTo(dc, rect.right - 1, rect.top);
  }
  {
    Selection shadowPen(dc, shadow.Get());
    LineTo(dc, rect.right - 1, rect.bottom - 1);
    LineTo(dc, rect.left, rect.bottom - 1);
  }

  wchar_t caption[256] = {};
  GetWindowTextW(item.hwndItem, caption, 256);
  // The button's font belongs to the button; it is only borrowed here.
  Selection font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, pressed ? colours.buttonLight : colours.buttonText);
  if (pressed) OffsetRect(&rect, 1, 1);
  DrawTextW(dc, caption, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (item.itemState & ODS_FOCUS) {
    RECT focus = item.rcItem;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(dc, &focus);
  }
}

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  Skin& skin = TheSkin();
  switch (message) {
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      HWND control = reinterpret_cast<HWND>(lParam);
      SetTextColor(dc, skin.colours.text);
      // A transparent label shows what lies behind it.
      if (GetWindowLongPtrW(control, GWL_EXSTYLE) & WS_EX_TRANSPARENT) {
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
      }
      SetBkColor(dc, skin.colours.window);
      return reinterpret_cast<LRESULT>(skin.window.Brush());
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, skin.colours.editText);
      SetBkColor(dc, skin.colours.edit);
      return reinterpret_cast<LRESULT>(skin.edit.Brush());
    }
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
      SetBkColor(reinterpret_cast<HDC>(wParam), skin.colours.window);
      return reinterpret_cast<LRESULT>(skin.window.Brush());
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(window, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, skin.window.Brush());
      return 1;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlType == ODT_BUTTON && IsPushButton(item->hwndItem)) {
        DrawPushButton(*item);
        return TRUE;
      }
      break;
    }
    case WM_NCDESTROY:
      RemovePropW(window, kSkinnedProperty);
      RemoveWindowSubclass(window, ParentProc, kParentSubclassId);
      break;
    default: break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

void SkinParent(HWND window) {
  if (GetPropW(window, kSkinnedProperty)) return;
  if (SetWindowSubclass(window, ParentProc, kParentSubclassId, 0)) {
    SetPropW(window, kSkinnedProperty, reinterpret_cast<HANDLE>(1));
  }
}

// A push button becomes owner-drawn so that its parent's WM_DRAWITEM paints the skin's face.
void MakeOwnerDrawn(HWND button) {
  const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
  if ((style & BS_TYPEMASK) == BS_OWNERDRAW) return;
  SetWindowLongPtrW(button, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
  InvalidateRect(button, nullptr, TRUE);
}

BOOL CALLBACK SkinChild(HWND child, LPARAM) {
  if (IsPushButton(child)) {
    SkinParent(GetParent(child));
    MakeOwnerDrawn(child);
  }
  return TRUE;
}

BOOL CALLBACK SkinTopLevel(HWND window, LPARAM) {
  SkinParent(window);
  EnumChildWindows(window, SkinChild, 0);
  RedrawWindow(window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
  return TRUE;
}

LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    HWND window = reinterpret_cast<HWND>(wParam);
    CREATESTRUCTW* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
    if (!(create->style & WS_CHILD)) {
      SkinParent(window);
    } else if (IsButtonClass(window) &&
               ((create->style & BS_TYPEMASK) == BS_PUSHBUTTON || (create->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)) {
      create->style = (create->style & ~static_cast<LONG>(BS_TYPEMASK)) | BS_OWNERDRAW;
      if (create->hwndParent) SkinParent(create->hwndParent);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

extern "C" __declspec(dllexport) int __stdcall SkinH_AttachRes(const unsigned char* data,
                                                               int size,
                                                               const char* /*password*/,
                                                               int /*hue*/,
                                                               int /*saturation*/,
                                                               int /*brightness*/) {
  if (data == nullptr || size <= 0) return 0;
  const auto colours =
      korvan::skin::ParseSkin(std::string_view(reinterpret_cast<const char*>(data), static_cast<std::size_t>(size)));
  if (!colours) return 0;

  Skin& skin = TheSkin();
  skin.colours = *colours;
  skin.window.Reset(CreateSolidBrush(skin.colours.window));
  skin.edit.Reset(CreateSolidBrush(skin.colours.edit));
  if (!skin.hook) {
    skin.hook = SetWindowsHookExW(WH_CBT, CreationHook, nullptr, GetCurrentThreadId());
  }
  EnumThreadWindows(GetCurrentThreadId(), SkinTopLevel, 0);
  skin.attached = true;
  return 1;
}
