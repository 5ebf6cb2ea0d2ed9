// Window classes, atoms and registered messages.
#include <algorithm>
#include <cstring>

#include "platform/rtl/strings.h"
#include "platform/user/internal/internal_procs.h"
#include "platform/user/internal/user_state.h"
#include "platform/user/window.h"

using namespace user_internal;

namespace {

std::u16string ClassKey(const char16_t* name) {
  if (!name) return {};
  if (IS_INTRESOURCE(name)) {
    auto atom = static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(name));
    auto it = State().atomNames.find(atom);
    return it == State().atomNames.end() ? std::u16string() : LowerAscii(it->second);
  }
  return LowerAscii(name);
}

ATOM AddAtom(std::u16string_view name) {
  UserState& s = State();
  std::u16string key = LowerAscii(name);
  auto it = s.atoms.find(key);
  if (it != s.atoms.end()) return it->second;
  if (s.nextAtom == 0xffff) return 0;
  ATOM a = s.nextAtom++;
  s.atoms[key] = a;
  s.atomNames[a] = std::u16string(name);
  return a;
}

void RegisterSystemClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  auto menu = std::make_shared<WindowClass>();
  menu->name = u"#32768";
  menu->style = CS_SAVEBITS | CS_DBLCLKS;
  menu->proc = PopupMenuWindowProc;
  menu->wndExtra = sizeof(void*);
  menu->background = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(4 + 1));  // COLOR_MENU
  menu->system = true;
  menu->atom = 32768;
  State().atomNames[32768] = menu->name;
  State().classes[menu->name] = menu;
  auto mdi = std::make_shared<WindowClass>();
  mdi->name = u"MDIClient";
  mdi->proc = MDIClientWindowProc;
  mdi->background = reinterpret_cast<HBRUSH>(static_cast<std::uintptr_t>(12 + 1));  // COLOR_APPWORKSPACE
  mdi->system = true;
  mdi->atom = AddAtom(mdi->name);
  State().classes[LowerAscii(mdi->name)] = mdi;
}

}  // namespace

namespace user_internal {

std::shared_ptr<WindowClass> FindClass(const char16_t* name) {
  RegisterSystemClasses();
  auto it = State().classes.find(ClassKey(name));
  return it == State().classes.end() ? nullptr : it->second;
}

}  // namespace user_internal

HINSTANCE GetModuleHandleW(const char16_t* name) {
  if (name) return nullptr;
  return reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(0x400000));
}

ATOM RegisterClassExW(const WNDCLASSEXW* wc) {
  if (!wc || !wc->lpszClassName || wc->cbSize != sizeof(WNDCLASSEXW)) return 0;
  if (wc->cbClsExtra < 0 || wc->cbWndExtra < 0 || wc->cbClsExtra > 40 * 1024 ||
      wc->cbWndExtra > 40 * 1024)
    return 0;
  RegisterSystemClasses();
  std::u16string name = IS_INTRESOURCE(wc->lpszClassName) ? std::u16string() : std::u16string(wc->lpszClassName);
  if (name.empty() || name.size() > 255) return 0;
  std::u16string key = LowerAscii(name);
  if (State().classes.count(key)) return 0;  // already registered
  auto cls = std::make_shared<WindowClass>();
  cls->name = name;
  cls->style = wc->style;
  cls->proc = wc->lpfnWndProc;
  cls->clsExtra = wc->cbClsExtra;
  cls->wndExtra = wc->cbWndExtra;
  cls->instance = wc->hInstance;
  cls->icon = wc->hIcon;
  cls->iconSmall = wc->hIconSm;
  cls->cursor = wc->hCursor;
  cls->background = wc->hbrBackground;
  if (wc->lpszMenuName && !IS_INTRESOURCE(wc->lpszMenuName)) cls->menuName = wc->lpszMenuName;
  cls->extra.assign(static_cast<size_t>(wc->cbClsExtra), 0);
  cls->atom = AddAtom(name);
  if (cls->atom == 0) return 0;
  State().classes[key] = cls;
  return cls->atom;
}

BOOL UnregisterClassW(const char16_t* className, HINSTANCE) {
  auto cls = FindClass(className);
  if (!cls || cls->system) return FALSE;
  UserState& s = State();
  // A class cannot go while a window of it exists; windows keep a reference, so count them.
  if (cls.use_count() > 2) return FALSE;
  s.classes.erase(LowerAscii(cls->name));
  return TRUE;
}

BOOL GetClassInfoExW(HINSTANCE, const char16_t* className, WNDCLASSEXW* wc) {
  auto cls = FindClass(className);
  if (!cls || !wc) return FALSE;
  wc->cbSize = sizeof(WNDCLASSEXW);
  wc->style = cls->style;
  wc->lpfnWndProc = cls->proc;
  wc->cbClsExtra = cls->clsExtra;
  wc->cbWndExtra = cls->wndExtra;
  wc->hInstance = cls->instance;
  wc->hIcon = cls->icon;
  wc->hCursor = cls->cursor;
  wc->hbrBackground = cls->background;
  wc->lpszMenuName = cls->menuName.empty() ? nullptr : cls->menuName.c_str();
  wc->lpszClassName = cls->name.c_str();
  wc->hIconSm = cls->iconSmall;
  return TRUE;
}

std::u16string GetClassNameString(HWND hwnd) {
  Window* w = State().Find(hwnd);
  return w ? w->cls->name : std::u16string();
}

int GetClassNameW(HWND hwnd, char16_t* buffer, int maxCount) {
  Window* w = State().Find(hwnd);
  if (!w || !buffer || maxCount <= 0) return 0;
  size_t n = std::min(w->cls->name.size(), static_cast<size_t>(maxCount - 1));
  std::copy_n(w->cls->name.data(), n, buffer);
  buffer[n] = 0;
  return static_cast<int>(n);
}

int GetClassNameA(HWND hwnd, char* buffer, int maxCount) {
  Window* w = State().Find(hwnd);
  if (!w || !buffer || maxCount <= 0) return 0;
  std::string utf8 = WideToUtf8(w->cls->name);
  size_t n = std::min(utf8.size(), static_cast<size_t>(maxCount - 1));
  std::memcpy(buffer, utf8.data(), n);
  buffer[n] = 0;
  return static_cast<int>(n);
}

ULONG_PTR GetClassLongPtrW(HWND hwnd, int index) {
  Window* w = State().Find(hwnd);
  if (!w) return 0;
  WindowClass& c = *w->cls;
  if (index >= 0) {
    if (static_cast<size_t>(index) + sizeof(ULONG_PTR) > c.extra.size()) return 0;
    ULONG_PTR v;
    std::memcpy(&v, c.extra.data() + index, sizeof v);
    return v;
  }
  switch (index) {
    case GCL_HBRBACKGROUND: return reinterpret_cast<ULONG_PTR>(c.background);
    case GCL_HCURSOR: return reinterpret_cast<ULONG_PTR>(c.cursor);
    case GCL_HICON: return reinterpret_cast<ULONG_PTR>(c.icon);
    case GCL_HICONSM: return reinterpret_cast<ULONG_PTR>(c.iconSmall);
    case GCL_CBWNDEXTRA: return static_cast<ULONG_PTR>(c.wndExtra);
    case GCL_CBCLSEXTRA: return static_cast<ULONG_PTR>(c.clsExtra);
    case GCL_WNDPROC: return reinterpret_cast<ULONG_PTR>(c.proc);
    case GCL_STYLE: return c.style;
    case GCW_ATOM: return c.atom;
    default: return 0;
  }
}

ULONG_PTR SetClassLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  Window* w = State().Find(hwnd);
  if (!w) return 0;
  WindowClass& c = *w->cls;
  ULONG_PTR old = GetClassLongPtrW(hwnd, index);
  if (index >= 0) {
    if (static_cast<size_t>(index) + sizeof(LONG_PTR) > c.extra.size()) return 0;
    std::memcpy(c.extra.data() + index, &value, sizeof value);
    return old;
  }
  switch (index) {
    case GCL_HBRBACKGROUND: c.background = reinterpret_cast<HBRUSH>(value); break;
    case GCL_HCURSOR: c.cursor = reinterpret_cast<HCURSOR>(value); break;
    case GCL_HICON: c.icon = reinterpret_cast<HICON>(value); break;
    case GCL_HICONSM: c.iconSmall = reinterpret_cast<HICON>(value); break;
    case GCL_WNDPROC: c.proc = reinterpret_cast<WNDPROC>(value); break;
    case GCL_STYLE: c.style = static_cast<UINT>(value); break;
    default: return 0;
  }
  return old;
}

ATOM GlobalAddAtomW(const char16_t* name) {
  if (!name) return 0;
  if (IS_INTRESOURCE(name)) return static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(name));
  std::u16string_view v(name);
  if (v.empty() || v.size() > 255) return 0;
  return AddAtom(v);
}

ATOM GlobalAddAtomA(const char* name) {
  if (!name) return 0;
  WideString w = Utf8ToWide(name);
  return GlobalAddAtomW(w.c_str());
}

ATOM GlobalFindAtomW(const char16_t* name) {
  if (!name || IS_INTRESOURCE(name)) return 0;
  auto it = State().atoms.find(LowerAscii(name));
  return it == State().atoms.end() ? 0 : it->second;
}

ATOM GlobalDeleteAtom(ATOM) {
  // Atoms stay for the life of the process; the names are few and small.
  return 0;
}

UINT RegisterWindowMessageW(const char16_t* name) { return GlobalAddAtomW(name); }

UINT RegisterWindowMessageA(const char* name) { return GlobalAddAtomA(name); }

HICON GetClassIcon(HWND hwnd, bool small) {
  Window* w = State().Find(hwnd);
  if (!w) return nullptr;
  return small ? (w->cls->iconSmall ? w->cls->iconSmall : w->cls->icon) : w->cls->icon;
}
