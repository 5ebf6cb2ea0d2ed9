#include "platform/user/scroll.h"

#include <algorithm>

#include "platform/user/internal/internal_procs.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/painting.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"

using namespace user_internal;

namespace {

Window::ScrollState* StateOf(HWND hwnd, int bar) {
  Window* w = State().Find(hwnd);
  if (!w || (bar != SB_HORZ && bar != SB_VERT)) return nullptr;
  return &w->scroll[bar];
}

int Clamp(const Window::ScrollState& s, int pos) {
  int top = s.max - std::max(static_cast<int>(s.page) - 1, 0);
  return std::clamp(pos, s.min, std::max(s.min, top));
}

void Redraw(HWND hwnd) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
}

// A bar has something to scroll while its range holds more positions than one page shows.
bool HasScroll(const Window::ScrollState& s) {
  const std::int64_t positions = static_cast<std::int64_t>(s.max) - s.min + 1;
  return positions > 1 && (s.page == 0 || s.page < positions);
}

// New range or page: a bar with nothing to scroll goes (the client area grows back), or stays
// greyed when the caller asks for that; one with something to scroll comes back enabled.
// Returns false when the window went away meanwhile.
bool ShowOrHide(HWND hwnd, int bar, UINT mask) {
  Window::ScrollState* s = StateOf(hwnd, bar);
  if (!s) return false;
  const bool scrolls = HasScroll(*s);
  s->disabled = !scrolls && (mask & SIF_DISABLENOSCROLL);
  if (scrolls)
    ShowScrollBar(hwnd, bar, TRUE);
  else if (!(mask & SIF_DISABLENOSCROLL))
    ShowScrollBar(hwnd, bar, FALSE);
  return StateOf(hwnd, bar) != nullptr;
}

}  // namespace

namespace {

struct Track {
  int arrow, length, thickness, track;
};

Track TrackOf(const RECT& bar, bool vertical) {
  Track t{};
  t.length = vertical ? bar.bottom - bar.top : bar.right - bar.left;
  t.thickness = vertical ? bar.right - bar.left : bar.bottom - bar.top;
  t.arrow = std::max(0, std::min(t.thickness, t.length / 2));
  t.track = t.length - 2 * t.arrow;
  return t;
}

// The thumb's length and the positions it can stand at (0 when it cannot move).
bool ThumbOf(const Track& t, const SCROLLINFO& si, std::int64_t& size, std::int64_t& span) {
  std::int64_t range = static_cast<std::int64_t>(si.nMax) - si.nMin + 1;
  if (t.track < 8 || range <= 1 || (si.nPage > 0 && si.nPage >= range)) return false;
  size = si.nPage > 0 ? std::max<std::int64_t>(8, t.track * static_cast<std::int64_t>(si.nPage) / range)
                      : t.thickness;
  size = std::min<std::int64_t>(size, t.track);
  span = range - std::max<std::int64_t>(si.nPage, 1);
  return true;
}

}  // namespace

ScrollBarParts ScrollBarLayout(const RECT& bar, bool vertical, const SCROLLINFO& si) {
  ScrollBarParts p{};
  const Track t = TrackOf(bar, vertical);
  if (vertical) {
    p.arrow1 = RECT{bar.left, bar.top, bar.right, bar.top + t.arrow};
    p.arrow2 = RECT{bar.left, bar.bottom - t.arrow, bar.right, bar.bottom};
  } else {
    p.arrow1 = RECT{bar.left, bar.top, bar.left + t.arrow, bar.bottom};
    p.arrow2 = RECT{bar.right - t.arrow, bar.top, bar.right, bar.bottom};
  }
  std::int64_t size = 0, span = 0;
  if (!ThumbOf(t, si, size, span)) return p;
  std::int64_t offset = span > 0 ? (t.track - size) * (static_cast<std::int64_t>(si.nPos) - si.nMin) / span : 0;
  offset = std::clamp<std::int64_t>(offset, 0, t.track - size);
  int start = t.arrow + static_cast<int>(offset);
  if (vertical) {
    p.thumb = RECT{bar.left, bar.top + start, bar.right, bar.top + start + static_cast<int>(size)};
  } else {
    p.thumb = RECT{bar.left + start, bar.top, bar.left + start + static_cast<int>(size), bar.bottom};
  }
  return p;
}

int ScrollPosFromThumb(const RECT& bar, bool vertical, const SCROLLINFO& si, int offset) {
  const Track t = TrackOf(bar, vertical);
  std::int64_t size = 0, span = 0;
  if (!ThumbOf(t, si, size, span) || t.track <= size) return si.nMin;
  std::int64_t room = t.track - size;
  std::int64_t o = std::clamp<std::int64_t>(offset, 0, room);
  return static_cast<int>(si.nMin + (o * span + room / 2) / room);
}

namespace user_internal {

ScrollBarParts ScrollBarLayout(const Window* w, const RECT& bar, bool vertical) {
  const Window::ScrollState& s = w->scroll[vertical ? SB_VERT : SB_HORZ];
  SCROLLINFO si{sizeof si, SIF_ALL, s.min, s.max, static_cast<UINT>(s.page), s.tracking ? s.trackPos : s.pos, 0};
  return ::ScrollBarLayout(bar, vertical, si);
}

}  // namespace user_internal

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw) {
  if (bar == SB_CTL)
    return info ? static_cast<int>(SendMessageW(hwnd, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(info))) : 0;
  Window::ScrollState* s = StateOf(hwnd, bar);
  if (!s || !info) return 0;
  if (info->fMask & SIF_RANGE) {
    s->min = info->nMin;
    s->max = std::max(info->nMin, info->nMax);
  }
  if (info->fMask & SIF_PAGE) {
    std::int64_t range = static_cast<std::int64_t>(s->max) - s->min + 1;
    s->page = static_cast<int>(std::min<std::int64_t>(info->nPage, range));
  }
  if (info->fMask & SIF_POS) s->pos = info->nPos;
  s->pos = Clamp(*s, s->pos);
  const int pos = s->pos;
  if ((info->fMask & (SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL)) && !ShowOrHide(hwnd, bar, info->fMask)) return pos;
  if (redraw) Redraw(hwnd);
  return pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info) {
  if (bar == SB_CTL)
    return info && SendMessageW(hwnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)) ? TRUE : FALSE;
  Window::ScrollState* s = StateOf(hwnd, bar);
  if (!s || !info) return FALSE;
  if (info->fMask & SIF_RANGE) {
    info->nMin = s->min;
    info->nMax = s->max;
  }
  if (info->fMask & SIF_PAGE) info->nPage = static_cast<UINT>(s->page);
  if (info->fMask & SIF_POS) info->nPos = s->pos;
  if (info->fMask & SIF_TRACKPOS) info->nTrackPos = s->trackPos;
  return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  if (bar == SB_CTL) return static_cast<int>(SendMessageW(hwnd, SBM_SETPOS, static_cast<WPARAM>(pos), redraw));
  Window::ScrollState* s = StateOf(hwnd, bar);
  if (!s) return 0;
  int old = s->pos;
  s->pos = Clamp(*s, pos);
  if (redraw) Redraw(hwnd);
  return old;
}

int GetScrollPos(HWND hwnd, int bar) {
  if (bar == SB_CTL) return static_cast<int>(SendMessageW(hwnd, SBM_GETPOS, 0, 0));
  Window::ScrollState* s = StateOf(hwnd, bar);
  return s ? s->pos : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) {
  SCROLLINFO si{sizeof si, SIF_RANGE, minPos, maxPos, 0, 0, 0};
  if (bar == SB_CTL) {
    SetScrollInfo(hwnd, bar, &si, redraw);
    return IsWindow(hwnd);
  }
  if (!StateOf(hwnd, bar)) return FALSE;
  SetScrollInfo(hwnd, bar, &si, redraw);
  return TRUE;
}

BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos) {
  if (bar == SB_CTL) {
    SCROLLINFO si{sizeof si, SIF_RANGE, 0, 0, 0, 0, 0};
    if (!minPos || !maxPos || !GetScrollInfo(hwnd, bar, &si)) return FALSE;
    *minPos = si.nMin;
    *maxPos = si.nMax;
    return TRUE;
  }
  Window::ScrollState* s = StateOf(hwnd, bar);
  if (!s || !minPos || !maxPos) return FALSE;
  *minPos = s->min;
  *maxPos = s->max;
  return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show) {
  Window* w = State().Find(hwnd);
  if (!w || bar < SB_HORZ || bar == SB_CTL || bar > SB_BOTH) return FALSE;
  DWORD bits = bar == SB_HORZ ? WS_HSCROLL : bar == SB_VERT ? WS_VSCROLL : (WS_HSCROLL | WS_VSCROLL);
  DWORD style = show ? (w->style | bits) : (w->style & ~bits);
  if (style == w->style) return TRUE;
  w->style = style;
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return TRUE;
}

BOOL GetScrollBarInfo(HWND hwnd, LONG objectId, SCROLLBARINFO* info) {
  Window* w = State().Find(hwnd);
  if (!w || !info || info->cbSize != sizeof(SCROLLBARINFO)) return FALSE;
  if (objectId == OBJID_CLIENT)
    return SendMessageW(hwnd, SBM_GETSCROLLBARINFO, 0, reinterpret_cast<LPARAM>(info)) ? TRUE : FALSE;
  if (objectId != OBJID_HSCROLL && objectId != OBJID_VSCROLL) return FALSE;
  bool vertical = objectId == OBJID_VSCROLL;
  FrameLayout f = LayoutOf(w);
  RECT bar = vertical ? f.vScroll : f.hScroll;
  RECT wr = WindowRectOnScreen(w);
  info->rcScrollBar = OffsetRectBy(bar, wr.left, wr.top);
  std::fill(std::begin(info->rgstate), std::end(info->rgstate), 0u);
  if (IsRectEmptyValue(bar)) {
    info->rgstate[0] = STATE_SYSTEM_INVISIBLE;
    info->dxyLineButton = info->xyThumbTop = info->xyThumbBottom = 0;
    return TRUE;
  }
  ScrollBarParts parts = ScrollBarLayout(w, bar, vertical);
  info->dxyLineButton = vertical ? parts.arrow1.bottom - parts.arrow1.top : parts.arrow1.right - parts.arrow1.left;
  if (IsRectEmptyValue(parts.thumb)) {
    info->xyThumbTop = info->xyThumbBottom = 0;
    info->rgstate[3] = STATE_SYSTEM_INVISIBLE;
  } else {
    info->xyThumbTop = vertical ? parts.thumb.top - bar.top : parts.thumb.left - bar.left;
    info->xyThumbBottom = vertical ? parts.thumb.bottom - bar.top : parts.thumb.right - bar.left;
  }
  if ((w->style & WS_DISABLED) || w->scroll[vertical ? SB_VERT : SB_HORZ].disabled)
    info->rgstate[0] |= STATE_SYSTEM_UNAVAILABLE;
  return TRUE;
}

BOOL GetComboBoxInfo(HWND hwnd, COMBOBOXINFO* info) {
  if (!info || info->cbSize != sizeof(COMBOBOXINFO) || !IsWindow(hwnd)) return FALSE;
  return SendMessageW(hwnd, CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(info)) ? TRUE : FALSE;
}
