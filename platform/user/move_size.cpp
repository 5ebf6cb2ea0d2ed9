// Presses on the frame (caption buttons, moving and sizing by mouse or keyboard) and WM_SYSCOMMAND.
#include <algorithm>

#include "platform/user/hooks.h"
#include "platform/user/input.h"
#include "platform/user/internal/internal_procs.h"
#include "platform/user/menus.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/painting.h"
#include "platform/user/scroll_track.h"
#include "platform/user/window.h"

using namespace user_internal;

namespace {

// Tracks a press on a caption button until the button is released; true when it was
// released over the same button.
bool TrackCaptionButton(HWND hwnd, LRESULT hit) {
  SetCapture(hwnd);
  bool result = false;
  MSG m;
  for (;;) {
    if (!GetMessageW(&m, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    if (m.message == WM_LBUTTONUP || m.message == WM_NCLBUTTONUP) {
      Window* w = State().Find(hwnd);
      result = w && DefaultNcHitTest(w, m.pt) == hit;
      break;
    }
    if (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) continue;
    if (m.message == WM_KEYDOWN && m.wParam == static_cast<WPARAM>(VK_ESCAPE)) break;
    DispatchMessageW(&m);
    if (GetCapture() != hwnd || !IsWindow(hwnd)) break;
  }
  if (GetCapture() == hwnd) ReleaseCapture();
  return result && IsWindow(hwnd);
}

RECT Moved(const RECT& orig, WPARAM edge, int dx, int dy) {
  RECT r = orig;
  switch (edge) {
    case 0:  // move
      return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
    case WMSZ_LEFT: r.left += dx; break;
    case WMSZ_RIGHT: r.right += dx; break;
    case WMSZ_TOP: r.top += dy; break;
    case WMSZ_BOTTOM: r.bottom += dy; break;
    case WMSZ_TOPLEFT: r.left += dx; r.top += dy; break;
    case WMSZ_TOPRIGHT: r.right += dx; r.top += dy; break;
    case WMSZ_BOTTOMLEFT: r.left += dx; r.bottom += dy; break;
    case WMSZ_BOTTOMRIGHT: r.right += dx; r.bottom += dy; break;
    default: break;
  }
  return r;
}

// A border that is being moved stops where the window would become smaller than it may.
void KeepMinimumTrack(RECT& r, WPARAM edge) {
  const int minW = GetSystemMetrics(SM_CXMINTRACK), minH = GetSystemMetrics(SM_CYMINTRACK);
  const bool left = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
  const bool top = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
  if (r.right - r.left < minW) (left ? r.left = r.right - minW : r.right = r.left + minW);
  if (r.bottom - r.top < minH) (top ? r.top = r.bottom - minH : r.bottom = r.top + minH);
}

// Moving and sizing by keys keeps the caption within reach, as the system keeps the pointer it
// moves on the screen: the caption stays below the work area's top and above its bottom, its
// middle within it; a border that is sized stays within the work area.
RECT KeepCaptionOnWorkArea(RECT r, WPARAM edge, const RECT& area) {
  const int caption = GetSystemMetrics(SM_CYCAPTION);
  const int lowest = std::max(area.top, area.bottom - caption);
  if (edge == 0) {
    const int dy = std::clamp(r.top, area.top, lowest) - r.top;
    const int middle = r.left + (r.right - r.left) / 2;
    const int dx = std::clamp(middle, area.left, std::max(area.left, area.right - 1)) - middle;
    return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
  }
  const bool left = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
  const bool right = edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT;
  const bool top = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
  const bool bottom = edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT;
  if (left) r.left = std::clamp(r.left, area.left, area.right);
  if (right) r.right = std::clamp(r.right, area.left, area.right);
  if (top) r.top = std::clamp(r.top, area.top, lowest);
  if (bottom) r.bottom = std::clamp(r.bottom, area.top, area.bottom);
  return r;
}

// The borders that the arrow keys size, chosen by the first arrow of each direction: -1 the
// left or top border, +1 the right or bottom one, 0 none yet.
struct KeyBorders {
  int horizontal = 0;
  int vertical = 0;
  WPARAM Edge() const {
    static constexpr WPARAM kEdges[3][3] = {{WMSZ_TOPLEFT, WMSZ_TOP, WMSZ_TOPRIGHT},
                                            {WMSZ_LEFT, 0, WMSZ_RIGHT},
                                            {WMSZ_BOTTOMLEFT, WMSZ_BOTTOM, WMSZ_BOTTOMRIGHT}};
    return kEdges[vertical + 1][horizontal + 1];
  }
};

// Pixels one press of an arrow key moves the window or a border.
constexpr int kKeyStep = 8;

// A press on a frame scroll bar, tracked until release; the thumb is drawn where it is dragged.
void ScrollBarPress(HWND hwnd, bool vertical, POINT screen) {
  const int which = vertical ? SB_VERT : SB_HORZ;
  const Window* w = State().Find(hwnd);
  if (!w || w->scroll[which].disabled) return;
  ScrollTracker t;
  t.capture = hwnd;
  t.vertical = vertical;
  t.bar = [hwnd, vertical] {
    Window* w = State().Find(hwnd);
    if (!w) return RECT{};
    FrameLayout f = LayoutOf(w);
    RECT wr = WindowRectOnScreen(w);
    return OffsetRectBy(vertical ? f.vScroll : f.hScroll, wr.left, wr.top);
  };
  t.info = [hwnd, which] {
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(hwnd, which, &si);
    return si;
  };
  const UINT msg = vertical ? WM_VSCROLL : WM_HSCROLL;
  t.notify = [hwnd, msg](int code, int pos) {
    Send(hwnd, msg, MAKEWPARAM(static_cast<WORD>(code), static_cast<WORD>(pos)), 0);
  };
  t.show = [hwnd, which](int part, int pos) {
    Window* w = State().Find(hwnd);
    if (!w) return;
    w->scroll[which].tracking = part == kScrollThumb;
    w->scroll[which].trackPos = pos;
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOCHILDREN);
  };
  TrackScrollBar(t, screen);
}

}  // namespace

namespace user_internal {

// Mouse presses name the caption or the border in the low bits of the command; without them
// the command came from the system menu and the keyboard moves or sizes: each arrow key moves
// the window (or the border it chose first) a step, Enter or a click keeps the place, Esc puts
// the window back.
void RunMoveSizeLoop(HWND hwnd, WPARAM cmd, POINT start) {
  UserState& s = State();
  Window* w = s.Find(hwnd);
  if (!w || (w->style & WS_MAXIMIZE)) return;
  const bool move = (cmd & 0xfff0) == SC_MOVE;
  const bool byKeys = (cmd & 0x0f) == 0;
  WPARAM edge = move || byKeys ? 0 : (cmd & 0x0f);
  if (!move && !byKeys && (edge < WMSZ_LEFT || edge > WMSZ_BOTTOMRIGHT)) return;
  if (!move && byKeys && !(w->style & WS_THICKFRAME)) return;
  const RECT orig = w->window;
  const bool topLevel = !w->parent;
  RECT current = orig;
  if (HasHooks(WH_CBT)) {
    RECT r = WindowRectOnScreen(w);
    if (CallCbtHook(HCBT_MOVESIZE, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(&r))) return;
  }
  Send(hwnd, WM_ENTERSIZEMOVE);
  SetCapture(hwnd);
  if (byKeys) SetCursor(LoadCursorW(nullptr, IDC_SIZEALL));
  // Tells the window where it is going (it may change that) and puts it there.
  auto place = [&](RECT r) {
    if (byKeys && topLevel) {
      display::Rect area = s.Display().WorkArea(display::Rect{r.left, r.top, r.right, r.bottom});
      r = KeepCaptionOnWorkArea(r, edge, RECT{area.left, area.top, area.right, area.bottom});
    }
    if (!move) KeepMinimumTrack(r, edge);
    Send(hwnd, move ? WM_MOVING : WM_SIZING, edge, reinterpret_cast<LPARAM>(&r));
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | (move ? SWP_NOSIZE : 0));
    current = r;
  };
  KeyBorders borders;
  MSG m;
  for (;;) {
    if (!GetMessageW(&m, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(m.wParam));
      break;
    }
    if (!IsWindow(hwnd)) break;
    const bool mouse = (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) ||
                       (m.message >= WM_NCMOUSEMOVE && m.message <= WM_NCMBUTTONDBLCLK);
    const bool moved = m.message == WM_MOUSEMOVE || m.message == WM_NCMOUSEMOVE;
    const bool up = m.message == WM_LBUTTONUP || m.message == WM_NCLBUTTONUP;
    if (!byKeys && (moved || up)) {
      place(Moved(orig, edge, m.pt.x - start.x, m.pt.y - start.y));
      if (up) break;
      continue;
    }
    if (byKeys && mouse && !moved) {
      if (m.message == WM_LBUTTONDOWN || m.message == WM_NCLBUTTONDOWN || m.message == WM_RBUTTONDOWN ||
          m.message == WM_NCRBUTTONDOWN)
        break;
      continue;
    }
    if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) {
      const WPARAM key = m.wParam;
      if (key == static_cast<WPARAM>(VK_ESCAPE)) {
        SetWindowPos(hwnd, nullptr, orig.left, orig.top, orig.right - orig.left, orig.bottom - orig.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        break;
      }
      if (key == static_cast<WPARAM>(VK_RETURN)) break;
      const int dx = key == static_cast<WPARAM>(VK_LEFT) ? -1 : key == static_cast<WPARAM>(VK_RIGHT) ? 1 : 0;
      const int dy = key == static_cast<WPARAM>(VK_UP) ? -1 : key == static_cast<WPARAM>(VK_DOWN) ? 1 : 0;
      if (!byKeys || (dx == 0 && dy == 0)) continue;
      if (!move) {
        // The first arrow of a direction picks the border it sizes; later ones move it.
        int& border = dx ? borders.horizontal : borders.vertical;
        if (border == 0) {
          border = dx ? dx : dy;
          edge = borders.Edge();
          continue;
        }
      }
      place(Moved(current, edge, dx * kKeyStep, dy * kKeyStep));
      continue;
    }
    if (mouse) continue;
    if (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) continue;
    DispatchMessageW(&m);
    if (GetCapture() != hwnd) break;
  }
  if (GetCapture() == hwnd) ReleaseCapture();
  if (IsWindow(hwnd)) Send(hwnd, WM_EXITSIZEMOVE);
}

void DefaultNcMouseDown(HWND hwnd, LRESULT hit, POINT screen) {
  Window* w = State().Find(hwnd);
  if (!w) return;
  LPARAM pt = MAKELPARAM(screen.x, screen.y);
  switch (hit) {
    case HTCAPTION:
      // A minimised window left on the screen (no window manager keeps it) comes back on a click.
      if (w->style & WS_MINIMIZE) {
        if (TrackCaptionButton(hwnd, hit)) Send(hwnd, WM_SYSCOMMAND, SC_RESTORE, pt);
        break;
      }
      Send(hwnd, WM_SYSCOMMAND, SC_MOVE | static_cast<WPARAM>(HTCAPTION), pt);
      break;
    case HTLEFT: case HTRIGHT: case HTTOP: case HTTOPLEFT: case HTTOPRIGHT:
    case HTBOTTOM: case HTBOTTOMLEFT: case HTBOTTOMRIGHT:
      if (w->style & WS_THICKFRAME)
        Send(hwnd, WM_SYSCOMMAND, SC_SIZE | static_cast<WPARAM>(hit - HTLEFT + WMSZ_LEFT), pt);
      break;
    case HTSYSMENU:
      Send(hwnd, WM_SYSCOMMAND, SC_MOUSEMENU | static_cast<WPARAM>(HTSYSMENU), pt);
      break;
    case HTMENU:
      Send(hwnd, WM_SYSCOMMAND, SC_MOUSEMENU | static_cast<WPARAM>(HTMENU), pt);
      break;
    case HTVSCROLL:
    case HTHSCROLL:
      ScrollBarPress(hwnd, hit == HTVSCROLL, screen);
      break;
    case HTCLOSE:
      if (TrackCaptionButton(hwnd, hit)) Send(hwnd, WM_SYSCOMMAND, SC_CLOSE, pt);
      break;
    case HTMAXBUTTON:
      if ((w->style & WS_MAXIMIZEBOX) && TrackCaptionButton(hwnd, hit))
        if ((w = State().Find(hwnd)))
          Send(hwnd, WM_SYSCOMMAND, (w->style & WS_MAXIMIZE) ? SC_RESTORE : SC_MAXIMIZE, pt);
      break;
    case HTMINBUTTON:
      if ((w->style & WS_MINIMIZEBOX) && TrackCaptionButton(hwnd, hit)) Send(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, pt);
      break;
    default:
      break;
  }
}

void DefaultSysCommand(HWND hwnd, WPARAM cmd, LPARAM lParam) {
  Window* w = State().Find(hwnd);
  if (!w) return;
  if (HasHooks(WH_CBT) && CallCbtHook(HCBT_SYSCOMMAND, cmd, lParam)) return;
  switch (cmd & 0xfff0) {
    case SC_MOVE:
    case SC_SIZE:
      RunMoveSizeLoop(hwnd, cmd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      break;
    case SC_MINIMIZE:
      ShowWindow(hwnd, SW_MINIMIZE);
      break;
    case SC_MAXIMIZE:
      ShowWindow(hwnd, SW_MAXIMIZE);
      break;
    case SC_RESTORE:
      ShowWindow(hwnd, SW_RESTORE);
      break;
    case SC_CLOSE:
      if (!(w->cls->style & CS_NOCLOSE)) Send(hwnd, WM_CLOSE);
      break;
    case SC_KEYMENU:
      if (lParam == u' ') {
        RECT r;
        GetWindowRect(hwnd, &r);
        ShowSystemMenuAt(hwnd, POINT{r.left, r.top + GetSystemMetrics(SM_CYCAPTION)});
      } else {
        TrackMenuBarByKey(hwnd, static_cast<char16_t>(lParam));
      }
      break;
    case SC_MOUSEMENU:
      if ((cmd & 0x0f) == static_cast<WPARAM>(HTSYSMENU)) {
        RECT r;
        GetWindowRect(hwnd, &r);
        ShowSystemMenuAt(hwnd, POINT{r.left, r.top + GetSystemMetrics(SM_CYCAPTION)});
      } else {
        TrackMenuBarAt(hwnd, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      }
      break;
    default:
      break;
  }
}

}  // namespace user_internal
