// Window data (GetWindowLong and friends), text, properties and the window tree.
#include <algorithm>
#include <cstring>

#include "platform/rtl/strings.h"
#include "platform/user/internal/internal_procs.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"

using namespace user_internal;

namespace {

bool ExtraRange(const Window* w, int index, size_t size) {
  return index >= 0 && static_cast<size_t>(index) + size <= w->extra.size();
}

std::u16string PropKey(const char16_t* name) {
  if (!name) return {};
  if (IS_INTRESOURCE(name)) {
    auto atom = static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(name));
    auto it = State().atomNames.find(atom);
    if (it != State().atomNames.end()) return LowerAscii(it->second);
    return u"#" + Utf8ToWide(std::to_string(atom));
  }
  return LowerAscii(name);
}

WideString PropKeyA(const char* name) {
  if (name && IS_INTRESOURCE(name)) return PropKey(reinterpret_cast<const char16_t*>(name));
  return name ? LowerAscii(Utf8ToWide(name)) : WideString();
}

HANDLE* FindProp(Window* w, const std::u16string& key) {
  for (auto& p : w->props)
    if (p.first == key) return &p.second;
  return nullptr;
}

BOOL SetPropKey(HWND hwnd, const std::u16string& key, HANDLE data) {
  Window* w = State().Find(hwnd);
  if (!w || key.empty()) return FALSE;
  if (HANDLE* h = FindProp(w, key)) {
    *h = data;
  } else {
    w->props.emplace_back(key, data);
  }
  return TRUE;
}

HANDLE GetPropKey(HWND hwnd, const std::u16string& key) {
  Window* w = State().Find(hwnd);
  if (!w) return nullptr;
  HANDLE* h = FindProp(w, key);
  return h ? *h : nullptr;
}

HANDLE RemovePropKey(HWND hwnd, const std::u16string& key) {
  Window* w = State().Find(hwnd);
  if (!w) return nullptr;
  auto it = std::find_if(w->props.begin(), w->props.end(), [&](auto& p) { return p.first == key; });
  if (it == w->props.end()) return nullptr;
  HANDLE h = it->second;
  w->props.erase(it);
  return h;
}

const std::vector<HWND>* Siblings(const Window* w) {
  if (!w->parent) return &State().topLevels;
  Window* p = State().Find(w->parent);
  return p ? &p->children : nullptr;
}

void CollectDescendants(HWND parent, std::vector<HWND>& out) {
  Window* w = State().Find(parent);
  if (!w) return;
  for (HWND c : w->children) {
    out.push_back(c);
    CollectDescendants(c, out);
  }
}

}  // namespace

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
  Window* w = State().Find(hwnd);
  if (!w) return 0;
  if (index >= 0) {
    if (!ExtraRange(w, index, sizeof(LONG_PTR))) {
      if (!ExtraRange(w, index, sizeof(LONG))) return 0;
      LONG v;
      std::memcpy(&v, w->extra.data() + index, sizeof v);
      return v;
    }
    LONG_PTR v;
    std::memcpy(&v, w->extra.data() + index, sizeof v);
    return v;
  }
  switch (index) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWL_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->parent ? w->parent : w->owner);
    case GWL_ID: return w->id;
    case GWL_STYLE: return static_cast<LONG>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
    case GWL_USERDATA: return w->userData;
    default: return 0;
  }
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  UserState& s = State();
  Window* w = s.Find(hwnd);
  if (!w) return 0;
  LONG_PTR old = GetWindowLongPtrW(hwnd, index);
  if (index >= 0) {
    if (ExtraRange(w, index, sizeof(LONG_PTR))) {
      std::memcpy(w->extra.data() + index, &value, sizeof value);
    } else if (ExtraRange(w, index, sizeof(LONG))) {
      auto v = static_cast<LONG>(value);
      std::memcpy(w->extra.data() + index, &v, sizeof v);
    }
    return old;
  }
  switch (index) {
    case GWL_WNDPROC:
      w->proc = reinterpret_cast<WNDPROC>(value);
      break;
    case GWL_HINSTANCE:
      w->instance = reinterpret_cast<HINSTANCE>(value);
      break;
    case GWL_HWNDPARENT:
      if (!w->parent) w->owner = reinterpret_cast<HWND>(value);
      break;
    case GWL_ID:
      w->id = value;
      break;
    case GWL_USERDATA:
      w->userData = value;
      break;
    case GWL_STYLE:
    case GWL_EXSTYLE: {
      STYLESTRUCT ss{static_cast<DWORD>(old), static_cast<DWORD>(value)};
      Send(hwnd, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&ss));
      if (!(w = s.Find(hwnd))) return 0;
      if (index == GWL_STYLE) {
        w->style = ss.styleNew;
      } else {
        w->exStyle = ss.styleNew;
      }
      Send(hwnd, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&ss));
      break;
    }
    default:
      return 0;
  }
  return old;
}

BOOL SetWindowTextW(HWND hwnd, const char16_t* text) {
  if (!IsWindow(hwnd)) return FALSE;
  return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u"")) ? TRUE : FALSE;
}

BOOL SetWindowTextA(HWND hwnd, const char* utf8) {
  WideString w = Utf8ToWide(utf8 ? utf8 : "");
  return SetWindowTextW(hwnd, w.c_str());
}

int GetWindowTextW(HWND hwnd, char16_t* buffer, int maxCount) {
  if (!buffer || maxCount <= 0) return 0;
  buffer[0] = 0;
  if (!IsWindow(hwnd)) return 0;
  return static_cast<int>(SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount),
                                       reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND hwnd) {
  if (!IsWindow(hwnd)) return 0;
  return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

std::u16string GetWindowTextString(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  if (n <= 0) return {};
  std::u16string text(static_cast<size_t>(n) + 1, u'\0');
  int got = GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(static_cast<size_t>(std::clamp(got, 0, n)));
  return text;
}

int GetWindowTextA(HWND hwnd, char* buffer, int maxCount) {
  if (!buffer || maxCount <= 0) return 0;
  std::string utf8 = WideToUtf8(GetWindowTextString(hwnd));
  size_t n = std::min(utf8.size(), static_cast<size_t>(maxCount - 1));
  std::memcpy(buffer, utf8.data(), n);
  buffer[n] = 0;
  return static_cast<int>(n);
}

BOOL SetPropW(HWND hwnd, const char16_t* name, HANDLE data) { return SetPropKey(hwnd, PropKey(name), data); }
HANDLE GetPropW(HWND hwnd, const char16_t* name) { return GetPropKey(hwnd, PropKey(name)); }
HANDLE RemovePropW(HWND hwnd, const char16_t* name) { return RemovePropKey(hwnd, PropKey(name)); }
BOOL SetPropA(HWND hwnd, const char* name, HANDLE data) { return SetPropKey(hwnd, PropKeyA(name), data); }
HANDLE GetPropA(HWND hwnd, const char* name) { return GetPropKey(hwnd, PropKeyA(name)); }
HANDLE RemovePropA(HWND hwnd, const char* name) { return RemovePropKey(hwnd, PropKeyA(name)); }

HWND GetParent(HWND hwnd) {
  Window* w = State().Find(hwnd);
  if (!w) return nullptr;
  if (w->style & WS_CHILD) return w->parent;
  if (w->style & WS_POPUP) return w->owner;
  return nullptr;
}

HWND SetParent(HWND child, HWND newParent) {
  UserState& s = State();
  Window* w = s.Find(child);
  if (!w) return nullptr;
  Window* p = newParent ? s.Find(newParent) : nullptr;
  if (newParent && (!p || newParent == child || IsChild(child, newParent))) return nullptr;
  if (p && Depth(p) >= kMaxNesting) return nullptr;
  HWND old = w->parent;
  bool visible = (w->style & WS_VISIBLE) != 0;
  if (visible) ShowWindow(child, SW_HIDE);
  if (!(w = s.Find(child))) return nullptr;
  UnlinkWindow(w);
  if (!w->parent && p) DestroyNative(w);
  w->parent = newParent;
  if (newParent) {
    w->style |= WS_CHILD;
    w->style &= ~WS_POPUP;
  } else {
    w->style &= ~WS_CHILD;
  }
  LinkWindow(w, HWND_TOP);
  if (!newParent) SyncNative(w);
  if (visible) ShowWindow(child, SW_SHOWNA);
  return old;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  Window* w = State().Find(hwnd);
  if (!w) return nullptr;
  switch (flags) {
    case GA_PARENT:
      return w->parent;
    case GA_ROOT:
      return TopLevelOf(w)->handle;
    case GA_ROOTOWNER: {
      Window* top = TopLevelOf(w);
      for (int guard = 0; top->owner && guard < kMaxNesting; ++guard) {
        Window* o = State().Find(top->owner);
        if (!o) break;
        top = TopLevelOf(o);
      }
      return top->handle;
    }
    default:
      return nullptr;
  }
}

HWND GetWindow(HWND hwnd, UINT relation) {
  Window* w = State().Find(hwnd);
  if (!w) return nullptr;
  if (relation == GW_OWNER) return w->parent ? nullptr : w->owner;
  if (relation == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  if (relation == GW_ENABLEDPOPUP) return nullptr;
  const std::vector<HWND>* list = Siblings(w);
  if (!list || list->empty()) return nullptr;
  auto it = std::find(list->begin(), list->end(), hwnd);
  switch (relation) {
    case GW_HWNDFIRST: return list->front();
    case GW_HWNDLAST: return list->back();
    case GW_HWNDNEXT: return (it == list->end() || it + 1 == list->end()) ? nullptr : *(it + 1);
    case GW_HWNDPREV: return (it == list->end() || it == list->begin()) ? nullptr : *(it - 1);
    default: return nullptr;
  }
}

HWND GetTopWindow(HWND hwnd) {
  if (!hwnd) return State().topLevels.empty() ? nullptr : State().topLevels.front();
  return GetWindow(hwnd, GW_CHILD);
}

HWND GetDesktopWindow() { return nullptr; }

BOOL IsChild(HWND parent, HWND hwnd) {
  Window* w = State().Find(hwnd);
  for (int guard = 0; w && w->parent && guard <= kMaxNesting; ++guard) {
    if (w->parent == parent) return TRUE;
    w = State().Find(w->parent);
  }
  return FALSE;
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param) {
  if (!proc) return FALSE;
  std::vector<HWND> all;
  if (parent) {
    CollectDescendants(parent, all);
  } else {
    for (HWND t : State().topLevels) {
      all.push_back(t);
      CollectDescendants(t, all);
    }
  }
  for (HWND h : all) {
    if (!IsWindow(h)) continue;
    if (!proc(h, param)) return FALSE;
  }
  return TRUE;
}

BOOL EnumWindows(WNDENUMPROC proc, LPARAM param) {
  if (!proc) return FALSE;
  std::vector<HWND> tops = State().topLevels;
  for (HWND h : tops) {
    if (!IsWindow(h)) continue;
    if (!proc(h, param)) return FALSE;
  }
  return TRUE;
}

HWND FindWindowExW(HWND parent, HWND childAfter, const char16_t* className, const char16_t* windowName) {
  const std::vector<HWND>* list = &State().topLevels;
  if (parent) {
    Window* p = State().Find(parent);
    if (!p) return nullptr;
    list = &p->children;
  }
  auto it = list->begin();
  if (childAfter) {
    it = std::find(list->begin(), list->end(), childAfter);
    if (it == list->end()) return nullptr;
    ++it;
  }
  std::u16string cls;
  if (className) {
    auto c = FindClass(className);
    if (!c) return nullptr;
    cls = LowerAscii(c->name);
  }
  for (; it != list->end(); ++it) {
    Window* w = State().Find(*it);
    if (!w) continue;
    if (className && LowerAscii(w->cls->name) != cls) continue;
    if (windowName && w->text != windowName) continue;
    return *it;
  }
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
  Window* w = State().Find(hwnd);
  return (w && (w->style & WS_CHILD)) ? static_cast<int>(w->id) : 0;
}

HWND GetDlgItem(HWND dialog, int id) {
  Window* w = State().Find(dialog);
  if (!w) return nullptr;
  for (HWND c : w->children) {
    Window* cw = State().Find(c);
    if (cw && cw->id == id) return c;
  }
  return nullptr;
}
