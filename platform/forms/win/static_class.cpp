// "Static": text labels (SS_LEFT, SS_CENTER, SS_RIGHT, SS_LEFTNOWORDWRAP; with SS_EDITCONTROL a
// word too long for a line is broken, as an edit control breaks it). With SS_NOTIFY the
// label takes mouse input and reports clicks; without it the mouse passes through to the parent.
#include <memory>

#include "platform/forms/win/control_util.h"
#include "platform/forms/win/std_controls.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/user/default_proc.h"
#include "platform/user/input.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

namespace {

using namespace stdctl;

struct StaticState {
  HFONT font = nullptr;
};

UINT TextFormat(DWORD style) {
  UINT f = DT_EXPANDTABS;
  switch (style & SS_TYPEMASK) {
    case SS_CENTER: f |= DT_CENTER | DT_WORDBREAK; break;
    case SS_RIGHT: f |= DT_RIGHT | DT_WORDBREAK; break;
    case SS_LEFTNOWORDWRAP: f |= DT_LEFT; break;
    default: f |= DT_LEFT | DT_WORDBREAK; break;
  }
  if (style & SS_NOPREFIX) f |= DT_NOPREFIX;
  if (style & SS_EDITCONTROL) f |= DT_EDITCONTROL;
  if (style & SS_ENDELLIPSIS) f |= DT_END_ELLIPSIS | DT_SINGLELINE;
  return f;
}

void Paint(HWND h, HDC dc, StaticState* s) {
  RECT r;
  GetClientRect(h, &r);
  HBRUSH bg = ControlBrush(h, dc, WM_CTLCOLORSTATIC);
  if (bg) FillRect(dc, &r, bg);
  HGDIOBJ old = SelectObject(dc, FontOr(s->font));
  std::u16string text = GetWindowTextString(h);
  DrawControlText(dc, text, r, TextFormat(static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE))), IsWindowEnabled(h));
  SelectObject(dc, old);
}

LRESULT Handle(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, StaticState* s) {
  DWORD style = static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE));
  switch (msg) {
    case WM_NCHITTEST:
      return (style & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_GETDLGCODE:
      return DLGC_STATIC;
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(static_cast<std::uintptr_t>(lParam))) InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcW(h, msg, wParam, lParam);
      InvalidateRect(h, nullptr, TRUE);
      return r;
    }
    case WM_ENABLE:
      InvalidateRect(h, nullptr, TRUE);
      return 0;
    case WM_LBUTTONDOWN:
      if (style & SS_NOTIFY) NotifyParent(h, STN_CLICKED);
      return 0;
    case WM_LBUTTONDBLCLK:
      if (style & SS_NOTIFY) NotifyParent(h, STN_DBLCLK);
      return 0;
    default:
      return DefWindowProcW(h, msg, wParam, lParam);
  }
}

}  // namespace

namespace stdctl {
void RegisterStaticClass() { RegisterControlClass(WC_STATIC, ControlProc<StaticState, Paint, Handle>, IDC_ARROW); }
}  // namespace stdctl
