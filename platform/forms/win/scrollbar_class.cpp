// "ScrollBar": a scroll bar control, horizontal (SBS_HORZ) or vertical (SBS_VERT), keeping its
// own range, page and position (SBM_ messages, SetScrollInfo with SB_CTL). Presses are tracked
// until release and reported to the parent as WM_HSCROLL / WM_VSCROLL with the control's handle
// in lParam, as are the arrow, page, Home and End keys while it has the focus.
// With SBS_SIZEBOX or SBS_SIZEGRIP the window is a size box instead: it draws the grip, has no
// range or position, and where it covers the bottom-right corner of a sizeable window's client
// area it is that window's corner: the mouse there sizes the window as its frame's corner does.
#include <algorithm>

#include "platform/forms/win/control_util.h"
#include "platform/forms/win/std_controls.h"
#include "platform/gdi/colors.h"
#include "platform/user/metrics.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/scroll_track.h"
#include "platform/user/window.h"

namespace {

using namespace stdctl;

struct ScrollBarState {
  int min = 0, max = 100, pos = 0, trackPos = 0;
  UINT page = 0;
  bool tracking = false;
  int held = kScrollNoPart;
};

DWORD Style(HWND h) { return static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE)); }
bool Vertical(HWND h) { return (Style(h) & SBS_VERT) != 0; }
bool SizeBox(HWND h) { return (Style(h) & (SBS_SIZEBOX | SBS_SIZEGRIP)) != 0; }

SCROLLINFO InfoOf(const ScrollBarState* s, bool drawn) {
  return SCROLLINFO{sizeof(SCROLLINFO), SIF_ALL, s->min, s->max, s->page,
                    drawn && s->tracking ? s->trackPos : s->pos, s->trackPos};
}

// The position kept within the range, the page's last stretch excluded.
int Clamp(const ScrollBarState* s, int pos) {
  const int64_t top = static_cast<int64_t>(s->max) - std::max<int64_t>(static_cast<int64_t>(s->page) - 1, 0);
  return static_cast<int>(std::clamp<int64_t>(pos, s->min, std::max<int64_t>(s->min, top)));
}

void Paint(HWND h, HDC dc, ScrollBarState* s) {
  RECT r;
  GetClientRect(h, &r);
  if (SizeBox(h)) {
    FillSolid(dc, r, GetSysColor(COLOR_BTNFACE));
    DrawSizeGrip(dc, r);
    return;
  }
  DrawScrollBar(dc, r, Vertical(h), InfoOf(s, true), s->held, IsWindowEnabled(h));
}

void Redraw(HWND h, BOOL redraw) {
  if (redraw) InvalidateRect(h, nullptr, FALSE);
}

int SetInfo(HWND h, ScrollBarState* s, const SCROLLINFO& si, BOOL redraw) {
  if (si.fMask & SIF_RANGE) {
    s->min = si.nMin;
    s->max = std::max(si.nMin, si.nMax);
  }
  if (si.fMask & SIF_PAGE) {
    const int64_t range = static_cast<int64_t>(s->max) - s->min + 1;
    s->page = static_cast<UINT>(std::min<int64_t>(si.nPage, range));
  }
  if (si.fMask & SIF_POS) s->pos = si.nPos;
  s->pos = Clamp(s, s->pos);
  Redraw(h, redraw);
  return s->pos;
}

void Notify(HWND h, int code, int pos) {
  HWND parent = GetParent(h);
  if (!parent) return;
  SendMessageW(parent, Vertical(h) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(pos)),
               reinterpret_cast<LPARAM>(h));
}

void Press(HWND h, LPARAM lParam) {
  if (Style(h) & WS_TABSTOP) SetFocus(h);
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ClientToScreen(h, &p);
  ScrollTracker t;
  t.capture = h;
  t.vertical = Vertical(h);
  t.bar = [h] {
    RECT r{};
    GetClientRect(h, &r);
    POINT o{0, 0};
    ClientToScreen(h, &o);
    return RECT{r.left + o.x, r.top + o.y, r.right + o.x, r.bottom + o.y};
  };
  t.info = [h] {
    const auto* s = StateOf<ScrollBarState>(h);
    return s ? InfoOf(s, false) : SCROLLINFO{};
  };
  t.notify = [h](int code, int pos) { Notify(h, code, pos); };
  t.show = [h](int part, int pos) {
    auto* s = StateOf<ScrollBarState>(h);
    if (!s) return;
    s->held = part;
    s->tracking = part == kScrollThumb;
    s->trackPos = pos;
    InvalidateRect(h, nullptr, FALSE);
    UpdateWindow(h);
  };
  TrackScrollBar(t, p);
}

int KeyCode(WPARAM key) {
  switch (key) {
    case VK_UP: case VK_LEFT: return SB_LINEUP;
    case VK_DOWN: case VK_RIGHT: return SB_LINEDOWN;
    case VK_PRIOR: return SB_PAGEUP;
    case VK_NEXT: return SB_PAGEDOWN;
    case VK_HOME: return SB_TOP;
    case VK_END: return SB_BOTTOM;
    default: return -1;
  }
}

LRESULT BarInfo(HWND h, ScrollBarState* s, SCROLLBARINFO* info) {
  if (!info || info->cbSize != sizeof(SCROLLBARINFO)) return FALSE;
  RECT client{};
  GetClientRect(h, &client);
  const bool vertical = Vertical(h);
  const ScrollBarParts p = ScrollBarLayout(client, vertical, InfoOf(s, true));
  GetWindowRect(h, &info->rcScrollBar);
  std::fill(std::begin(info->rgstate), std::end(info->rgstate), 0u);
  info->dxyLineButton = vertical ? p.arrow1.bottom - p.arrow1.top : p.arrow1.right - p.arrow1.left;
  info->xyThumbTop = vertical ? p.thumb.top : p.thumb.left;
  info->xyThumbBottom = vertical ? p.thumb.bottom : p.thumb.right;
  if (p.thumb.IsEmpty()) {
    info->xyThumbTop = info->xyThumbBottom = 0;
    info->rgstate[3] = STATE_SYSTEM_INVISIBLE;
  }
  if (!IsWindowVisible(h)) info->rgstate[0] |= STATE_SYSTEM_INVISIBLE;
  if (!IsWindowEnabled(h)) info->rgstate[0] |= STATE_SYSTEM_UNAVAILABLE;
  if (s->held != kScrollNoPart) info->rgstate[0] |= STATE_SYSTEM_PRESSED;
  return TRUE;
}

// The alignment styles at creation: the system's size for a size box, at the rectangle's
// top-left or bottom-right corner.
void PlaceSizeBox(HWND h, const CREATESTRUCTW* cs) {
  const DWORD style = Style(h);
  if (!cs || !(style & (SBS_SIZEBOXTOPLEFTALIGN | SBS_SIZEBOXBOTTOMRIGHTALIGN))) return;
  const int w = GetSystemMetrics(SM_CXVSCROLL), ht = GetSystemMetrics(SM_CYHSCROLL);
  int x = cs->x, y = cs->y;
  if (!(style & SBS_SIZEBOXTOPLEFTALIGN)) {
    x = cs->x + cs->cx - w;
    y = cs->y + cs->cy - ht;
  }
  SetWindowPos(h, nullptr, x, y, w, ht, SWP_NOZORDER | SWP_NOACTIVATE);
}

// A size box keeps no range: the scroll-bar requests change nothing and report an empty one.
LRESULT HandleSizeBox(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      PlaceSizeBox(h, reinterpret_cast<const CREATESTRUCTW*>(lParam));
      return 0;
    case WM_NCHITTEST:
      return CornerSizedWindow(h) ? HTBOTTOMRIGHT : HTCLIENT;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      if (wParam == static_cast<WPARAM>(HTBOTTOMRIGHT) && SizeFromCorner(h, lParam)) return 0;
      return DefWindowProcW(h, msg, wParam, lParam);
    case SBM_GETRANGE:
      if (wParam) *reinterpret_cast<int*>(wParam) = 0;
      if (lParam) *reinterpret_cast<int*>(lParam) = 0;
      return 0;
    case SBM_SETPOS: case SBM_GETPOS: case SBM_SETRANGE: case SBM_SETRANGEREDRAW: case SBM_SETSCROLLINFO:
    case SBM_ENABLE_ARROWS:
      return 0;
    case SBM_GETSCROLLINFO: {
      auto* si = reinterpret_cast<SCROLLINFO*>(lParam);
      if (!si) return FALSE;
      si->nMin = si->nMax = si->nPos = si->nTrackPos = 0;
      si->nPage = 0;
      return TRUE;
    }
    case SBM_GETSCROLLBARINFO:
      return FALSE;
    case WM_ENABLE:
    case WM_SIZE:
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    default:
      return DefWindowProcW(h, msg, wParam, lParam);
  }
}

LRESULT Handle(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, ScrollBarState* s) {
  if (SizeBox(h)) return HandleSizeBox(h, msg, wParam, lParam);
  switch (msg) {
    case SBM_SETPOS: {
      const int old = s->pos;
      s->pos = Clamp(s, static_cast<int>(wParam));
      Redraw(h, static_cast<BOOL>(lParam));
      return old;
    }
    case SBM_GETPOS:
      return s->pos;
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
      const int old = s->pos;
      SCROLLINFO si{sizeof si, SIF_RANGE, static_cast<int>(wParam), static_cast<int>(lParam), 0, 0, 0};
      SetInfo(h, s, si, msg == SBM_SETRANGEREDRAW);
      return s->pos != old ? old : 0;
    }
    case SBM_GETRANGE:
      if (wParam) *reinterpret_cast<int*>(wParam) = s->min;
      if (lParam) *reinterpret_cast<int*>(lParam) = s->max;
      return 0;
    case SBM_SETSCROLLINFO:
      return lParam ? SetInfo(h, s, *reinterpret_cast<const SCROLLINFO*>(lParam), static_cast<BOOL>(wParam)) : s->pos;
    case SBM_GETSCROLLINFO: {
      auto* si = reinterpret_cast<SCROLLINFO*>(lParam);
      if (!si) return FALSE;
      const SCROLLINFO all = InfoOf(s, false);
      if (si->fMask & SIF_RANGE) {
        si->nMin = all.nMin;
        si->nMax = all.nMax;
      }
      if (si->fMask & SIF_PAGE) si->nPage = all.nPage;
      if (si->fMask & SIF_POS) si->nPos = all.nPos;
      if (si->fMask & SIF_TRACKPOS) si->nTrackPos = s->tracking ? s->trackPos : s->pos;
      return TRUE;
    }
    case SBM_GETSCROLLBARINFO:
      return BarInfo(h, s, reinterpret_cast<SCROLLBARINFO*>(lParam));
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      Press(h, lParam);
      return 0;
    case WM_KEYDOWN: {
      const int code = KeyCode(wParam);
      if (code >= 0) Notify(h, code, 0);
      return 0;
    }
    case WM_KEYUP:
      if (KeyCode(wParam) >= 0) Notify(h, SB_ENDSCROLL, 0);
      return 0;
    case WM_ENABLE:
    case WM_SIZE:
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    default:
      return DefWindowProcW(h, msg, wParam, lParam);
  }
}

}  // namespace

namespace stdctl {
void RegisterScrollBarClass() { RegisterControlClass(WC_SCROLLBAR, ControlProc<ScrollBarState, Paint, Handle>, IDC_ARROW); }
}  // namespace stdctl
