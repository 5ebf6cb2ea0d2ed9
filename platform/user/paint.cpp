// Update regions, WM_PAINT, window device contexts and window regions.
#include <algorithm>

#include "platform/user/internal/back_buffer.h"
#include "platform/user/internal/internal_procs.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

using namespace user_internal;

namespace {

constexpr size_t kMaxRegionRects = 20000;

RECT WholeWindow(const Window* w) {
  return RECT{0, 0, w->window.right - w->window.left, w->window.bottom - w->window.top};
}

RECT ClientInWindow(const Window* w) {
  return RECT{w->client.left - w->window.left, w->client.top - w->window.top,
              w->client.right - w->window.left, w->client.bottom - w->window.top};
}

bool NeedsPaint(const Window* w) {
  if (w->internalPaint) return true;
  return w->update.Intersects(ClientInWindow(w));
}

HWND FindPaintIn(HWND hwnd, HWND filter) {
  Window* w = State().Find(hwnd);
  if (!w || !(w->style & WS_VISIBLE)) return nullptr;
  if (NeedsPaint(w) && (!filter || hwnd == filter || IsChild(filter, hwnd))) return hwnd;
  for (HWND c : w->children)
    if (HWND found = FindPaintIn(c, filter)) return found;
  return nullptr;
}

HWND FindFrameOnlyIn(HWND hwnd) {
  Window* w = State().Find(hwnd);
  if (!w || !(w->style & WS_VISIBLE)) return nullptr;
  if (w->framePending && !NeedsPaint(w)) return hwnd;
  for (HWND c : w->children)
    if (HWND found = FindFrameOnlyIn(c)) return found;
  return nullptr;
}

// The visible part of a window's own area inside its parents, in buffer coordinates.
// What a child or sibling window covers (buffer coordinates): its rectangle, cut to its shape.
RectSet CoveredBy(Window* cw) {
  const POINT co = OffsetInTopLevel(cw);
  RectSet covered(OffsetRectBy(WholeWindow(cw), co.x, co.y));
  if (cw->hasRegion) {
    RectSet shape = cw->region;
    shape.Offset(co.x, co.y);
    covered.Intersect(shape);
  }
  return covered;
}

RectSet VisibleAreaOf(Window* w, bool clientOnly, bool clipChildren, bool clipSiblings) {
  UserState& s = State();
  if (!IsVisibleChain(w)) return {};
  Window* top = TopLevelOf(w);
  if (!top->backBuffer) return {};
  POINT off = OffsetInTopLevel(w);
  RECT own = clientOnly ? ClientInWindow(w) : WholeWindow(w);
  RectSet area(OffsetRectBy(own, off.x, off.y));
  if (w->hasRegion) {
    RectSet shape = w->region;
    shape.Offset(off.x, off.y);
    area.Intersect(shape);
  }
  if (clipChildren) {
    for (HWND c : w->children) {
      Window* cw = s.Find(c);
      if (!cw || !(cw->style & WS_VISIBLE)) continue;
      area.Subtract(CoveredBy(cw));
    }
  }
  // Walk up: every parent's client area bounds the window; siblings above clip it.
  Window* cur = w;
  bool clipThis = clipSiblings;
  int guard = 0;
  while (cur->parent && guard++ <= kMaxNesting) {
    Window* parent = s.Find(cur->parent);
    if (!parent) break;
    if (clipThis || (cur->style & WS_CLIPSIBLINGS)) {
      for (HWND sib : parent->children) {
        if (sib == cur->handle) break;
        Window* sw = s.Find(sib);
        if (!sw || !(sw->style & WS_VISIBLE)) continue;
        area.Subtract(CoveredBy(sw));
      }
    }
    POINT po = OffsetInTopLevel(parent);
    area.Intersect(OffsetRectBy(ClientInWindow(parent), po.x, po.y));
    if (parent->hasRegion) {
      RectSet shape = parent->region;
      shape.Offset(po.x, po.y);
      area.Intersect(shape);
    }
    clipThis = false;
    cur = parent;
  }
  area.Intersect(RECT{0, 0, top->backBuffer->width(), top->backBuffer->height()});
  return area;
}

HDC MakeDC(Window* w, bool windowDC, const RectSet* limit) {
  Window* top = TopLevelOf(w);
  if (!top->backBuffer) return nullptr;
  WindowSurface surface;
  surface.buffer = top->backBuffer.get();
  POINT off = OffsetInTopLevel(w);
  if (!windowDC) {
    RECT c = ClientInWindow(w);
    off.x += c.left;
    off.y += c.top;
  }
  surface.origin = off;
  surface.clip = VisibleAreaOf(w, !windowDC, (w->style & WS_CLIPCHILDREN) != 0,
                               (w->style & WS_CLIPSIBLINGS) != 0);
  if (limit) surface.clip.Intersect(*limit);
  return CreateSurfaceDC(w->handle, surface);
}

}  // namespace

namespace user_internal {

RectSet VisibleArea(Window* w, bool clientOnly, bool clipChildren, bool clipSiblings) {
  return VisibleAreaOf(w, clientOnly, clipChildren, clipSiblings);
}

void InvalidateWindowArea(Window* w, const RectSet& area, UINT flags) {
  if (!IsVisibleChain(w)) return;
  RectSet a = area;
  a.Intersect(WholeWindow(w));
  if (a.empty() && !(flags & RDW_INTERNALPAINT)) return;
  RECT client = ClientInWindow(w);
  RectSet inClient = a;
  inClient.Intersect(client);
  if (flags & RDW_INVALIDATE) {
    w->update.Add(inClient);
    // Every window shown or redrawn with its frame gets WM_NCPAINT, borderless ones too.
    if ((flags & RDW_FRAME) && !a.empty()) w->framePending = true;
    if (flags & RDW_ERASE) w->erasePending = true;
  }
  if (flags & RDW_INTERNALPAINT) w->internalPaint = true;
  bool children = (flags & RDW_ALLCHILDREN) ||
                  (!(flags & RDW_NOCHILDREN) && !(w->style & WS_CLIPCHILDREN));
  if (!children || inClient.empty()) return;
  for (HWND c : w->children) {
    Window* cw = State().Find(c);
    if (!cw || !(cw->style & WS_VISIBLE)) continue;
    RectSet sub = inClient;
    // window coordinates of w -> window coordinates of the child
    sub.Offset(-(client.left + cw->window.left), -(client.top + cw->window.top));
    InvalidateWindowArea(cw, sub, (flags & ~RDW_INTERNALPAINT) | RDW_FRAME);
  }
}

void ValidateWindowArea(Window* w, const RectSet* area) {
  if (!area) {
    w->update.Clear();
    w->erasePending = false;
    w->internalPaint = false;
    return;
  }
  w->update.Subtract(*area);
  if (w->update.empty()) w->erasePending = false;
}

HWND FindWindowToPaint(HWND filter) {
  std::vector<HWND> tops = State().topLevels;
  for (HWND t : tops)
    if (HWND h = FindPaintIn(t, filter)) return h;
  return nullptr;
}

bool SendPendingNcPaint() {
  std::vector<HWND> tops = State().topLevels;
  for (HWND t : tops) {
    if (HWND h = FindFrameOnlyIn(t)) {
      if (Window* w = State().Find(h)) w->framePending = false;
      Send(h, WM_NCPAINT, 1, 0);
      return true;
    }
  }
  return false;
}

void DropPaintState(Window* w) {
  w->update.Clear();
  w->erasePending = w->framePending = w->internalPaint = false;
  if (w->regionHandle) DeleteRegionHandle(w->regionHandle);
  w->regionHandle = nullptr;
  w->hasRegion = false;
}

void MarkDirty(HWND hwnd, HDC dc) {
  Window* w = State().Find(hwnd);
  if (!w) return;
  RECT r = SurfaceDCBounds(dc);
  if (IsRectEmptyValue(r)) return;
  TopLevelOf(w)->dirty.Add(r);
}

}  // namespace user_internal

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  UINT flags = RDW_INVALIDATE | (erase ? RDW_ERASE : 0);
  return RedrawWindow(hwnd, rect, nullptr, flags);
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  return RedrawWindow(hwnd, rect, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL InvalidateRgn(HWND hwnd, HRGN region, BOOL erase) {
  return RedrawWindow(hwnd, nullptr, region, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags) {
  UserState& s = State();
  if (!hwnd) {
    for (HWND t : std::vector<HWND>(s.topLevels)) RedrawWindow(t, rect, region, flags);
    return TRUE;
  }
  Window* w = s.Find(hwnd);
  if (!w) return FALSE;
  // The area in window coordinates: rectangles and regions are given in client coordinates,
  // or in window coordinates with RDW_FRAME and neither given.
  RECT client = ClientInWindow(w);
  RectSet area;
  if (region) {
    std::vector<RECT> rects;
    if (RegionRects(region, &rects)) {
      area = RectSet::FromRects(rects);
      area.Intersect(RECT{0, 0, client.right - client.left, client.bottom - client.top});
      area.Offset(client.left, client.top);
    }
  } else if (rect) {
    RECT inClient = IntersectRects(*rect, RECT{0, 0, client.right - client.left, client.bottom - client.top});
    area = RectSet(OffsetRectBy(inClient, client.left, client.top));
  } else {
    area = RectSet((flags & RDW_FRAME) ? WholeWindow(w) : client);
  }
  if (flags & (RDW_INVALIDATE | RDW_INTERNALPAINT)) {
    UINT f = flags;
    if (f & RDW_NOERASE) f &= ~RDW_ERASE;
    InvalidateWindowArea(w, area, f);
  }
  if (flags & RDW_VALIDATE) {
    ValidateWindowArea(w, &area);
    if (flags & RDW_NOFRAME) w->framePending = false;
    if (flags & RDW_NOINTERNALPAINT) w->internalPaint = false;
    if (flags & RDW_NOERASE) w->erasePending = false;
  }
  if (flags & (RDW_ERASENOW | RDW_UPDATENOW)) {
    // Frames and backgrounds now; with RDW_UPDATENOW also WM_PAINT, parents first.
    std::vector<HWND> order{hwnd};
    if (flags & RDW_ALLCHILDREN) {
      for (size_t i = 0; i < order.size() && order.size() < kMaxWindows; ++i)
        if (Window* x = s.Find(order[i])) order.insert(order.end(), x->children.begin(), x->children.end());
    }
    for (HWND h : order) {
      Window* x = s.Find(h);
      if (!x || !IsVisibleChain(x)) continue;
      // With RDW_UPDATENOW alone, BeginPaint inside WM_PAINT does the frame and the erase.
      bool paintNow = (flags & RDW_UPDATENOW) && NeedsPaint(x);
      bool early = (flags & RDW_ERASENOW) || !paintNow;
      if (x->framePending && early) {
        x->framePending = false;
        Send(h, WM_NCPAINT, 1, 0);
        if (!(x = s.Find(h))) continue;
      }
      if (x->erasePending && !x->update.empty() && (flags & RDW_ERASENOW)) {
        x->erasePending = false;
        RectSet limit = x->update;
        POINT off = OffsetInTopLevel(x);
        limit.Offset(off.x, off.y);
        if (HDC dc = MakeDC(x, false, &limit)) {
          Send(h, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
          MarkDirty(h, dc);
          DeleteSurfaceDC(dc);
        }
        if (!(x = s.Find(h))) continue;
      }
      if ((flags & RDW_UPDATENOW) && NeedsPaint(x)) {
        x->internalPaint = false;
        Send(h, WM_PAINT, 0, 0);
      }
    }
  }
  return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
  if (!IsWindow(hwnd)) return FALSE;
  return RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase) {
  Window* w = State().Find(hwnd);
  if (!w) return FALSE;
  RECT client = ClientInWindow(w);
  RectSet u = w->update;
  u.Intersect(client);
  RECT b = u.Bounds();
  if (rect) *rect = u.empty() ? RECT{0, 0, 0, 0} : OffsetRectBy(b, -client.left, -client.top);
  if (erase && w->erasePending && !u.empty()) RedrawWindow(hwnd, nullptr, nullptr, RDW_ERASENOW);
  return u.empty() ? FALSE : TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  UserState& s = State();
  Window* w = s.Find(hwnd);
  if (!w || !ps) return nullptr;
  *ps = PAINTSTRUCT{};
  CaretHideForPaint(hwnd);
  if (w->framePending) {
    w->framePending = false;
    Send(hwnd, WM_NCPAINT, 1, 0);
    if (!(w = s.Find(hwnd))) return nullptr;
  }
  RECT client = ClientInWindow(w);
  RectSet paint = w->update;
  paint.Intersect(client);
  bool erase = w->erasePending;
  ValidateWindowArea(w, nullptr);
  RectSet limit = paint;
  POINT off = OffsetInTopLevel(w);
  limit.Offset(off.x, off.y);
  HDC dc = MakeDC(w, false, &limit);
  if (erase) {
    ps->fErase = dc ? !Send(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) : TRUE;
    if (!(w = s.Find(hwnd))) {
      DeleteSurfaceDC(dc);
      return nullptr;
    }
  }
  RECT b = paint.Bounds();
  ps->rcPaint = paint.empty() ? RECT{0, 0, 0, 0} : OffsetRectBy(b, -client.left, -client.top);
  ps->hdc = dc;
  w->inPaint = true;
  return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
  if (!ps) return FALSE;
  if (Window* w = State().Find(hwnd)) w->inPaint = false;
  if (ps->hdc) ReleaseDC(hwnd, ps->hdc);
  CaretShowAfterPaint(hwnd);
  return TRUE;
}

HDC GetDC(HWND hwnd) { return GetDCEx(hwnd, nullptr, DCX_USESTYLE); }

HDC GetWindowDC(HWND hwnd) { return GetDCEx(hwnd, nullptr, DCX_WINDOW | DCX_USESTYLE); }

HDC GetDCEx(HWND hwnd, HRGN clip, DWORD flags) {
  Window* w = State().Find(hwnd);
  if (!w) return nullptr;
  RectSet limitSet;
  const RectSet* limit = nullptr;
  std::vector<RECT> rects;
  bool regionGiven = clip && clip != reinterpret_cast<HRGN>(1) && RegionRects(clip, &rects);
  if (regionGiven && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN))) {
    // The region is in screen coordinates.
    RECT wr = WindowRectOnScreen(w);
    POINT off = OffsetInTopLevel(w);
    RectSet r = RectSet::FromRects(rects);
    r.Intersect(wr);
    r.Offset(off.x - wr.left, off.y - wr.top);
    if (flags & DCX_INTERSECTRGN) {
      limitSet = r;
    } else {
      limitSet = VisibleArea(w, !(flags & DCX_WINDOW), true, true);
      limitSet.Subtract(r);
    }
    limit = &limitSet;
  }
  return MakeDC(w, (flags & DCX_WINDOW) != 0, limit);
}

int ReleaseDC(HWND hwnd, HDC dc) {
  HWND owner = SurfaceDCWindow(dc);
  if (!owner) return 0;
  MarkDirty(owner, dc);
  DeleteSurfaceDC(dc);
  return 1;
}

HWND WindowFromDC(HDC dc) { return SurfaceDCWindow(dc); }

namespace {

int ApplyRegion(HWND hwnd, bool has, RectSet region, HRGN handle, BOOL redraw) {
  UserState& s = State();
  Window* w = s.Find(hwnd);
  if (!w) return 0;
  if (w->regionHandle && w->regionHandle != handle) DeleteRegionHandle(w->regionHandle);
  w->regionHandle = handle;
  w->hasRegion = has;
  // Shapes far outside any window cannot matter; bounding them keeps offsets in range.
  region.Intersect(RECT{-2 * kMaxCoordinate, -2 * kMaxCoordinate, 2 * kMaxCoordinate, 2 * kMaxCoordinate});
  w->region = std::move(region);
  if (!w->parent && w->native) {
    std::vector<display::Rect> rects;
    for (const RECT& r : w->region.rects()) rects.push_back({r.left, r.top, r.right, r.bottom});
    s.Display().SetNativeShape(w->native, rects, has);
  }
  if (redraw) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    if (w->parent) {
      // The parent shows through where the shape no longer covers it.
      Window* p = s.Find(w->parent);
      if (p) {
        RECT r = w->window;
        POINT pc{p->client.left - p->window.left, p->client.top - p->window.top};
        InvalidateWindowArea(p, RectSet(OffsetRectBy(r, pc.x, pc.y)), RDW_INVALIDATE | RDW_ERASE);
      }
    }
  }
  return 1;
}

}  // namespace

int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw) {
  if (!IsWindow(hwnd)) return 0;
  if (!region) return ApplyRegion(hwnd, false, RectSet(), nullptr, redraw);
  const Region* shape = RegionOf(region);
  if (!shape || shape->RectCount() > kMaxRegionRects) return 0;
  return ApplyRegion(hwnd, true, RectSet(*RegionOf(region)), region, redraw);
}

int SetWindowRegionRects(HWND hwnd, const RECT* rects, size_t count, BOOL redraw) {
  if (!IsWindow(hwnd)) return 0;
  if (!rects) return ApplyRegion(hwnd, false, RectSet(), nullptr, redraw);
  if (count > kMaxRegionRects) return 0;
  return ApplyRegion(hwnd, true, RectSet::FromRects(std::span<const RECT>(rects, count)), nullptr, redraw);
}

int GetWindowRgn(HWND hwnd, HRGN region) {
  Window* w = State().Find(hwnd);
  if (!w || !w->hasRegion || !region) return 0;
  if (!SetRegionArea(region, w->region)) return ERROR_REGION;
  return w->region.region().Complexity();
}

void FlushWindowPixels(HWND hwnd) {
  Window* w = State().Find(hwnd);
  if (!w) return;
  PresentDirty(TopLevelOf(w));
  State().Display().Flush();
}
