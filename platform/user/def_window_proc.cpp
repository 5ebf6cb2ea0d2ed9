// DefWindowProc: the default answer to every message.
#include <algorithm>
#include <cstring>

#include "platform/rtl/strings.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/shapes.h"
#include "platform/user/default_proc.h"
#include "platform/user/hooks.h"
#include "platform/user/input.h"
#include "platform/user/internal/back_buffer.h"
#include "platform/user/internal/internal_procs.h"
#include "platform/user/menus.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

using namespace user_internal;

namespace {

// Alt pressed and released with no other key in between opens the menu bar.
bool altAlone = false;

LRESULT SizeType(const Window* w) {
  if (w->style & WS_MINIMIZE) return SIZE_MINIMIZED;
  if (w->style & WS_MAXIMIZE) return SIZE_MAXIMIZED;
  return SIZE_RESTORED;
}

void RepaintFrame(HWND hwnd) {
  Window* w = State().Find(hwnd);
  if (!w || !IsVisibleChain(w)) return;
  DefaultNcPaint(w);  // draws only the parts the window has
}

LRESULT SetCursorDefault(HWND hwnd, Window* w, WPARAM wParam, LPARAM lParam) {
  if (w->parent) {
    if (Send(w->parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
    if (!(w = State().Find(hwnd))) return FALSE;
  }
  auto hit = static_cast<std::int16_t>(LOWORD(static_cast<std::uintptr_t>(lParam)));
  UINT mouse = HIWORD(static_cast<std::uintptr_t>(lParam));
  switch (hit) {
    case HTCLIENT:
      if (w->cls->cursor) SetCursor(w->cls->cursor);
      return TRUE;
    case HTLEFT: case HTRIGHT:
      SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
      return TRUE;
    case HTTOP: case HTBOTTOM:
      SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
      return TRUE;
    case HTTOPLEFT: case HTBOTTOMRIGHT:
      SetCursor(LoadCursorW(nullptr, IDC_SIZENWSE));
      return TRUE;
    case HTTOPRIGHT: case HTBOTTOMLEFT:
      SetCursor(LoadCursorW(nullptr, IDC_SIZENESW));
      return TRUE;
    case HTERROR:
      if (mouse == WM_LBUTTONDOWN || mouse == WM_RBUTTONDOWN || mouse == WM_MBUTTONDOWN) MessageBeep(0);
      return FALSE;
    default:
      SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      return FALSE;
  }
}

LRESULT ClampTrackSize(HWND hwnd, Window* w, WINDOWPOS* wp) {
  if (!wp || (wp->flags & SWP_NOSIZE) || (w->style & (WS_MINIMIZE | WS_MAXIMIZE))) return 0;
  if (!((w->style & WS_THICKFRAME) || !(w->style & (WS_POPUP | WS_CHILD)))) return 0;
  MINMAXINFO mmi = QueryMinMax(hwnd);
  if (!State().Find(hwnd)) return 0;
  wp->cx = std::min(std::max(wp->cx, static_cast<int>(mmi.ptMinTrackSize.x)), static_cast<int>(mmi.ptMaxTrackSize.x));
  wp->cy = std::min(std::max(wp->cy, static_cast<int>(mmi.ptMinTrackSize.y)), static_cast<int>(mmi.ptMaxTrackSize.y));
  wp->cx = std::max(wp->cx, 0);
  wp->cy = std::max(wp->cy, 0);
  return 0;
}

LRESULT EraseBackground(Window* w, HDC dc) {
  if (!w->cls->background || !dc) return 0;
  RECT r{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  return FillRect(dc, &r, w->cls->background) ? 1 : 0;
}

HWND TopOf(Window* w) { return TopLevelOf(w)->handle; }

// WM_PRINT: the frame, background, client and children into a DC of the window's size.
void PrintWindowInto(HWND hwnd, HDC dc, LPARAM flags) {
  Window* w = State().Find(hwnd);
  if (!w || !dc) return;
  if ((flags & PRF_CHECKVISIBLE) && !IsWindowVisible(hwnd)) return;
  if (flags & PRF_NONCLIENT) PaintFrameInto(w, dc);
  POINT client{w->client.left - w->window.left, w->client.top - w->window.top};
  POINT old{};
  OffsetViewportOrgEx(dc, client.x, client.y, &old);
  if (flags & PRF_ERASEBKGND) Send(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  if (flags & PRF_CLIENT) Send(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), flags);
  if ((flags & PRF_CHILDREN) && (w = State().Find(hwnd))) {
    std::vector<HWND> children(w->children.rbegin(), w->children.rend());  // bottom first
    for (HWND c : children) {
      Window* cw = State().Find(c);
      if (!cw || !(cw->style & WS_VISIBLE)) continue;
      POINT inner{};
      OffsetViewportOrgEx(dc, cw->window.left, cw->window.top, &inner);
      Send(c, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags | PRF_NONCLIENT);
      SetViewportOrgEx(dc, inner.x, inner.y, nullptr);
    }
  }
  SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

}  // namespace

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  UserState& s = State();
  Window* w = s.Find(hwnd);
  if (!w) return 0;
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) w->text = cs->lpszName;
      return TRUE;
    }
    case WM_NCCALCSIZE:
      return DefaultNcCalcSize(w, wParam, lParam);
    case WM_NCHITTEST:
      return DefaultNcHitTest(w, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_NCPAINT:
      RepaintFrame(hwnd);
      return 0;
    case WM_NCACTIVATE:
      w->ncActive = wParam != 0;
      RepaintFrame(hwnd);
      return TRUE;
    case WM_SETTEXT: {
      const auto* text = reinterpret_cast<const char16_t*>(lParam);
      w->text = text ? std::u16string(text) : std::u16string();
      if (!w->parent && w->native) s.Display().SetNativeTitle(w->native, WideToUtf8(w->text));
      if ((w->style & WS_CAPTION) == WS_CAPTION) RepaintFrame(hwnd);
      return TRUE;
    }
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<char16_t*>(lParam);
      if (!buffer || wParam == 0) return 0;
      size_t n = std::min(w->text.size(), static_cast<size_t>(wParam) - 1);
      std::copy_n(w->text.data(), n, buffer);
      buffer[n] = 0;
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(w->text.size());
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return EraseBackground(w, reinterpret_cast<HDC>(wParam));
    case WM_PRINTCLIENT:
    case WM_SHOWWINDOW:
    case WM_GETDLGCODE:
      return 0;
    case WM_PRINT:
      PrintWindowInto(hwnd, reinterpret_cast<HDC>(wParam), lParam);
      return 0;
    case WM_SETREDRAW:
      if (wParam) {
        w->style |= WS_VISIBLE;
      } else {
        w->style &= ~WS_VISIBLE;
      }
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SYSCOMMAND:
      DefaultSysCommand(hwnd, wParam, lParam);
      return 0;
    case WM_NCLBUTTONDOWN:
      DefaultNcMouseDown(hwnd, static_cast<LRESULT>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_NCLBUTTONDBLCLK:
      // The second of two quick clicks on a scroll bar is a press like the first.
      if (wParam == static_cast<WPARAM>(HTVSCROLL) || wParam == static_cast<WPARAM>(HTHSCROLL))
        DefaultNcMouseDown(hwnd, static_cast<LRESULT>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      else if (wParam == static_cast<WPARAM>(HTCAPTION) && (w->style & WS_MAXIMIZEBOX))
        Send(hwnd, WM_SYSCOMMAND, (w->style & (WS_MAXIMIZE | WS_MINIMIZE)) ? SC_RESTORE : SC_MAXIMIZE, lParam);
      else if (wParam == static_cast<WPARAM>(HTSYSMENU))
        Send(hwnd, WM_SYSCOMMAND, SC_CLOSE, lParam);
      return 0;
    case WM_RBUTTONUP: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(hwnd, &p);
      Send(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(p.x, p.y));
      return 0;
    }
    case WM_NCRBUTTONUP:
      if (wParam == static_cast<WPARAM>(HTCAPTION) || wParam == static_cast<WPARAM>(HTSYSMENU))
        Send(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), lParam);
      return 0;
    case WM_CONTEXTMENU:
      if (w->style & WS_CHILD) return Send(w->parent, msg, wParam, lParam);
      if ((w->style & WS_SYSMENU) && DefaultNcHitTest(w, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) ==
                                         HTCAPTION)
        ShowSystemMenuAt(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_MOUSEWHEEL:
      if (w->style & WS_CHILD) return Send(w->parent, msg, wParam, lParam);
      return 0;
    case WM_SETCURSOR:
      return SetCursorDefault(hwnd, w, wParam, lParam);
    case WM_MOUSEACTIVATE:
      if (w->style & WS_CHILD) {
        LRESULT r = Send(w->parent, msg, wParam, lParam);
        if (r) return r;
      }
      return MA_ACTIVATE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) {
        if (!s.focus || (s.focus != hwnd && !IsChild(hwnd, s.focus))) SetFocus(hwnd);
      }
      return 0;
    case WM_WINDOWPOSCHANGING:
      return ClampTrackSize(hwnd, w, reinterpret_cast<WINDOWPOS*>(lParam));
    case WM_WINDOWPOSCHANGED: {
      auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
      if (!wp) return 0;
      RECT c = w->client;
      if (!(wp->flags & SWP_NOCLIENTMOVE)) Send(hwnd, WM_MOVE, 0, MAKELPARAM(c.left, c.top));
      if (!(w = s.Find(hwnd))) return 0;
      if (!(wp->flags & SWP_NOCLIENTSIZE))
        Send(hwnd, WM_SIZE, static_cast<WPARAM>(SizeType(w)), MAKELPARAM(c.right - c.left, c.bottom - c.top));
      return 0;
    }
    case WM_CANCELMODE:
      if (s.capture == hwnd) ReleaseCapture();
      return 0;
    case WM_GETICON:
      return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? w->iconBig : w->iconSmall);
    case WM_SETICON: {
      HICON& slot = wParam == ICON_BIG ? w->iconBig : w->iconSmall;
      HICON old = slot;
      slot = reinterpret_cast<HICON>(lParam);
      if (!w->parent) SyncNativeIcon(w);
      RepaintFrame(hwnd);
      return reinterpret_cast<LRESULT>(old);
    }
    case WM_KEYDOWN:
      if (wParam == static_cast<WPARAM>(VK_F10)) altAlone = true;
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == static_cast<WPARAM>(VK_MENU)) {
        altAlone = true;
      } else {
        altAlone = false;
        if (wParam == static_cast<WPARAM>(VK_F4) && (lParam & (1 << 29)))
          Send(TopOf(w), WM_SYSCOMMAND, SC_CLOSE, 0);
        else if (wParam == static_cast<WPARAM>(VK_F10))
          altAlone = true;
      }
      return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if ((wParam == static_cast<WPARAM>(VK_MENU) || wParam == static_cast<WPARAM>(VK_F10)) && altAlone) {
        altAlone = false;
        Send(TopOf(w), WM_SYSCOMMAND, SC_KEYMENU, 0);
      }
      return 0;
    case WM_SYSCHAR:
      altAlone = false;
      if (wParam == u'\r' && (w->style & WS_MINIMIZE)) {
        // Enter on a minimised window that has the keyboard brings it back.
        PostMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
      } else if (wParam == u' ' && (w->style & WS_SYSMENU)) {
        Send(TopOf(w), WM_SYSCOMMAND, SC_KEYMENU, u' ');
      } else if (lParam & (1 << 29)) {
        Send(TopOf(w), WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wParam));
      }
      return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(DefaultControlColor(reinterpret_cast<HDC>(wParam), msg));
    case WM_NCDESTROY:
      w->text.clear();
      return 0;
    default:
      return 0;
  }
}
