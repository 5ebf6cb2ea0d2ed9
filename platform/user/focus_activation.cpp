// Activation of top-level windows, keyboard focus and mouse capture.
#include "platform/user/hooks.h"
#include "platform/user/input.h"
#include "platform/user/internal/internal_procs.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"

using namespace user_internal;

namespace {

bool Minimized(HWND hwnd) {
  Window* w = State().Find(hwnd);
  return w && (w->style & WS_MINIMIZE);
}

void SendActivateApp(bool active) {
  UserState& s = State();
  if (s.appActive == active) return;
  s.appActive = active;
  std::vector<HWND> tops = s.topLevels;
  for (HWND t : tops) Send(t, WM_ACTIVATEAPP, active ? TRUE : FALSE, static_cast<LPARAM>(GetCurrentThreadId()));
}

// Takes the focus away from whatever has it (WM_KILLFOCUS), leaving none.
void DropFocus(HWND next) {
  UserState& s = State();
  HWND old = s.focus;
  if (!old) return;
  s.focus = nullptr;
  Send(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(next), 0);
}

bool Activatable(Window* w) {
  return w && !w->parent && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED) &&
         !(w->style & WS_MINIMIZE) && !(w->exStyle & WS_EX_NOACTIVATE) &&
         w->cls->name != u"#32768";
}

}  // namespace

namespace user_internal {

namespace {

// Brings the window and those it owns to the top of the program's windows; on the screen too
// unless the desktop reported the window's activation (it stacks its windows itself then).
void Raise(Window* w, bool native) {
  UserState& s = State();
  LinkWindow(w, HWND_TOP);
  if (native && w->native) s.Display().RaiseNativeWindow(w->native);
  // Windows it owns stay above it.
  std::vector<HWND> owned;
  for (HWND t : s.topLevels) {
    Window* o = s.Find(t);
    if (o && o->owner == w->handle && (o->style & WS_VISIBLE)) owned.push_back(t);
  }
  for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
    Window* o = s.Find(*it);
    LinkWindow(o, HWND_TOP);
    if (native && o->native) s.Display().RaiseNativeWindow(o->native);
  }
}

}  // namespace

void RaiseWithOwned(Window* w) { Raise(w, true); }

HWND ModalPopupOf(HWND top) {
  UserState& s = State();
  // The topmost visible, enabled captioned window owned by it (or by one of its own dialogs);
  // hints and menus it owns are not dialogs.
  for (HWND t : s.topLevels) {
    Window* o = s.Find(t);
    if (!o || t == top || !(o->style & WS_VISIBLE) || (o->style & WS_DISABLED) ||
        (o->style & WS_CAPTION) != WS_CAPTION || (o->exStyle & WS_EX_NOACTIVATE) || o->cls->name == u"#32768")
      continue;
    int guard = 0;
    for (HWND owner = o->owner; owner && guard++ <= kMaxNesting;) {
      if (owner == top) return t;
      Window* ow = s.Find(owner);
      owner = ow ? ow->owner : nullptr;
    }
  }
  return nullptr;
}

void ActivateTopLevel(HWND hwnd, bool mouse, bool reported) {
  UserState& s = State();
  Window* w = s.Find(hwnd);
  if (!w) return;
  w = TopLevelOf(w);
  // A window held by a modal dialog is not activated; its dialog is instead.
  if (w->style & WS_DISABLED) {
    HWND popup = ModalPopupOf(w->handle);
    if (!popup || !(w = s.Find(popup))) return;
  }
  hwnd = w->handle;
  if (s.active == hwnd) return;
  if (w->cls->name == u"#32768" || (w->exStyle & WS_EX_NOACTIVATE)) return;
  HWND old = s.active;
  if (HasHooks(WH_CBT)) {
    CBTACTIVATESTRUCT cbt{mouse ? TRUE : FALSE, old};
    if (CallCbtHook(HCBT_ACTIVATE, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(&cbt)))
      return;
    if (!s.Find(hwnd)) return;
  }
  if (old && s.Find(old)) {
    if (!Send(old, WM_NCACTIVATE, FALSE, reinterpret_cast<LPARAM>(hwnd)) && s.Find(old)) return;
    Send(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, Minimized(old) ? 1 : 0),
         reinterpret_cast<LPARAM>(hwnd));
  }
  if (!(w = s.Find(hwnd))) return;
  s.active = hwnd;
  Raise(w, !reported);
  SendActivateApp(true);
  if (!s.Find(hwnd) || s.active != hwnd) return;
  Send(hwnd, WM_NCACTIVATE, TRUE, 0);
  if (!s.Find(hwnd) || s.active != hwnd) return;
  Send(hwnd, WM_ACTIVATE, MAKEWPARAM(mouse ? WA_CLICKACTIVE : WA_ACTIVE, Minimized(hwnd) ? 1 : 0),
       reinterpret_cast<LPARAM>(old));
  if (!(w = s.Find(hwnd)) || s.active != hwnd) return;
  // The focus never stays in a window that lost the activation.
  if (s.focus && s.focus != hwnd && !IsChild(hwnd, s.focus)) DropFocus(nullptr);
  if (!reported && w->native && (w->style & WS_VISIBLE)) s.Display().SetKeyboardFocus(w->native);
}

void DeactivateOnHide(HWND hwnd) {
  UserState& s = State();
  if (s.active != hwnd) return;
  Window* w = s.Find(hwnd);
  // The owner first, then the topmost other window that can take the activation.
  HWND next = nullptr;
  if (w && w->owner && Activatable(s.Find(w->owner))) next = w->owner;
  if (!next) {
    for (HWND t : s.topLevels) {
      if (t == hwnd) continue;
      Window* o = s.Find(t);
      if (Activatable(o) && o->owner != hwnd) {
        next = t;
        break;
      }
    }
  }
  if (next) {
    ActivateTopLevel(next, false);
    if (s.active == next) return;
  }
  // Nothing else to activate: the activation leaves the program.
  DeactivateApp();
}

void DeactivateApp() {
  UserState& s = State();
  HWND old = s.active;
  if (old && s.Find(old)) {
    Send(old, WM_NCACTIVATE, FALSE, 0);
    Send(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, Minimized(old) ? 1 : 0), 0);
  }
  s.active = nullptr;
  SendActivateApp(false);
  DropFocus(nullptr);
}

void OnWindowDestroyed(HWND hwnd) {
  UserState& s = State();
  if (s.capture == hwnd) ReleaseCapture();
  // The focus goes with the window; a dying window gets no WM_KILLFOCUS.
  if (s.focus == hwnd) s.focus = nullptr;
  if (s.active == hwnd) s.active = nullptr;
  if (s.track.hwnd == hwnd) s.track = MouseTrack{};
  if (s.lastMouseWindow == hwnd) s.lastMouseWindow = nullptr;
  if (s.lastClickWindow == hwnd) s.lastClickWindow = nullptr;
  std::erase_if(s.posted, [hwnd](const MSG& m) { return m.hwnd == hwnd; });
  std::erase_if(s.input, [hwnd](const MSG& m) { return m.hwnd == hwnd; });
}

}  // namespace user_internal

HWND SetFocus(HWND hwnd) {
  UserState& s = State();
  HWND old = s.focus;
  if (!hwnd) {
    if (HasHooks(WH_CBT) && CallCbtHook(HCBT_SETFOCUS, 0, reinterpret_cast<LPARAM>(old))) return nullptr;
    DropFocus(nullptr);
    return old;
  }
  Window* w = s.Find(hwnd);
  if (!w) return nullptr;
  if (hwnd == old) return old;
  // A window inside a disabled or minimised parent chain cannot take the focus.
  for (Window* p = w; p; p = p->parent ? s.Find(p->parent) : nullptr) {
    if ((p->style & WS_MINIMIZE) || (p->style & WS_DISABLED)) return nullptr;
  }
  if (HasHooks(WH_CBT)) {
    if (CallCbtHook(HCBT_SETFOCUS, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(old)))
      return nullptr;
    if (!(w = s.Find(hwnd))) return nullptr;
  }
  Window* top = TopLevelOf(w);
  if (s.active != top->handle) {
    ActivateTopLevel(top->handle, false);
    if (!s.Find(hwnd)) return nullptr;
    if (s.focus == hwnd) return old;
  }
  old = s.focus;
  if (old) {
    s.focus = nullptr;
    Send(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (!s.Find(hwnd)) return nullptr;
  }
  s.focus = hwnd;
  Send(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

HWND GetFocus() { return State().focus; }

HWND SetActiveWindow(HWND hwnd) {
  UserState& s = State();
  HWND old = s.active;
  Window* w = s.Find(hwnd);
  if (!w || w->parent) return nullptr;
  ActivateTopLevel(hwnd, false);
  return old;
}

HWND GetActiveWindow() { return State().active; }

BOOL SetForegroundWindow(HWND hwnd) {
  Window* w = State().Find(hwnd);
  if (!w) return FALSE;
  ActivateTopLevel(TopLevelOf(w)->handle, false);
  return State().active == TopLevelOf(w)->handle;
}

HWND GetForegroundWindow() { return State().appActive ? State().active : nullptr; }

HWND SetCapture(HWND hwnd) {
  UserState& s = State();
  Window* w = s.Find(hwnd);
  if (!w) return nullptr;
  HWND old = s.capture;
  if (old == hwnd) return old;
  s.capture = hwnd;
  if (old) Send(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  if ((w = s.Find(hwnd)) && s.capture == hwnd) {
    if (Window* top = TopLevelOf(w); top->native) s.Display().GrabPointer(top->native);
  }
  return old;
}

BOOL ReleaseCapture() {
  UserState& s = State();
  HWND old = s.capture;
  if (!old) return TRUE;
  s.capture = nullptr;
  s.Display().UngrabPointer();
  Send(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() { return State().capture; }
