// Position, size, z-order and visibility: SetWindowPos and what builds on it.
#include <algorithm>

#include "platform/user/default_proc.h"
#include "platform/user/hooks.h"
#include "platform/user/input.h"
#include "platform/user/internal/internal_procs.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

using namespace user_internal;

namespace {

int ClampCoordinate(int v) { return std::clamp(v, -kMaxCoordinate, kMaxCoordinate); }
int ClampSize(int v) { return std::clamp(v, 0, kMaxCoordinate); }

bool SameSize(const RECT& a, const RECT& b) {
  return a.right - a.left == b.right - b.left && a.bottom - a.top == b.bottom - b.top;
}

// Where a top-level window goes when it is minimised with no window manager to keep it: it
// stays on the screen as its caption, in the first free place of a row along the screen's
// bottom edge from the left (the row above once that is full), as the system arranges
// minimised windows where no shell keeps them.
RECT MinimizedPlaceOnScreen(const Window* self) {
  UserState& s = State();
  const int cx = GetSystemMetrics(SM_CXMINSPACING), cy = GetSystemMetrics(SM_CYMINSPACING);
  const int columns = std::max(1, s.Display().ScreenWidth() / cx);
  RECT place{};
  // One place more than there are other windows: one of them is free.
  for (size_t i = 0; i <= s.topLevels.size(); ++i) {
    const int column = static_cast<int>(i % static_cast<size_t>(columns));
    const int row = static_cast<int>(i / static_cast<size_t>(columns));
    place.left = column * cx;
    place.top = s.Display().ScreenHeight() - (row + 1) * cy;
    place.right = place.left + GetSystemMetrics(SM_CXMINIMIZED);
    place.bottom = place.top + GetSystemMetrics(SM_CYMINIMIZED);
    bool taken = std::any_of(s.topLevels.begin(), s.topLevels.end(), [&](HWND t) {
      const Window* o = s.Find(t);
      return o && o != self && (o->style & WS_VISIBLE) && (o->style & WS_MINIMIZE) &&
             o->window.left == place.left && o->window.top == place.top;
    });
    if (!taken) break;
  }
  return place;
}

// Invalidates what a child window covered or covers in its parent.
void InvalidateInParent(Window* w, const RECT& rectInParent) {
  Window* parent = State().Find(w->parent);
  if (!parent) return;
  RECT area = OffsetRectBy(rectInParent, -parent->window.left, -parent->window.top);
  InvalidateWindowArea(parent, RectSet(area), RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace

namespace user_internal {

RECT WorkAreaOf(const Window* w) {
  display::Display& d = State().Display();
  if (!w || w->parent) return RECT{0, 0, d.ScreenWidth(), d.ScreenHeight()};
  const RECT& r = (w->style & WS_MINIMIZE) ? w->normalRect : w->window;
  display::Rect area = d.WorkArea(display::Rect{r.left, r.top, r.right, r.bottom});
  return RECT{area.left, area.top, area.right, area.bottom};
}

MINMAXINFO QueryMinMax(HWND hwnd) {
  // The defaults: maximised, the window fills the work area of its monitor (what the desktop's
  // panels leave), its frame just outside it.
  Window* w = State().Find(hwnd);
  int frame = w ? FrameBorderWidth(w->style, w->exStyle) : 0;
  const RECT area = WorkAreaOf(w);
  MINMAXINFO mmi{};
  mmi.ptMaxSize = {area.right - area.left + 2 * frame, area.bottom - area.top + 2 * frame};
  mmi.ptMaxPosition = {area.left - frame, area.top - frame};
  mmi.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  mmi.ptMaxTrackSize = {std::max(mmi.ptMaxSize.x, GetSystemMetrics(SM_CXMAXTRACK)),
                        std::max(mmi.ptMaxSize.y, GetSystemMetrics(SM_CYMAXTRACK))};
  if (w) Send(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
  return mmi;
}

void CalcClientRect(Window* w, const RECT& newWindow, WINDOWPOS* pos) {
  HWND hwnd = w->handle;
  RECT result;
  if (pos) {
    NCCALCSIZE_PARAMS p{};
    p.rgrc[0] = newWindow;
    p.rgrc[1] = w->window;
    p.rgrc[2] = w->client;
    p.lppos = pos;
    Send(hwnd, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&p));
    result = p.rgrc[0];
  } else {
    result = newWindow;
    Send(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&result));
  }
  if (!(w = State().Find(hwnd))) return;
  // The client area always lies inside the window.
  result.left = std::clamp(result.left, newWindow.left, newWindow.right);
  result.right = std::clamp(result.right, result.left, newWindow.right);
  result.top = std::clamp(result.top, newWindow.top, newWindow.bottom);
  result.bottom = std::clamp(result.bottom, result.top, newWindow.bottom);
  w->client = result;
}

BOOL SetWindowPosInternal(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  UserState& s = State();
  Window* w = s.Find(hwnd);
  if (!w) return FALSE;
  bool visible = (w->style & WS_VISIBLE) != 0;
  if ((flags & SWP_SHOWWINDOW) && visible) flags &= ~SWP_SHOWWINDOW;
  if ((flags & SWP_HIDEWINDOW) && !visible) flags &= ~SWP_HIDEWINDOW;
  if (insertAfter == hwnd) flags |= SWP_NOZORDER;
  if (w->parent) flags |= SWP_NOACTIVATE;

  WINDOWPOS wp{hwnd, insertAfter, ClampCoordinate(x), ClampCoordinate(y), ClampSize(cx),
               ClampSize(cy), flags};
  if (flags & SWP_NOMOVE) {
    wp.x = w->window.left;
    wp.y = w->window.top;
  }
  if (flags & SWP_NOSIZE) {
    wp.cx = w->window.right - w->window.left;
    wp.cy = w->window.bottom - w->window.top;
  }
  if (!(flags & SWP_NOSENDCHANGING)) {
    Send(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
    if (!(w = s.Find(hwnd))) return FALSE;
  }
  flags = wp.flags;
  RECT oldWindow = w->window;
  RECT oldClient = w->client;
  RECT newWindow{ClampCoordinate(wp.x), ClampCoordinate(wp.y),
                 ClampCoordinate(wp.x) + ClampSize(wp.cx), ClampCoordinate(wp.y) + ClampSize(wp.cy)};
  bool moved = newWindow.left != oldWindow.left || newWindow.top != oldWindow.top;
  bool sized = !SameSize(newWindow, oldWindow);

  if (moved || sized || (flags & SWP_FRAMECHANGED)) {
    CalcClientRect(w, newWindow, &wp);
    if (!(w = s.Find(hwnd))) return FALSE;
  }
  w->window = newWindow;
  if (!(moved || sized || (flags & SWP_FRAMECHANGED))) w->client = oldClient;
  if (!SameSize(w->client, oldClient)) {
  } else {
    wp.flags |= SWP_NOCLIENTSIZE;
  }
  if (w->client.left - w->window.left == oldClient.left - oldWindow.left &&
      w->client.top - w->window.top == oldClient.top - oldWindow.top && !moved)
    wp.flags |= SWP_NOCLIENTMOVE;

  if (!(flags & SWP_NOZORDER)) {
    if (insertAfter == HWND_TOPMOST && !w->parent) w->exStyle |= WS_EX_TOPMOST;
    if (insertAfter == HWND_NOTOPMOST && !w->parent) w->exStyle &= ~WS_EX_TOPMOST;
    if (!w->parent && (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == nullptr)) {
      RaiseWithOwned(w);
    } else {
      LinkWindow(w, insertAfter);
    }
  }
  if (flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
  if (flags & SWP_HIDEWINDOW) w->style &= ~WS_VISIBLE;
  if (!w->parent) SyncNative(w);
  if (!(w = s.Find(hwnd))) return FALSE;

  // Repaint what changed.
  bool nowVisible = (w->style & WS_VISIBLE) != 0;
  if (w->parent && (moved || sized || (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW))) &&
      !(flags & SWP_NOREDRAW)) {
    if (visible) InvalidateInParent(w, oldWindow);
  }
  if (nowVisible && !(flags & SWP_NOREDRAW)) {
    UINT cls = w->cls->style;
    bool redrawAll = (flags & (SWP_SHOWWINDOW | SWP_FRAMECHANGED)) ||
                     (sized && ((cls & (CS_HREDRAW | CS_VREDRAW)) || !w->parent)) || w->parent;
    if (redrawAll && (moved || sized || (flags & (SWP_SHOWWINDOW | SWP_FRAMECHANGED)))) {
      RECT all{0, 0, w->window.right - w->window.left, w->window.bottom - w->window.top};
      InvalidateWindowArea(w, RectSet(all), RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    } else if (sized) {
      // Newly uncovered parts of a grown top-level window.
      RectSet grown(RECT{0, 0, w->window.right - w->window.left, w->window.bottom - w->window.top});
      grown.Subtract(RECT{0, 0, oldWindow.right - oldWindow.left, oldWindow.bottom - oldWindow.top});
      InvalidateWindowArea(w, grown, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
  }

  if (!w->parent && nowVisible && !(flags & SWP_NOACTIVATE)) {
    ActivateTopLevel(hwnd, false);
    if (!(w = s.Find(hwnd))) return FALSE;
  }
  if ((flags & SWP_HIDEWINDOW)) {
    if (!w->parent && s.active == hwnd) DeactivateOnHide(hwnd);
    // A hidden window cannot keep the focus or the capture.
    if (s.focus && (s.focus == hwnd || IsChild(hwnd, s.focus))) {
      if (w->parent) SetFocus(w->parent);
    }
    if (s.capture && (s.capture == hwnd || IsChild(hwnd, s.capture))) ReleaseCapture();
    if (!(w = s.Find(hwnd))) return FALSE;
  }

  if (nowVisible && (flags & SWP_SHOWWINDOW) && !(flags & (SWP_NOREDRAW | SWP_DEFERERASE)))
    RedrawWindow(hwnd, nullptr, nullptr, RDW_ERASENOW | RDW_ALLCHILDREN);
  if (!(w = s.Find(hwnd))) return FALSE;

  Send(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
  return TRUE;
}

}  // namespace user_internal

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  flags &= ~(SWP_NOCLIENTSIZE | SWP_NOCLIENTMOVE);
  return SetWindowPosInternal(hwnd, insertAfter, x, y, cx, cy, flags);
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND hwnd) {
  return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL ShowWindow(HWND hwnd, int cmd) {
  UserState& s = State();
  Window* w = s.Find(hwnd);
  if (!w) return FALSE;
  bool wasVisible = (w->style & WS_VISIBLE) != 0;
  bool child = w->parent != nullptr;
  UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER;
  if (child) flags |= SWP_NOACTIVATE;
  bool show = true;
  enum { Keep, Minimize, Maximize, Restore } change = Keep;

  switch (cmd) {
    case SW_HIDE:
      if (!wasVisible) return FALSE;
      show = false;
      flags |= SWP_HIDEWINDOW;
      if (s.active != hwnd) flags |= SWP_NOACTIVATE;
      break;
    case SW_SHOWMINNOACTIVE:
    case SW_MINIMIZE:
      flags |= SWP_NOACTIVATE;
      change = Minimize;
      break;
    case SW_SHOWMINIMIZED:
      change = Minimize;
      break;
    case SW_SHOWMAXIMIZED:
      change = Maximize;
      break;
    case SW_SHOWNA:
    case SW_SHOWNOACTIVATE:
      flags |= SWP_NOACTIVATE;
      if (cmd == SW_SHOWNOACTIVATE && (w->style & (WS_MINIMIZE | WS_MAXIMIZE))) change = Restore;
      break;
    case SW_SHOW:
      break;
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT:
    case SW_RESTORE:
      if (w->style & (WS_MINIMIZE | WS_MAXIMIZE)) change = Restore;
      break;
    default:
      return FALSE;
  }
  if (show) flags |= SWP_SHOWWINDOW;

  RECT target = w->window;
  if (change != Keep) {
    if (HasHooks(WH_CBT) && CallCbtHook(HCBT_MINMAX, reinterpret_cast<WPARAM>(hwnd), cmd))
      return wasVisible;
    if (!(w = s.Find(hwnd))) return wasVisible;
    if (!(w->style & (WS_MINIMIZE | WS_MAXIMIZE))) w->normalRect = w->window;
    if (change == Minimize) {
      if (w->style & WS_MINIMIZE) {
        change = Keep;
      } else {
        w->style = (w->style | WS_MINIMIZE) & ~WS_MAXIMIZE;
        // A window manager keeps the window as an icon; without one it stays on the screen.
        w->minimizedToDesktop = !child && s.Display().HasWindowManager();
        if (child || w->minimizedToDesktop) {
          target = RECT{-32000, -32000, -32000 + GetSystemMetrics(SM_CXMINIMIZED),
                        -32000 + GetSystemMetrics(SM_CYMINIMIZED)};
        } else {
          target = MinimizedPlaceOnScreen(w);
        }
        if (s.active == hwnd) DeactivateOnHide(hwnd);
      }
    } else if (change == Maximize) {
      MINMAXINFO mmi = QueryMinMax(hwnd);
      if (!(w = s.Find(hwnd))) return wasVisible;
      w->style = (w->style | WS_MAXIMIZE) & ~WS_MINIMIZE;
      target = RECT{mmi.ptMaxPosition.x, mmi.ptMaxPosition.y, mmi.ptMaxPosition.x + mmi.ptMaxSize.x,
                    mmi.ptMaxPosition.y + mmi.ptMaxSize.y};
    } else {
      w->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
      target = w->normalRect;
    }
    if (change != Keep) flags = (flags & ~(SWP_NOSIZE | SWP_NOMOVE)) | SWP_FRAMECHANGED;
  }

  if (show != wasVisible) {
    Send(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (!(w = s.Find(hwnd))) return wasVisible;
  }
  SetWindowPosInternal(hwnd, HWND_TOP, target.left, target.top, target.right - target.left,
                       target.bottom - target.top, flags);
  return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd) {
  Window* w = State().Find(hwnd);
  return w && IsVisibleChain(w);
}

BOOL IsIconic(HWND hwnd) {
  Window* w = State().Find(hwnd);
  return w && (w->style & WS_MINIMIZE);
}

BOOL IsZoomed(HWND hwnd) {
  Window* w = State().Find(hwnd);
  return w && (w->style & WS_MAXIMIZE);
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  Window* w = State().Find(hwnd);
  if (!w || !rect) return FALSE;
  *rect = WindowRectOnScreen(w);
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  Window* w = State().Find(hwnd);
  if (!w || !rect) return FALSE;
  *rect = RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* pt) {
  Window* w = State().Find(hwnd);
  if (!w || !pt) return FALSE;
  POINT o = ClientOriginOnScreen(w);
  pt->x += o.x;
  pt->y += o.y;
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* pt) {
  Window* w = State().Find(hwnd);
  if (!w || !pt) return FALSE;
  POINT o = ClientOriginOnScreen(w);
  pt->x -= o.x;
  pt->y -= o.y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
  POINT a{0, 0}, b{0, 0};
  if (from) {
    Window* w = State().Find(from);
    if (!w) return 0;
    a = ClientOriginOnScreen(w);
  }
  if (to) {
    Window* w = State().Find(to);
    if (!w) return 0;
    b = ClientOriginOnScreen(w);
  }
  int dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  return MAKELPARAM(dx, dy);
}

namespace {

bool InWindowShape(const Window* w, POINT screen) {
  RECT r = WindowRectOnScreen(w);
  if (!PointInRect(r, screen.x, screen.y)) return false;
  return !w->hasRegion || w->region.Contains(screen.x - r.left, screen.y - r.top);
}

// The deepest visible, enabled child under a screen point (the window itself if none).
HWND DeepestChildAt(Window* w, POINT screen) {
  for (;;) {
    HWND found = nullptr;
    for (HWND c : w->children) {
      Window* cw = State().Find(c);
      if (!cw || !(cw->style & WS_VISIBLE)) continue;
      if (!InWindowShape(cw, screen)) continue;
      if (cw->exStyle & WS_EX_TRANSPARENT) continue;
      found = c;
      break;
    }
    if (!found) return w->handle;
    Window* cw = State().Find(found);
    if (cw->style & WS_DISABLED) return found;
    w = cw;
  }
}

}  // namespace

HWND WindowFromPoint(POINT pt) {
  for (HWND t : State().topLevels) {
    Window* w = State().Find(t);
    if (!w || !(w->style & WS_VISIBLE)) continue;
    if (!InWindowShape(w, pt)) continue;
    return DeepestChildAt(w, pt);
  }
  return nullptr;
}

HWND ChildWindowFromPoint(HWND parent, POINT clientPoint) {
  Window* w = State().Find(parent);
  if (!w) return nullptr;
  RECT client{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  if (!PointInRect(client, clientPoint.x, clientPoint.y)) return nullptr;
  for (HWND c : w->children) {
    Window* cw = State().Find(c);
    if (cw && PointInRect(cw->window, clientPoint.x, clientPoint.y)) return c;
  }
  return parent;
}

BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* p) {
  Window* w = State().Find(hwnd);
  if (!w || !p) return FALSE;
  p->length = sizeof(WINDOWPLACEMENT);
  p->flags = 0;
  if (w->style & WS_MINIMIZE) {
    p->showCmd = SW_SHOWMINIMIZED;
  } else if (w->style & WS_MAXIMIZE) {
    p->showCmd = SW_SHOWMAXIMIZED;
  } else {
    p->showCmd = (w->style & WS_VISIBLE) ? SW_SHOWNORMAL : SW_HIDE;
  }
  p->ptMinPosition = {-1, -1};
  p->ptMaxPosition = {-1, -1};
  p->rcNormalPosition = (w->style & (WS_MINIMIZE | WS_MAXIMIZE)) ? w->normalRect : w->window;
  return TRUE;
}

BOOL SetWindowPlacement(HWND hwnd, const WINDOWPLACEMENT* p) {
  Window* w = State().Find(hwnd);
  if (!w || !p) return FALSE;
  if (w->style & (WS_MINIMIZE | WS_MAXIMIZE)) {
    w->normalRect = p->rcNormalPosition;
  } else {
    const RECT& r = p->rcNormalPosition;
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(hwnd, static_cast<int>(p->showCmd));
  return TRUE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  UserState& s = State();
  Window* w = s.Find(hwnd);
  if (!w) return FALSE;
  bool wasDisabled = (w->style & WS_DISABLED) != 0;
  if (enable && wasDisabled) {
    w->style &= ~WS_DISABLED;
    Send(hwnd, WM_ENABLE, TRUE, 0);
  } else if (!enable && !wasDisabled) {
    Send(hwnd, WM_CANCELMODE, 0, 0);
    if (!(w = s.Find(hwnd))) return FALSE;
    w->style |= WS_DISABLED;
    if (s.focus && (s.focus == hwnd || IsChild(hwnd, s.focus))) SetFocus(nullptr);
    if (s.capture && (s.capture == hwnd || IsChild(hwnd, s.capture))) ReleaseCapture();
    Send(hwnd, WM_ENABLE, FALSE, 0);
  }
  if ((w = s.Find(hwnd)) && !w->parent && wasDisabled != ((w->style & WS_DISABLED) != 0)) SyncNativeModal(w);
  return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd) {
  Window* w = State().Find(hwnd);
  return w && !(w->style & WS_DISABLED);
}
