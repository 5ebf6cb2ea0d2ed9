// Creating and destroying windows, with the messages in the order Windows sends them.
#include <algorithm>

#include "platform/rtl/strings.h"
#include "platform/user/hooks.h"
#include "platform/user/input.h"
#include "platform/user/internal/back_buffer.h"
#include "platform/user/internal/internal_procs.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/window.h"

using namespace user_internal;

namespace {

int ClampCoordinate(int v) { return std::clamp(v, -kMaxCoordinate, kMaxCoordinate); }
int ClampSize(int v) { return std::clamp(v, 0, kMaxCoordinate); }

int cascadeIndex = 0;

void DefaultPlacement(CREATESTRUCTW& cs, bool overlapped) {
  int sw = GetSystemMetrics(SM_CXSCREEN);
  int sh = GetSystemMetrics(SM_CYSCREEN);
  if (cs.x == CW_USEDEFAULT) {
    if (overlapped) {
      int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
      cs.x = cs.y = 40 + step * (cascadeIndex++ % 8);
    } else {
      cs.x = cs.y = 0;
    }
  }
  if (cs.cx == CW_USEDEFAULT) {
    if (overlapped) {
      cs.cx = sw * 3 / 4;
      cs.cy = sh * 3 / 4;
    } else {
      cs.cx = cs.cy = 0;
    }
  }
}

void NotifyParents(Window* w, UINT event) {
  if (!(w->style & WS_CHILD)) return;
  HWND child = w->handle;
  LONG_PTR id = w->id;
  DWORD ex = w->exStyle;
  HWND parent = w->parent;
  while (parent && !(ex & WS_EX_NOPARENTNOTIFY)) {
    Send(parent, WM_PARENTNOTIFY, MAKEWPARAM(static_cast<int>(event), static_cast<int>(id)),
         reinterpret_cast<LPARAM>(child));
    Window* p = State().Find(parent);
    if (!p || !(p->style & WS_CHILD)) break;
    ex = p->exStyle;
    parent = p->parent;
  }
}

void SendDestroyMessages(HWND hwnd) {
  Window* w = State().Find(hwnd);
  if (!w) return;
  Send(hwnd, WM_DESTROY);
  w = State().Find(hwnd);
  if (!w) return;
  std::vector<HWND> children = w->children;
  for (HWND c : children) {
    if (Window* cw = State().Find(c)) cw->destroying = true;
    SendDestroyMessages(c);
  }
}

void FreeWindowTree(HWND hwnd) {
  Window* w = State().Find(hwnd);
  if (!w) return;
  std::vector<HWND> children = w->children;
  for (HWND c : children) FreeWindowTree(c);
  w = State().Find(hwnd);
  if (!w) return;
  OnWindowDestroyed(hwnd);
  Send(hwnd, WM_NCDESTROY);
  w = State().Find(hwnd);
  if (!w) return;
  KillWindowTimers(hwnd);
  CaretWindowDestroyed(hwnd);
  ClipboardWindowDestroyed(hwnd);
  DestroyWindowMenus(w);
  DropPaintState(w);
  DestroyNative(w);
  UnlinkWindow(w);
  // Children re-linked meanwhile by their procedures are freed with their parent.
  std::vector<HWND> late = w->children;
  for (HWND c : late) FreeWindowTree(c);
  w->props.clear();
  State().Release(w);
}

}  // namespace

namespace user_internal {

// The z-ordered list a window stands in: its parent's children, or the top-level windows.
std::vector<HWND>* SiblingList(Window* w) {
  UserState& s = State();
  if (!w->parent) return &s.topLevels;
  Window* p = s.FindAny(w->parent);
  return p ? &p->children : nullptr;
}

void LinkWindow(Window* w, HWND insertAfter) {
  UserState& s = State();
  std::vector<HWND>* list = SiblingList(w);
  if (!list) return;
  list->erase(std::remove(list->begin(), list->end(), w->handle), list->end());
  if (insertAfter == HWND_BOTTOM) {
    list->push_back(w->handle);
  } else if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST ||
             insertAfter == HWND_NOTOPMOST || insertAfter == nullptr) {
    auto pos = list->begin();
    if (!w->parent && !(w->exStyle & WS_EX_TOPMOST)) {
      // Ordinary top-level windows stay below the topmost ones.
      while (pos != list->end()) {
        Window* o = s.FindAny(*pos);
        if (!o || !(o->exStyle & WS_EX_TOPMOST)) break;
        ++pos;
      }
    }
    list->insert(pos, w->handle);
  } else {
    auto it = std::find(list->begin(), list->end(), insertAfter);
    if (it == list->end()) {
      list->insert(list->begin(), w->handle);
    } else {
      list->insert(it + 1, w->handle);
    }
  }
}

void UnlinkWindow(Window* w) {
  if (std::vector<HWND>* list = SiblingList(w))
    list->erase(std::remove(list->begin(), list->end(), w->handle), list->end());
}

}  // namespace user_internal

HWND CreateWindowExW(DWORD exStyle, const char16_t* className, const char16_t* windowName,
                     DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu,
                     HINSTANCE instance, void* param) {
  UserState& s = State();
  auto cls = FindClass(className);
  if (!cls) return nullptr;
  if (parent == HWND_MESSAGE) parent = nullptr;
  Window* parentWindow = parent ? s.Find(parent) : nullptr;
  if (parent && !parentWindow) return nullptr;
  if ((style & WS_CHILD) && !parentWindow) return nullptr;
  if (parentWindow && Depth(parentWindow) >= kMaxNesting) return nullptr;

  bool child = (style & WS_CHILD) != 0;
  if (!child && !(style & WS_POPUP)) style |= WS_CAPTION | WS_CLIPSIBLINGS;
  if ((style & WS_CAPTION) == WS_CAPTION || (style & WS_THICKFRAME) ||
      (exStyle & WS_EX_DLGMODALFRAME))
    exStyle |= WS_EX_WINDOWEDGE;

  std::u16string name = windowName && !IS_INTRESOURCE(windowName) ? std::u16string(windowName) : std::u16string();
  CREATESTRUCTW cs{param, instance, menu, parent, height, width, y, x,
                   static_cast<LONG>(style), name.c_str(), cls->name.c_str(), exStyle};
  DefaultPlacement(cs, !child && !(style & WS_POPUP));

  Window* w = s.Allocate();
  if (!w) return nullptr;
  HWND hwnd = w->handle;
  w->cls = cls;
  w->proc = cls->proc;
  w->style = style & ~WS_VISIBLE;
  w->exStyle = exStyle;
  w->instance = instance;
  w->extra.assign(static_cast<size_t>(cls->wndExtra), 0);
  if (child) {
    w->parent = parent;
    w->id = reinterpret_cast<LONG_PTR>(menu);
  } else {
    w->owner = parent ? GetAncestor(parent, GA_ROOT) : nullptr;
    w->menu = menu;
  }
  LinkWindow(w, child ? HWND_BOTTOM : HWND_TOP);

  // The creation hook may refuse the window or change where it goes.
  if (HasHooks(WH_CBT)) {
    CBT_CREATEWNDW cbt{&cs, HWND_TOP};
    if (CallCbtHook(HCBT_CREATEWND, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(&cbt))) {
      if ((w = s.Find(hwnd))) {
        UnlinkWindow(w);
        s.Release(w);
      }
      return nullptr;
    }
    if (!(w = s.Find(hwnd))) return nullptr;
  }

  cs.x = ClampCoordinate(cs.x);
  cs.y = ClampCoordinate(cs.y);
  cs.cx = ClampSize(cs.cx);
  cs.cy = ClampSize(cs.cy);
  if ((style & WS_THICKFRAME) || !(style & (WS_POPUP | WS_CHILD))) {
    MINMAXINFO mmi = QueryMinMax(hwnd);
    if (!(w = s.Find(hwnd))) return nullptr;
    cs.cx = std::min(std::max(cs.cx, mmi.ptMinTrackSize.x), mmi.ptMaxTrackSize.x);
    cs.cy = std::min(std::max(cs.cy, mmi.ptMinTrackSize.y), mmi.ptMaxTrackSize.y);
    cs.cx = ClampSize(cs.cx);
    cs.cy = ClampSize(cs.cy);
  }
  w->window = RECT{cs.x, cs.y, cs.x + cs.cx, cs.y + cs.cy};
  w->client = w->window;
  w->normalRect = w->window;

  if (!Send(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    if (IsWindow(hwnd)) FreeWindowTree(hwnd);
    return nullptr;
  }
  if (!(w = s.Find(hwnd))) return nullptr;
  CalcClientRect(w, w->window, nullptr);
  if (!(w = s.Find(hwnd))) return nullptr;
  if (Send(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (!(w = s.Find(hwnd))) return nullptr;
  w->createSent = true;
  if (!child) SyncNative(w);

  if (!(w->style & (WS_MINIMIZE | WS_MAXIMIZE))) {
    RECT c = w->client;
    Send(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(c.right - c.left, c.bottom - c.top));
    Send(hwnd, WM_MOVE, 0, MAKELPARAM(c.left, c.top));
  }
  if (!(w = s.Find(hwnd))) return nullptr;
  NotifyParents(w, WM_CREATE);
  if (!IsWindow(hwnd)) return nullptr;

  if (style & WS_VISIBLE) {
    if (style & WS_MAXIMIZE) {
      ShowWindow(hwnd, SW_SHOWMAXIMIZED);
    } else if (style & WS_MINIMIZE) {
      ShowWindow(hwnd, SW_SHOWMINIMIZED);
    } else {
      ShowWindow(hwnd, SW_SHOW);
    }
  }
  return IsWindow(hwnd) ? hwnd : nullptr;
}

HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                     int x, int y, int width, int height, HWND parent, HMENU menu,
                     HINSTANCE instance, void* param) {
  WideString cls;
  const char16_t* clsArg = nullptr;
  if (className && IS_INTRESOURCE(className)) {
    clsArg = reinterpret_cast<const char16_t*>(className);
  } else if (className) {
    cls = Utf8ToWide(className);
    clsArg = cls.c_str();
  }
  WideString name = windowName ? Utf8ToWide(windowName) : WideString();
  return CreateWindowExW(exStyle, clsArg, windowName ? name.c_str() : nullptr, style, x, y, width,
                         height, parent, menu, instance, param);
}

BOOL DestroyWindow(HWND hwnd) {
  UserState& s = State();
  Window* w = s.Find(hwnd);
  if (!w) return FALSE;
  if (w->destroying) return TRUE;
  if (HasHooks(WH_CBT)) {
    if (CallCbtHook(HCBT_DESTROYWND, reinterpret_cast<WPARAM>(hwnd), 0)) return FALSE;
    if (!(w = s.Find(hwnd))) return TRUE;
  }
  w->destroying = true;
  NotifyParents(w, WM_DESTROY);
  if (!(w = s.Find(hwnd))) return TRUE;

  if (w->style & WS_VISIBLE) {
    UINT flags = SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;
    if (!w->parent) flags &= ~SWP_NOACTIVATE;
    SetWindowPosInternal(hwnd, nullptr, 0, 0, 0, 0, flags);
    if (!(w = s.Find(hwnd))) return TRUE;
  }
  if (!w->parent && s.active == hwnd) DeactivateOnHide(hwnd);

  // Owned windows go first.
  std::vector<HWND> owned;
  for (HWND t : s.topLevels) {
    Window* o = s.Find(t);
    if (o && o->owner == hwnd) owned.push_back(t);
  }
  for (HWND o : owned) DestroyWindow(o);
  if (!s.Find(hwnd)) return TRUE;

  SendDestroyMessages(hwnd);
  FreeWindowTree(hwnd);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) { return State().Find(hwnd) != nullptr; }

BOOL IsWindowUnicode(HWND hwnd) { return IsWindow(hwnd); }
