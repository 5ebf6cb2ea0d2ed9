#include "platform/user/scroll.h"

#include <algorithm>

#include "platform/user/internal/internal_procs.h"
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

}  // namespace

namespace user_internal {

ScrollBarParts ScrollBarLayout(const Window* w, const RECT& bar, bool vertical) {
  ScrollBarParts p{};
  int length = vertical ? bar.bottom - bar.top : bar.right - bar.left;
  int thickness = vertical ? bar.right - bar.left : bar.bottom - bar.top;
  int arrow = std::min(thickness, length / 2);
  if (vertical) {
    p.arrow1 = RECT{bar.left, bar.top, bar.right, bar.top + arrow};
    p.arrow2 = RECT{bar.left, bar.bottom - arrow, bar.right, bar.bottom};
  } else {
    p.arrow1 = RECT{bar.left, bar.top, bar.left + arrow, bar.bottom};
    p.arrow2 = RECT{bar.right - arrow, bar.top, bar.right, bar.bottom};
  }
  const Window::ScrollState& s = w->scroll[vertical ? SB_VERT : SB_HORZ];
  int track = length - 2 * arrow;
  std::int64_t range = static_cast<std::int64_t>(s.max) - s.min + 1;
  if (track < 8 || range <= 1 || (s.page > 0 && s.page >= range)) return p;
  std::int64_t size = s.page > 0 ? std::max<std::int64_t>(8, track * static_cast<std::int64_t>(s.page) / range)
                                 : thickness;
  size = std::min<std::int64_t>(size, track);
  std::int64_t span = range - std::max<std::int64_t>(s.page, 1);
  std::int64_t offset = span > 0 ? (track - size) * (static_cast<std::int64_t>(s.pos) - s.min) / span : 0;
  offset = std::clamp<std::int64_t>(offset, 0, track - size);
  int start = arrow + static_cast<int>(offset);
  if (vertical) {
    p.thumb = RECT{bar.left, bar.top + start, bar.right, bar.top + start + static_cast<int>(size)};
  } else {
    p.thumb = RECT{bar.left + start, bar.top, bar.left + start + static_cast<int>(size), bar.bottom};
  }
  return p;
}

}  // namespace user_internal

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw) {
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
  int pos = s->pos;
  if (redraw) Redraw(hwnd);
  return pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info) {
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
  Window::ScrollState* s = StateOf(hwnd, bar);
  if (!s) return 0;
  int old = s->pos;
  s->pos = Clamp(*s, pos);
  if (redraw) Redraw(hwnd);
  return old;
}

int GetScrollPos(HWND hwnd, int bar) {
  Window::ScrollState* s = StateOf(hwnd, bar);
  return s ? s->pos : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) {
  SCROLLINFO si{sizeof si, SIF_RANGE, minPos, maxPos, 0, 0, 0};
  if (!StateOf(hwnd, bar)) return FALSE;
  SetScrollInfo(hwnd, bar, &si, redraw);
  return TRUE;
}

BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos) {
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
  if (w->style & WS_DISABLED) info->rgstate[0] |= STATE_SYSTEM_UNAVAILABLE;
  return TRUE;
}

BOOL GetComboBoxInfo(HWND, COMBOBOXINFO*) { return FALSE; }
