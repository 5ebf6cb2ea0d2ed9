#include "platform/user/scroll_track.h"

#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"

namespace {

constexpr UINT_PTR kRepeatTimer = 0x5C01;
constexpr UINT kFirstDelay = 250, kRepeatDelay = 50;

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

int Along(bool vertical, POINT p) { return vertical ? p.y : p.x; }

}  // namespace

int ScrollPartAt(const RECT& bar, bool vertical, const SCROLLINFO& info, POINT p) {
  if (!Inside(bar, p)) return kScrollNoPart;
  const ScrollBarParts parts = ScrollBarLayout(bar, vertical, info);
  if (Inside(parts.arrow1, p)) return kScrollArrow1;
  if (Inside(parts.arrow2, p)) return kScrollArrow2;
  if (parts.thumb.IsEmpty()) return kScrollNoPart;
  if (Inside(parts.thumb, p)) return kScrollThumb;
  const int thumbStart = vertical ? parts.thumb.top : parts.thumb.left;
  return Along(vertical, p) < thumbStart ? kScrollPageBefore : kScrollPageAfter;
}

void TrackScrollBar(const ScrollTracker& t, POINT press) {
  const RECT bar = t.bar();
  const SCROLLINFO start = t.info();
  const int part = ScrollPartAt(bar, t.vertical, start, press);
  if (part == kScrollNoPart) return;
  const ScrollBarParts parts = ScrollBarLayout(bar, t.vertical, start);
  const int arrow = t.vertical ? parts.arrow1.bottom - parts.arrow1.top : parts.arrow1.right - parts.arrow1.left;
  const int barStart = t.vertical ? bar.top : bar.left;
  // Where the cursor holds the thumb, from the thumb's start.
  const int grip = Along(t.vertical, press) - (t.vertical ? parts.thumb.top : parts.thumb.left);
  int dragPos = start.nPos;
  SetCapture(t.capture);
  t.show(part, dragPos);
  if (part != kScrollThumb) {
    t.notify(part, 0);
    SetTimer(t.capture, kRepeatTimer, kFirstDelay, nullptr);
  }
  MSG m;
  for (;;) {
    if (!GetMessageW(&m, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    if (!IsWindow(t.capture)) break;
    if (m.message == WM_LBUTTONUP || m.message == WM_NCLBUTTONUP) break;
    if (m.message == WM_TIMER && m.hwnd == t.capture && m.wParam == kRepeatTimer) {
      SetTimer(t.capture, kRepeatTimer, kRepeatDelay, nullptr);
      POINT at{};
      GetCursorPos(&at);
      // The track repeats only while the thumb has not reached the cursor.
      if (ScrollPartAt(t.bar(), t.vertical, t.info(), at) == part) t.notify(part, 0);
      continue;
    }
    if (m.message == WM_MOUSEMOVE || m.message == WM_NCMOUSEMOVE) {
      if (part != kScrollThumb) continue;
      const int offset = Along(t.vertical, m.pt) - grip - barStart - arrow;
      const int pos = ScrollPosFromThumb(t.bar(), t.vertical, start, offset);
      if (pos != dragPos) {
        dragPos = pos;
        t.show(part, pos);
        t.notify(SB_THUMBTRACK, pos);
      }
      continue;
    }
    if ((m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) ||
        (m.message >= WM_NCMOUSEMOVE && m.message <= WM_NCMBUTTONDBLCLK) ||
        (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST))
      continue;
    DispatchMessageW(&m);
    if (GetCapture() != t.capture) break;
  }
  const bool alive = IsWindow(t.capture);
  if (alive) KillTimer(t.capture, kRepeatTimer);
  if (alive && GetCapture() == t.capture) ReleaseCapture();
  if (!alive) return;
  if (part == kScrollThumb) t.notify(SB_THUMBPOSITION, dragPos);
  t.show(kScrollNoPart, dragPos);
  t.notify(SB_ENDSCROLL, 0);
}
