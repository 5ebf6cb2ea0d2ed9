// Helpers shared by the standard control window classes.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <type_traits>

#include "platform/gdi/gdi_types.h"
#include "platform/gdi/text.h"
#include "platform/rtl/strings.h"
#include "platform/user/default_proc.h"
#include "platform/user/image_list.h"
#include "platform/user/messages.h"
#include "platform/user/painting.h"
#include "platform/user/wintypes.h"

namespace stdctl {

// The state object a control keeps in its first window-extra slot.
void* GetStateSlot(HWND hwnd);
void SetStateSlot(HWND hwnd, void* state);
template <class S>
S* StateOf(HWND hwnd) {
  return reinterpret_cast<S*>(GetStateSlot(hwnd));
}

// The window procedure of a control of the family: the parts every control handles alike,
// the rest passed to `Handle`. The state object S lives in the first window-extra slot from
// WM_NCCREATE to WM_NCDESTROY; a state with a `font` answers WM_GETFONT with it; the control
// erases nothing and paints itself whole with `Paint`, into BeginPaint's DC or into the DC
// that WM_PAINT or WM_PRINTCLIENT pass in wParam.
template <class S, void (*Paint)(HWND, HDC, S*), LRESULT (*Handle)(HWND, UINT, WPARAM, LPARAM, S*)>
LRESULT ControlProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    SetStateSlot(h, std::make_unique<S>().release());
    return DefWindowProcW(h, msg, wParam, lParam);
  }
  S* s = StateOf<S>(h);
  if (!s) return DefWindowProcW(h, msg, wParam, lParam);
  switch (msg) {
    case WM_NCDESTROY: {
      std::unique_ptr<S> owned(s);
      SetStateSlot(h, nullptr);
      return DefWindowProcW(h, msg, wParam, lParam);
    }
    case WM_GETFONT:
      if constexpr (requires { s->font; }) return reinterpret_cast<LRESULT>(s->font);
      return DefWindowProcW(h, msg, wParam, lParam);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = wParam ? reinterpret_cast<HDC>(wParam) : BeginPaint(h, &ps);
      Paint(h, dc, s);
      if (!wParam) EndPaint(h, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(h, reinterpret_cast<HDC>(wParam), s);
      return 0;
    default:
      return Handle(h, msg, wParam, lParam, s);
  }
}

// The metrics of a font (nullptr: the GUI font) as the control's DC measures them.
TEXTMETRICW MeasureFont(HWND hwnd, HFONT font);

// Asks the parent for the colours of the control (WM_CTLCOLOR...); the DC gets the text and
// background colours the parent chose. Falls back to the default procedure's answer.
HBRUSH ControlBrush(HWND hwnd, HDC dc, UINT message);
// WM_COMMAND to the parent: the control's identifier and the notification code.
void NotifyParent(HWND hwnd, WORD code);
// The font given with WM_SETFONT, or the GUI font.
HFONT FontOr(HFONT font);
// The rectangle in one colour.
void FillSolid(HDC dc, const RECT& r, COLORREF colour);
// Text with embossed grey for disabled controls.
void DrawControlText(HDC dc, const std::u16string& text, RECT rect, UINT format, bool enabled);
// An item's image drawn at x and centred on r's height; answers the room it takes with the
// gap before the text.
int DrawItemImage(HDC dc, HIMAGELIST images, int image, int x, const RECT& r);
// The *_SETIMAGELIST messages: the new list in place, the old one answered, all repainted.
LRESULT SwapImageList(HWND hwnd, HIMAGELIST& images, LPARAM lParam);
// WM_SETFONT of the controls that repaint whenever lParam asks, at any value.
LRESULT SetFontAndRedraw(HWND hwnd, HFONT& font, WPARAM wParam, LPARAM lParam);
// The grip of a size box: diagonal ridges in the bottom-right corner of r.
void DrawSizeGrip(HDC dc, const RECT& r);
// The window a grip sizes: the nearest window from `grip` up to its top-level window that has
// a sizing frame, when it is neither maximised nor minimised and the grip covers the bottom-right
// corner of its client area; otherwise none.
HWND CornerSizedWindow(HWND grip);
// A press on such a grip: that window is sized from its bottom-right corner, as a press on
// the frame's corner does (`screenPoint` as WM_NCLBUTTONDOWN gives it). False when the grip
// sizes no window.
bool SizeFromCorner(HWND grip, LPARAM screenPoint);
// Registers one class of the family (CS_DBLCLKS, one pointer of window extra).
void RegisterControlClass(const char16_t* name, WNDPROC proc, const char16_t* cursor);

// An item's text as a message hands it in, UTF-16 or UTF-8 (the "A" messages here).
template <class Char>
std::u16string ItemTextIn(const Char* text) {
  if constexpr (std::is_same_v<Char, char16_t>)
    return text;
  else
    return Utf8ToWide(text);
}
// An item's text copied out into a message's buffer of `max` characters, cut and terminated.
template <class Char>
void ItemTextOut(const std::u16string& text, Char* out, int max) {
  if (!out || max <= 0) return;
  std::basic_string<Char> converted;
  if constexpr (std::is_same_v<Char, char16_t>)
    converted = text;
  else
    converted = WideToUtf8(text);
  const size_t n = std::min(converted.size(), size_t(max - 1));
  std::copy_n(converted.data(), n, out);
  out[n] = Char(0);
}

// The classes of the family, registered by RegisterStandardControls.
void RegisterButtonClass();
void RegisterEditClass();
void RegisterStaticClass();
void RegisterProgressClass();
void RegisterListBoxClass();
void RegisterScrollBarClass();
void RegisterComboBoxClasses();
void RegisterComboListClass();
void RegisterListViewClass();
// The list box procedure, which the combo box's list builds on.
LRESULT ListBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void RegisterTabClass();
void RegisterUpDownClass();
void RegisterTrackBarClass();
void RegisterStatusBarClass();
void RegisterHeaderClass();
void RegisterDateTimeClass();

}  // namespace stdctl
