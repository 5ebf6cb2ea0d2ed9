// "msctls_trackbar32": a thumb moved along a channel by the mouse (dragged, or a page at a
// time by a press beside it) and by the arrow, page, Home and End keys; each move is reported
// to the parent with WM_HSCROLL (WM_VSCROLL for TBS_VERT) and ends with TB_ENDTRACK. Its
// parts are offered to the parent for custom drawing (NM_CUSTOMDRAW) before they are drawn.
#include <algorithm>
#include <cstdint>

#include "platform/forms/win/common_controls.h"
#include "platform/forms/win/control_util.h"
#include "platform/forms/win/trackbar_layout.h"
#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/user/default_proc.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

namespace {

using namespace stdctl;

struct TrackState {
  HFONT font = nullptr;
  int low = 0, high = 100, pos = 0;
  int line = 1, page = 20, freq = 1;
  bool dragging = false;
  bool focused = false;
};

DWORD StyleOf(HWND h) { return DWORD(GetWindowLongPtrW(h, GWL_STYLE)); }
bool Vertical(HWND h) { return (StyleOf(h) & TBS_VERT) != 0; }

TrackGeometry Geometry(HWND h, const TrackState* s) {
  RECT client{};
  GetClientRect(h, &client);
  return LayTrack(client, Vertical(h), (StyleOf(h) & TBS_BOTH) != 0, s->low, s->high, s->pos);
}

LRESULT CustomDraw(HWND h, HDC dc, DWORD stage, UINT_PTR item, const RECT& rc, const TrackState* s) {
  NMCUSTOMDRAW cd;
  cd.dwDrawStage = stage;
  cd.hdc = dc;
  cd.rc = rc;
  cd.dwItemSpec = item;
  cd.uItemState = (s->focused ? CDIS_FOCUS : 0) | (s->dragging ? CDIS_SELECTED : 0) |
                  (IsWindowEnabled(h) ? 0 : CDIS_DISABLED);
  return SendNotify(h, cd.hdr, NM_CUSTOMDRAW);
}

void DrawTics(HWND h, HDC dc, const TrackState* s, const TrackGeometry& g) {
  if ((StyleOf(h) & TBS_NOTICKS) || s->high <= s->low) return;
  const bool vertical = Vertical(h);
  const int64_t range = int64_t(s->high) - s->low;
  const int start = vertical ? g.channel.top : g.channel.left, end = vertical ? g.channel.bottom : g.channel.right;
  const int far = vertical ? g.thumb.right + 2 : g.thumb.bottom + 2;
  // With TBS_AUTOTICKS one tic per step of the frequency, at most one per pixel; else the ends.
  const int64_t step = (StyleOf(h) & TBS_AUTOTICKS) ? std::max<int64_t>({s->freq, 1, range / std::max(end - start, 1)})
                                                     : range;
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWTEXT));
  HGDIOBJ old = SelectObject(dc, pen);
  for (int64_t v = 0; v <= range; v += step) {
    const int at = start + int(v * (end - start) / range);
    MoveToEx(dc, vertical ? far : at, vertical ? at : far, nullptr);
    LineTo(dc, vertical ? far + 3 : at, vertical ? at : far + 3);
    if (v + step > range && v != range) v = range - step;  // the last tic stands at the end
  }
  SelectObject(dc, old);
  DeleteObject(pen);
}

void Paint(HWND h, HDC dc, TrackState* s) {
  RECT client{};
  GetClientRect(h, &client);
  FillRect(dc, &client, ControlBrush(h, dc, WM_CTLCOLORSTATIC));
  const LRESULT pre = CustomDraw(h, dc, CDDS_PREPAINT, 0, client, s);
  if (pre & CDRF_SKIPDEFAULT) return;
  const bool perItem = (pre & CDRF_NOTIFYITEMDRAW) != 0;
  const TrackGeometry g = Geometry(h, s);
  auto offered = [&](UINT_PTR item, const RECT& r) {
    return perItem && (CustomDraw(h, dc, CDDS_ITEMPREPAINT, item, r, s) & CDRF_SKIPDEFAULT);
  };
  if (!offered(TBCD_TICS, client)) DrawTics(h, dc, s, g);
  if (!offered(TBCD_CHANNEL, g.channel)) {
    RECT c = g.channel;
    DrawEdge(dc, &c, EDGE_SUNKEN, BF_RECT | BF_MIDDLE);
  }
  if (!(StyleOf(h) & TBS_NOTHUMB) && !offered(TBCD_THUMB, g.thumb)) {
    RECT t = g.thumb;
    DrawEdge(dc, &t, EDGE_RAISED, BF_RECT | BF_MIDDLE);
  }
  if (s->focused) {
    RECT f = client;
    DrawFocusRect(dc, &f);
  }
}

void Notify(HWND h, WORD code, int pos) {
  HWND parent = GetParent(h);
  if (!parent) return;
  const bool withPos = code == TB_THUMBTRACK || code == TB_THUMBPOSITION;
  SendMessageW(parent, Vertical(h) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, withPos ? WORD(pos) : 0),
               reinterpret_cast<LPARAM>(h));
}

bool SetPos(HWND h, TrackState* s, int64_t pos) {
  const int clamped = int(std::clamp<int64_t>(pos, s->low, std::max(s->low, s->high)));
  if (clamped == s->pos) return false;
  s->pos = clamped;
  InvalidateRect(h, nullptr, FALSE);
  return true;
}

// A move by the user: the new position, reported with its code and then the end of the move.
void Move(HWND h, TrackState* s, int64_t pos, WORD code) {
  SetPos(h, s, pos);
  Notify(h, code, s->pos);
  Notify(h, TB_ENDTRACK, s->pos);
}

LRESULT KeyDown(HWND h, TrackState* s, WPARAM key) {
  switch (key) {
    case VK_LEFT: case VK_UP: Move(h, s, int64_t(s->pos) - s->line, TB_LINEUP); break;
    case VK_RIGHT: case VK_DOWN: Move(h, s, int64_t(s->pos) + s->line, TB_LINEDOWN); break;
    case VK_PRIOR: Move(h, s, int64_t(s->pos) - s->page, TB_PAGEUP); break;
    case VK_NEXT: Move(h, s, int64_t(s->pos) + s->page, TB_PAGEDOWN); break;
    case VK_HOME: Move(h, s, s->low, TB_TOP); break;
    case VK_END: Move(h, s, s->high, TB_BOTTOM); break;
    default: break;
  }
  return 0;
}

int Along(HWND h, LPARAM lParam) { return Vertical(h) ? short(HIWORD(lParam)) : short(LOWORD(lParam)); }

LRESULT ButtonDown(HWND h, TrackState* s, LPARAM lParam) {
  if (GetFocus() != h) SetFocus(h);
  const POINT p{short(LOWORD(lParam)), short(HIWORD(lParam))};
  const TrackGeometry g = Geometry(h, s);
  if (PtInRect(g.thumb, p)) {
    s->dragging = true;
    SetCapture(h);
    InvalidateRect(h, nullptr, FALSE);
    return 0;
  }
  const int at = Along(h, lParam), centre = Vertical(h) ? (g.thumb.top + g.thumb.bottom) / 2
                                                          : (g.thumb.left + g.thumb.right) / 2;
  if (at < centre)
    Move(h, s, int64_t(s->pos) - s->page, TB_PAGEUP);
  else
    Move(h, s, int64_t(s->pos) + s->page, TB_PAGEDOWN);
  return 0;
}

LRESULT Drag(HWND h, TrackState* s, LPARAM lParam, bool end) {
  if (!s->dragging) return 0;
  RECT client{};
  GetClientRect(h, &client);
  SetPos(h, s, TrackPosAt(client, Vertical(h), s->low, s->high, Along(h, lParam)));
  if (!end) {
    Notify(h, TB_THUMBTRACK, s->pos);
    return 0;
  }
  s->dragging = false;
  ReleaseCapture();
  InvalidateRect(h, nullptr, FALSE);
  Notify(h, TB_THUMBPOSITION, s->pos);
  Notify(h, TB_ENDTRACK, s->pos);
  return 0;
}

LRESULT SetRange(HWND h, TrackState* s, int64_t low, int64_t high, WPARAM redraw) {
  s->low = int(low);
  s->high = int(high);
  s->pos = int(std::clamp<int64_t>(s->pos, s->low, std::max(s->low, s->high)));
  if (redraw) InvalidateRect(h, nullptr, FALSE);
  return 0;
}

LRESULT Handle(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, TrackState* s) {
  switch (msg) {
    case TBM_GETPOS: return s->pos;
    case TBM_GETRANGEMIN: return s->low;
    case TBM_GETRANGEMAX: return s->high;
    case TBM_SETPOS:
      s->pos = int(std::clamp<int64_t>(int(lParam), s->low, std::max(s->low, s->high)));
      if (wParam) InvalidateRect(h, nullptr, FALSE);
      return 0;
    case TBM_SETRANGE: return SetRange(h, s, short(LOWORD(lParam)), short(HIWORD(lParam)), wParam);
    case TBM_SETRANGEMIN: return SetRange(h, s, int(lParam), s->high, wParam);
    case TBM_SETRANGEMAX: return SetRange(h, s, s->low, int(lParam), wParam);
    case TBM_SETTICFREQ: s->freq = std::max(int(wParam), 1); InvalidateRect(h, nullptr, FALSE); return 0;
    case TBM_GETNUMTICS: {
      if (StyleOf(h) & TBS_NOTICKS) return 0;
      const int64_t range = int64_t(s->high) - s->low;
      return range <= 0 ? 1 : LRESULT(std::min<int64_t>(range / s->freq + (range % s->freq ? 2 : 1), INT32_MAX));
    }
    case TBM_SETPAGESIZE: { const int old = s->page; s->page = int(lParam); return old; }
    case TBM_GETPAGESIZE: return s->page;
    case TBM_SETLINESIZE: { const int old = s->line; s->line = int(lParam); return old; }
    case TBM_GETLINESIZE: return s->line;
    case TBM_GETTHUMBRECT:
    case TBM_GETCHANNELRECT:
      if (auto* r = reinterpret_cast<RECT*>(lParam)) {
        const TrackGeometry g = Geometry(h, s);
        *r = msg == TBM_GETTHUMBRECT ? g.thumb : g.channel;
      }
      return 0;
    case WM_SETFONT: s->font = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: return ButtonDown(h, s, lParam);
    case WM_MOUSEMOVE: return Drag(h, s, lParam, false);
    case WM_LBUTTONUP: return Drag(h, s, lParam, true);
    case WM_CAPTURECHANGED:
      if (s->dragging && HWND(lParam) != h) {
        s->dragging = false;
        InvalidateRect(h, nullptr, FALSE);
      }
      return 0;
    case WM_KEYDOWN: return KeyDown(h, s, wParam);
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_SETFOCUS: case WM_KILLFOCUS:
      s->focused = msg == WM_SETFOCUS;
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_SIZE: case WM_ENABLE: InvalidateRect(h, nullptr, FALSE); return 0;
    default: return DefWindowProcW(h, msg, wParam, lParam);
  }
}

}  // namespace

namespace stdctl {
void RegisterTrackBarClass() {
  RegisterControlClass(TRACKBAR_CLASS, ControlProc<TrackState, Paint, Handle>, IDC_ARROW);
}
}  // namespace stdctl
