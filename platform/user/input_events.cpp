// Input from the display back end turned into window messages: hit testing, cursor,
// mouse activation, double clicks, mouse tracking and key state.
#include <algorithm>

#include "platform/user/input.h"
#include "platform/user/internal/internal_procs.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/user_display.h"
#include "platform/user/window.h"

using namespace user_internal;

namespace {

constexpr UINT kDoubleClickTime = 500;
constexpr DWORD kDefaultHoverTime = 400;
constexpr int kMaxEventsPerPump = 1000;

BYTE asyncKeys[256] = {};
bool focusOutPending = false;

Window* TopLevelOfNative(display::NativeWindow n) {
  for (HWND t : State().topLevels) {
    Window* w = State().Find(t);
    if (w && w->native == n) return w;
  }
  return nullptr;
}

WPARAM MouseKeyFlags() {
  WPARAM f = 0;
  if (asyncKeys[VK_LBUTTON] & 0x80) f |= MK_LBUTTON;
  if (asyncKeys[VK_RBUTTON] & 0x80) f |= MK_RBUTTON;
  if (asyncKeys[VK_MBUTTON] & 0x80) f |= MK_MBUTTON;
  if (asyncKeys[VK_SHIFT] & 0x80) f |= MK_SHIFT;
  if (asyncKeys[VK_CONTROL] & 0x80) f |= MK_CONTROL;
  return f;
}

void QueueInput(MSG m) {
  auto& q = State().input;
  bool move = m.message == WM_MOUSEMOVE || m.message == WM_NCMOUSEMOVE;
  if (move && !q.empty() && q.back().message == m.message && q.back().hwnd == m.hwnd) {
    q.back() = m;  // moves coalesce
    return;
  }
  if (q.size() >= kMaxPostedMessages) q.pop_front();
  q.push_back(m);
}

void PostLeave(HWND left) {
  UserState& s = State();
  if (!left || s.track.hwnd != left || !(s.track.flags & TME_LEAVE)) return;
  UINT msg = (s.track.flags & TME_NONCLIENT) ? WM_NCMOUSELEAVE : WM_MOUSELEAVE;
  s.track = MouseTrack{};
  QueueInput(MakeMessage(left, msg, 0, 0));
}

UINT ButtonMessage(display::MouseButton b, bool down, bool client) {
  UINT base = client ? WM_LBUTTONDOWN : WM_NCLBUTTONDOWN;
  int index = b == display::MouseButton::Left ? 0 : b == display::MouseButton::Right ? 1 : 2;
  return base + static_cast<UINT>(index * 3) + (down ? 0 : 1);
}

int ButtonKey(display::MouseButton b) {
  return b == display::MouseButton::Left ? VK_LBUTTON
         : b == display::MouseButton::Right ? VK_RBUTTON : VK_MBUTTON;
}

// The window that gets a mouse event at a screen point, with its hit-test code.
HWND MouseTarget(POINT pt, LRESULT* hit) {
  UserState& s = State();
  if (s.capture && s.Find(s.capture)) {
    *hit = HTCLIENT;
    return s.capture;
  }
  HWND hwnd = WindowFromPoint(pt);
  // Nothing inside a window held by a modal dialog takes the mouse: the held window answers.
  if (Window* w = hwnd ? s.Find(hwnd) : nullptr; w && (TopLevelOf(w)->style & WS_DISABLED)) {
    *hit = HTERROR;
    return TopLevelOf(w)->handle;
  }
  int guard = 0;
  while (hwnd && guard++ <= kMaxNesting) {
    Window* w = s.Find(hwnd);
    if (!w) return nullptr;
    if ((w->style & WS_DISABLED) && w->parent) {
      hwnd = w->parent;
      continue;
    }
    if (w->style & WS_DISABLED) {
      *hit = HTERROR;
      return hwnd;
    }
    *hit = Send(hwnd, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
    if (*hit != HTTRANSPARENT) return s.Find(hwnd) ? hwnd : nullptr;
    if (!(w = s.Find(hwnd)) || !w->parent) return nullptr;
    hwnd = w->parent;
  }
  return nullptr;
}

void MouseEvent(const display::Event& e) {
  UserState& s = State();
  POINT pt{e.x, e.y};
  s.cursorPos = pt;
  bool down = e.kind == display::EventKind::ButtonDown;
  bool up = e.kind == display::EventKind::ButtonUp;
  if (down || up) asyncKeys[ButtonKey(e.button)] = down ? 0x80 : 0;

  if (e.kind == display::EventKind::Wheel) {
    HWND target = s.focus ? s.focus : s.active;
    if (!target) return;
    QueueInput(MakeMessage(target, WM_MOUSEWHEEL,
                         MAKEWPARAM(static_cast<int>(MouseKeyFlags()), e.wheel), MAKELPARAM(pt.x, pt.y)));
    return;
  }

  LRESULT hit = HTNOWHERE;
  HWND hwnd = MouseTarget(pt, &hit);
  if (s.lastMouseWindow != hwnd) {
    PostLeave(s.lastMouseWindow);
    s.lastMouseWindow = hwnd;
  }
  if (!hwnd) return;
  bool client = hit == HTCLIENT;
  if (s.track.hwnd == hwnd && (s.track.flags & TME_LEAVE) &&
      ((s.track.flags & TME_NONCLIENT) != 0) == client) {
    PostLeave(hwnd);  // moved between client and frame of the tracked window
  }

  UINT message = WM_MOUSEMOVE;
  if (down || up) message = ButtonMessage(e.button, down, client);
  else if (!client) message = WM_NCMOUSEMOVE;

  if (!s.capture) {
    Send(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(static_cast<int>(hit), static_cast<int>(message)));
    if (!s.Find(hwnd)) return;
  }
  if (hit == HTERROR) {
    if (down) {
      s.Display().Beep();
      // As the system answers a press on a window that a dialog holds: the dialog comes up.
      if (HWND popup = ModalPopupOf(hwnd)) ActivateTopLevel(popup, true);
    }
    return;
  }

  if (down) {
    Window* w = s.Find(hwnd);
    Window* top = w ? TopLevelOf(w) : nullptr;
    if (top && s.active != top->handle && top->cls->name != u"#32768") {
      LRESULT ma = Send(hwnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top->handle),
                        MAKELPARAM(static_cast<int>(hit), static_cast<int>(message)));
      if (ma == MA_ACTIVATE || ma == MA_ACTIVATEANDEAT || ma == 0) ActivateTopLevel(top->handle, true);
      if (ma == MA_ACTIVATEANDEAT || ma == MA_NOACTIVATEANDEAT) return;
      if (!s.Find(hwnd)) return;
    }
    // Double clicks: the same button again soon, near the first press.
    int dx = GetSystemMetrics(SM_CXDOUBLECLK) / 2, dy = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    std::uint64_t now = s.Now();
    bool dbl = s.lastClickMessage == message && s.lastClickWindow == hwnd &&
               now - s.lastClickTime <= kDoubleClickTime &&
               std::abs(pt.x - s.lastClickPoint.x) <= dx && std::abs(pt.y - s.lastClickPoint.y) <= dy;
    w = s.Find(hwnd);
    if (dbl && (!client || (w && (w->cls->style & CS_DBLCLKS)))) {
      message += 2;  // ...DOWN -> ...DBLCLK
      s.lastClickMessage = 0;
    } else {
      s.lastClickMessage = message;
      s.lastClickWindow = hwnd;
      s.lastClickTime = now;
      s.lastClickPoint = pt;
    }
  }

  if (client) {
    POINT c = pt;
    ScreenToClient(hwnd, &c);
    QueueInput(MakeMessage(hwnd, message, MouseKeyFlags(), MAKELPARAM(c.x, c.y)));
  } else {
    QueueInput(MakeMessage(hwnd, message, static_cast<WPARAM>(hit), MAKELPARAM(pt.x, pt.y)));
  }
  if (!down && !up && s.track.hwnd == hwnd && (s.track.flags & TME_HOVER)) {
    int hx = 2, hy = 2;
    if (std::abs(pt.x - s.track.hoverPoint.x) > hx || std::abs(pt.y - s.track.hoverPoint.y) > hy) {
      s.track.hoverPoint = pt;
      s.track.hoverStart = s.Now();
    }
  }
}

void KeyEvent(const display::Event& e) {
  UserState& s = State();
  bool down = e.kind == display::EventKind::KeyDown;
  unsigned vk = e.virtualKey & 0xff;
  bool wasDown = (asyncKeys[vk] & 0x80) != 0;
  asyncKeys[vk] = down ? 0x80 : 0;
  if (vk == VK_LSHIFT || vk == VK_RSHIFT) asyncKeys[VK_SHIFT] = asyncKeys[VK_LSHIFT] | asyncKeys[VK_RSHIFT];
  if (vk == VK_LCONTROL || vk == VK_RCONTROL) asyncKeys[VK_CONTROL] = asyncKeys[VK_LCONTROL] | asyncKeys[VK_RCONTROL];
  if (vk == VK_LMENU || vk == VK_RMENU) asyncKeys[VK_MENU] = asyncKeys[VK_LMENU] | asyncKeys[VK_RMENU];
  unsigned reported = vk;
  if (vk == VK_LSHIFT || vk == VK_RSHIFT) reported = VK_SHIFT;
  if (vk == VK_LCONTROL || vk == VK_RCONTROL) reported = VK_CONTROL;
  if (vk == VK_LMENU || vk == VK_RMENU) reported = VK_MENU;

  bool alt = (asyncKeys[VK_MENU] & 0x80) != 0;
  bool ctrl = (asyncKeys[VK_CONTROL] & 0x80) != 0;
  HWND target = s.focus;
  bool sys = (alt && !ctrl) || reported == VK_F10 || (reported == VK_MENU);
  if (!target && !s.active) {
    // A minimised window left on the screen (no window manager keeps it) that still has the
    // keyboard takes the activation back, as a minimised window may have it.
    Window* top = TopLevelOfNative(e.window);
    if (top && (top->style & WS_MINIMIZE) && (top->style & WS_VISIBLE) && !top->minimizedToDesktop)
      ActivateTopLevel(top->handle, false, true);
  }
  if (!target) {
    target = s.active;
    sys = true;
  }
  if (!target) return;
  // Keys never reach a window held by a modal dialog.
  if (Window* w = s.Find(target); !w || (TopLevelOf(w)->style & WS_DISABLED)) return;
  UINT message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  LPARAM l = 1 | ((e.scanCode & 0xff) << 16) | (e.extendedKey ? (1 << 24) : 0) |
             ((alt && !ctrl) ? (1 << 29) : 0) | ((down ? wasDown : true) ? (1 << 30) : 0);
  if (!down) l |= static_cast<LPARAM>(static_cast<std::uint32_t>(1u << 31));
  MSG m = MakeMessage(target, message, reported, static_cast<LPARAM>(static_cast<std::int32_t>(l)));
  // Characters typed with Ctrl are control characters; Alt+key characters become WM_SYSCHAR.
  char32_t ch = e.character;
  if (down && ctrl && !alt && reported >= 'A' && reported <= 'Z') ch = reported - 'A' + 1;
  m.lPrivate = down ? static_cast<DWORD>(ch) : 0;
  QueueInput(m);
}

HCURSOR StandardCursor(std::uintptr_t id) {
  return reinterpret_cast<HCURSOR>(static_cast<std::uintptr_t>(0x10000) | id);
}

display::Cursor ShapeOf(HCURSOR c) {
  switch (reinterpret_cast<std::uintptr_t>(c) & 0xffff) {
    case 32513: return display::Cursor::IBeam;
    case 32514: return display::Cursor::Wait;
    case 32515: return display::Cursor::Cross;
    case 32516: return display::Cursor::UpArrow;
    case 32642: return display::Cursor::SizeNWSE;
    case 32643: return display::Cursor::SizeNESW;
    case 32644: return display::Cursor::SizeWE;
    case 32645: return display::Cursor::SizeNS;
    case 32646: return display::Cursor::SizeAll;
    case 32648: return display::Cursor::No;
    case 32649: return display::Cursor::Hand;
    case 32650: return display::Cursor::AppStarting;
    case 32651: return display::Cursor::Help;
    default: return display::Cursor::Arrow;
  }
}

}  // namespace

namespace user_internal {

void ProcessDisplayEvent(const display::Event& e) {
  UserState& s = State();
  switch (e.kind) {
    case display::EventKind::MouseMove:
    case display::EventKind::ButtonDown:
    case display::EventKind::ButtonUp:
    case display::EventKind::Wheel:
      MouseEvent(e);
      break;
    case display::EventKind::KeyDown:
    case display::EventKind::KeyUp:
      KeyEvent(e);
      break;
    case display::EventKind::FocusGained: {
      focusOutPending = false;
      // The desktop activated the window: a fact, answered by no request of ours, so that no
      // exchange of activations with the window manager can start. A window that a dialog
      // holds leaves the activation to its dialog.
      Window* w = TopLevelOfNative(e.window);
      if (w && s.active != w->handle) ActivateTopLevel(w->handle, false, true);
      break;
    }
    case display::EventKind::FocusLost:
      focusOutPending = true;
      break;
    case display::EventKind::Exposure:
      if (Window* w = TopLevelOfNative(e.window))
        w->dirty.Add(RECT{e.rect.left, e.rect.top, e.rect.right, e.rect.bottom});
      break;
    case display::EventKind::Configured:
      if (Window* w = TopLevelOfNative(e.window)) {
        // The desktop has the window there already: the rectangle follows, and nothing is sent
        // back (a window manager with a frame of its own would take it as the frame's place).
        const RECT r{e.rect.left, e.rect.top, e.rect.right, e.rect.bottom};
        w->nativeRect = r;
        // An icon's place is the window manager's; the window returns to its own when restored.
        if (w->nativeState == Window::NativeState::Iconic) break;
        if (e.maximized != w->nativeMaximized && !(w->style & WS_MINIMIZE)) {
          // The window manager maximised or restored the window itself (its menu, a key, a
          // double click on its frame): the window's own state, as its caption button would set
          // it, with the place it had kept for restoring.
          w->nativeMaximized = e.maximized;
          if (e.maximized && !(w->style & WS_MAXIMIZE)) {
            w->normalRect = w->window;
            w->style |= WS_MAXIMIZE;
          } else if (!e.maximized) {
            w->style &= ~WS_MAXIMIZE;
          }
          SetWindowPos(w->handle, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
          break;
        }
        if (w->window != r)
          SetWindowPos(w->handle, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
      }
      break;
    case display::EventKind::ShownFromOutside:
      // Restored from a window manager's icon, or mapped by another program: shown as the
      // window itself, not as the minimised window that the desktop no longer keeps.
      if (Window* w = TopLevelOfNative(e.window); w && (w->style & WS_MINIMIZE))
        PostMessageW(w->handle, WM_SYSCOMMAND, SC_RESTORE, 0);
      break;
    case display::EventKind::CloseRequest:
      if (Window* w = TopLevelOfNative(e.window)) {
        // A window that a dialog holds cannot be closed until the dialog ends: the dialog comes up.
        if (w->style & WS_DISABLED) {
          s.Display().Beep();
          if (HWND popup = ModalPopupOf(w->handle)) ActivateTopLevel(popup, false);
          break;
        }
        PostMessageW(w->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      break;
  }
}

void UpdateKeyStateFor(const MSG& m) {
  UserState& s = State();
  auto set = [&](int vk, bool down) {
    if (down && !(s.keyState[vk] & 0x80)) s.keyState[vk] ^= 1;  // toggle on each press
    s.keyState[vk] = static_cast<BYTE>((s.keyState[vk] & 1) | (down ? 0x80 : 0));
  };
  switch (m.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      bool down = m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN;
      set(static_cast<int>(m.wParam & 0xff), down);
      // The left and right forms follow the generic key here.
      if (m.wParam == static_cast<WPARAM>(VK_SHIFT)) set(VK_LSHIFT, down);
      if (m.wParam == static_cast<WPARAM>(VK_CONTROL)) set(VK_LCONTROL, down);
      if (m.wParam == static_cast<WPARAM>(VK_MENU)) set(VK_LMENU, down);
      break;
    }
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_NCLBUTTONDOWN: case WM_NCLBUTTONDBLCLK:
      set(VK_LBUTTON, true);
      break;
    case WM_LBUTTONUP: case WM_NCLBUTTONUP:
      set(VK_LBUTTON, false);
      break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: case WM_NCRBUTTONDOWN: case WM_NCRBUTTONDBLCLK:
      set(VK_RBUTTON, true);
      break;
    case WM_RBUTTONUP: case WM_NCRBUTTONUP:
      set(VK_RBUTTON, false);
      break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: case WM_NCMBUTTONDOWN: case WM_NCMBUTTONDBLCLK:
      set(VK_MBUTTON, true);
      break;
    case WM_MBUTTONUP: case WM_NCMBUTTONUP:
      set(VK_MBUTTON, false);
      break;
    default:
      break;
  }
}

void CheckMouseHover() {
  UserState& s = State();
  MouseTrack& t = s.track;
  if (!t.hwnd || !(t.flags & TME_HOVER)) return;
  if (!s.Find(t.hwnd)) {
    t = MouseTrack{};
    return;
  }
  if (s.Now() - t.hoverStart < t.hoverTime) return;
  t.flags &= ~TME_HOVER;
  POINT c = s.cursorPos;
  UINT msg = (t.flags & TME_NONCLIENT) ? WM_NCMOUSEHOVER : WM_MOUSEHOVER;
  if (msg == WM_MOUSEHOVER) ScreenToClient(t.hwnd, &c);
  QueueInput(MakeMessage(t.hwnd, msg, MouseKeyFlags(), MAKELPARAM(c.x, c.y)));
}

void SetCursorFromShape(HCURSOR cursor) {
  UserState& s = State();
  if (!s.HasDisplay()) return;
  HWND under = s.capture ? s.capture : s.lastMouseWindow;
  Window* w = under ? s.Find(under) : nullptr;
  Window* top = w ? TopLevelOf(w) : nullptr;
  if (top && top->native) s.Display().SetCursorShape(top->native, ShapeOf(cursor));
}

}  // namespace user_internal

void PumpDisplayEvents() {
  UserState& s = State();
  if (!s.HasDisplay()) return;
  display::Event e;
  for (int i = 0; i < kMaxEventsPerPump && s.Display().NextEvent(e); ++i) {
    switch (e.kind) {
      case display::EventKind::MouseMove:
      case display::EventKind::ButtonDown:
      case display::EventKind::ButtonUp:
      case display::EventKind::Wheel:
      case display::EventKind::KeyDown:
      case display::EventKind::KeyUp:
        // Input becomes messages when it is retrieved, so that capture and focus set by
        // earlier messages decide where it goes.
        if (s.raw.size() >= kMaxPostedMessages) s.raw.pop_front();
        s.raw.push_back(e);
        break;
      default:
        ProcessDisplayEvent(e);
        break;
    }
  }
  if (focusOutPending) {
    focusOutPending = false;
    DeactivateApp();
  }
}

std::int16_t GetKeyState(int vk) {
  if (vk < 0 || vk > 255) return 0;
  BYTE b = State().keyState[vk];
  return static_cast<std::int16_t>(((b & 0x80) ? 0x8000 : 0) | (b & 1));
}

std::int16_t GetAsyncKeyState(int vk) {
  if (vk < 0 || vk > 255) return 0;
  return static_cast<std::int16_t>((asyncKeys[vk] & 0x80) ? 0x8000 : 0);
}

BOOL GetKeyboardState(BYTE* keys) {
  if (!keys) return FALSE;
  std::copy_n(State().keyState, 256, keys);
  return TRUE;
}

BOOL GetCursorPos(POINT* pt) {
  if (!pt) return FALSE;
  *pt = State().cursorPos;
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  State().cursorPos = POINT{x, y};
  return TRUE;
}

HCURSOR LoadCursorW(HINSTANCE instance, const char16_t* name) {
  if (instance || !name || !IS_INTRESOURCE(name)) return nullptr;
  auto id = reinterpret_cast<std::uintptr_t>(name);
  if (id < 32512 || id > 32651) return nullptr;
  return StandardCursor(id);
}

HCURSOR SetCursor(HCURSOR cursor) {
  UserState& s = State();
  HCURSOR old = s.cursor;
  if (cursor == old) return old;
  s.cursor = cursor;
  SetCursorFromShape(cursor);
  return old;
}

HCURSOR GetCursor() { return State().cursor; }

UINT GetDoubleClickTime() { return kDoubleClickTime; }

BOOL MessageBeep(UINT) {
  State().Display().Beep();
  return TRUE;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme) {
  if (!tme || tme->cbSize != sizeof(TRACKMOUSEEVENT)) return FALSE;
  UserState& s = State();
  if (tme->dwFlags & TME_QUERY) {
    tme->dwFlags = s.track.flags;
    tme->hwndTrack = s.track.hwnd;
    tme->dwHoverTime = s.track.hoverTime;
    return TRUE;
  }
  if (!s.Find(tme->hwndTrack)) return FALSE;
  if (tme->dwFlags & TME_CANCEL) {
    if (s.track.hwnd == tme->hwndTrack) {
      s.track.flags &= ~(tme->dwFlags & (TME_HOVER | TME_LEAVE));
      if (!(s.track.flags & (TME_HOVER | TME_LEAVE))) s.track = MouseTrack{};
    }
    return TRUE;
  }
  s.track.hwnd = tme->hwndTrack;
  s.track.flags = tme->dwFlags & (TME_HOVER | TME_LEAVE | TME_NONCLIENT);
  s.track.hoverTime = tme->dwHoverTime == HOVER_DEFAULT ? kDefaultHoverTime : tme->dwHoverTime;
  s.track.hoverStart = s.Now();
  s.track.hoverPoint = s.cursorPos;
  // Asking for a leave while the mouse is already elsewhere gives it at once.
  if ((s.track.flags & TME_LEAVE) && s.lastMouseWindow != tme->hwndTrack) PostLeave(tme->hwndTrack);
  return TRUE;
}
