// "msctls_updown32": two arrow buttons, stacked or (UDS_HORZ) side by side, over a position
// within a range. The up arrow (the right one of a horizontal pair) moves the position toward
// the range's upper limit, which may lie below the lower one. A press steps at once: the parent
// is asked (UDN_DELTAPOS) and then told (WM_VSCROLL, or WM_HSCROLL for UDS_HORZ, with
// SB_THUMBPOSITION and the new position, the control's handle in lParam); the step repeats
// while the button is held over the arrow, and the release ends with SB_ENDSCROLL. At an end of
// the range the arrow toward it is greyed and does nothing, unless UDS_WRAP carries the
// position round to the other end. The control keeps no buddy window.
#include <algorithm>
#include <cstdint>

#include "platform/forms/win/common_controls.h"
#include "platform/forms/win/control_util.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/scroll_track.h"
#include "platform/user/window.h"

namespace {

using namespace stdctl;

constexpr UINT_PTR kRepeatTimer = 1;
constexpr UINT kFirstDelay = 400, kRepeatDelay = 100;
constexpr int kNoHalf = -1;

struct UpDownState {
  int low = 100, high = 0;  // the lower and upper limits (Windows' defaults)
  int pos = 0;
  int held = kNoHalf;  // the half pressed: 0 top or left, 1 bottom or right
  bool over = false;   // the cursor over the held half
};

DWORD StyleOf(HWND h) { return DWORD(GetWindowLongPtrW(h, GWL_STYLE)); }
bool Horizontal(HWND h) { return (StyleOf(h) & UDS_HORZ) != 0; }
// The up arrow is the top one, or the right one of a horizontal pair.
bool IsUp(bool horizontal, int half) { return horizontal ? half == 1 : half == 0; }

RECT HalfRect(const RECT& c, bool horizontal, int half) {
  const LONG midX = (c.left + c.right) / 2, midY = (c.top + c.bottom) / 2;
  if (horizontal) return half == 0 ? RECT{c.left, c.top, midX, c.bottom} : RECT{midX, c.top, c.right, c.bottom};
  return half == 0 ? RECT{c.left, c.top, c.right, midY} : RECT{c.left, midY, c.right, c.bottom};
}

int HalfAt(HWND h, LPARAM lParam) {
  RECT c{};
  GetClientRect(h, &c);
  const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  for (int half = 0; half < 2; ++half)
    if (PtInRect(HalfRect(c, Horizontal(h), half), p)) return half;
  return kNoHalf;
}

int Clamp(const UpDownState* s, int64_t pos) {
  return int(std::clamp<int64_t>(pos, std::min(s->low, s->high), std::max(s->low, s->high)));
}

// Where one step moves the position, or the position itself where the range ends it.
int Target(HWND h, const UpDownState* s, bool up) {
  const int delta = (up == (s->high >= s->low)) ? 1 : -1;
  const int64_t next = int64_t(s->pos) + delta;
  const int bottom = std::min(s->low, s->high), top = std::max(s->low, s->high);
  if (next >= bottom && next <= top) return int(next);
  if (!(StyleOf(h) & UDS_WRAP) || bottom == top) return Clamp(s, s->pos);
  return next > top ? bottom : top;
}

void Tell(HWND h, int code, int pos) {
  if (HWND parent = GetParent(h))
    SendMessageW(parent, Horizontal(h) ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(WORD(code), WORD(pos)),
                 reinterpret_cast<LPARAM>(h));
}

// One step of the held arrow. Runs last in its handler: the parent may destroy the control.
void Step(HWND h, UpDownState* s, bool up) {
  const int target = Target(h, s, up);
  if (target == s->pos) return;
  NMUPDOWN n;
  n.iPos = s->pos;
  n.iDelta = target - s->pos;
  if (SendNotify(h, n.hdr, UDN_DELTAPOS)) return;
  s = StateOf<UpDownState>(h);
  if (!s) return;
  s->pos = target;
  InvalidateRect(h, nullptr, FALSE);
  Tell(h, SB_THUMBPOSITION, target);
}

void Paint(HWND h, HDC dc, UpDownState* s) {
  RECT c{};
  GetClientRect(h, &c);
  const bool horizontal = Horizontal(h), enabled = IsWindowEnabled(h) != FALSE;
  for (int half = 0; half < 2; ++half) {
    const bool up = IsUp(horizontal, half);
    const int direction = horizontal ? (up ? 3 : 2) : (up ? 0 : 1);
    const bool live = Target(h, s, up) != s->pos;
    DrawScrollArrowButton(dc, HalfRect(c, horizontal, half), direction, s->held == half && s->over, enabled && live);
  }
}

LRESULT Press(HWND h, UpDownState* s, LPARAM lParam) {
  const int half = HalfAt(h, lParam);
  if (half == kNoHalf || !IsWindowEnabled(h)) return 0;
  s->held = half;
  s->over = true;
  SetCapture(h);
  SetTimer(h, kRepeatTimer, kFirstDelay, nullptr);
  InvalidateRect(h, nullptr, FALSE);
  Step(h, s, IsUp(Horizontal(h), half));
  return 0;
}

void EndPress(HWND h, UpDownState* s) {
  if (s->held == kNoHalf) return;
  s->held = kNoHalf;
  KillTimer(h, kRepeatTimer);
  InvalidateRect(h, nullptr, FALSE);
  if (GetCapture() == h) ReleaseCapture();
  Tell(h, SB_ENDSCROLL, s->pos);
}

LRESULT SetPos(HWND h, UpDownState* s, int64_t pos) {
  const int old = s->pos;
  s->pos = Clamp(s, pos);
  InvalidateRect(h, nullptr, FALSE);
  return old;
}

LRESULT SetRange(HWND h, UpDownState* s, int low, int high) {
  s->low = low;
  s->high = high;
  SetPos(h, s, s->pos);
  return 0;
}

LRESULT Handle(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, UpDownState* s) {
  switch (msg) {
    // The 16-bit range comes as the upper limit in the low word, the lower in the high word.
    case UDM_SETRANGE: return SetRange(h, s, short(HIWORD(lParam)), short(LOWORD(lParam)));
    case UDM_GETRANGE: return MAKELRESULT(WORD(s->high), WORD(s->low));
    case UDM_SETRANGE32: return SetRange(h, s, int(wParam), int(lParam));
    case UDM_GETRANGE32:
      if (auto* low = reinterpret_cast<int*>(wParam)) *low = s->low;
      if (auto* high = reinterpret_cast<int*>(lParam)) *high = s->high;
      return 0;
    case UDM_SETPOS: return SetPos(h, s, short(LOWORD(lParam)));
    case UDM_GETPOS: return MAKELRESULT(WORD(s->pos), 0);  // high word 0: no error
    case UDM_SETPOS32: return SetPos(h, s, int(lParam));
    case UDM_GETPOS32:
      if (auto* error = reinterpret_cast<BOOL*>(lParam)) *error = FALSE;
      return s->pos;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: return Press(h, s, lParam);
    case WM_MOUSEMOVE:
      if (s->held != kNoHalf && s->over != (HalfAt(h, lParam) == s->held)) {
        s->over = !s->over;
        InvalidateRect(h, nullptr, FALSE);
      }
      return 0;
    case WM_TIMER:
      if (wParam != kRepeatTimer || s->held == kNoHalf) return 0;
      SetTimer(h, kRepeatTimer, kRepeatDelay, nullptr);
      if (s->over) Step(h, s, IsUp(Horizontal(h), s->held));
      return 0;
    case WM_LBUTTONUP: EndPress(h, s); return 0;
    case WM_CAPTURECHANGED:
      if (HWND(lParam) != h) EndPress(h, s);
      return 0;
    case WM_ENABLE:
    case WM_SIZE:
    case WM_STYLECHANGED: InvalidateRect(h, nullptr, FALSE); return 0;
    default: return DefWindowProcW(h, msg, wParam, lParam);
  }
}

}  // namespace

namespace stdctl {
void RegisterUpDownClass() { RegisterControlClass(UPDOWN_CLASS, ControlProc<UpDownState, Paint, Handle>, IDC_ARROW); }
}  // namespace stdctl
