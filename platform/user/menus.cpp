// Menu handles and items, window menus and the system menu.
#include "platform/user/menus.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "platform/rtl/strings.h"
#include "platform/user/internal/internal_procs.h"
#include "platform/user/internal/menu_model.h"
#include "platform/user/messages.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"

using namespace user_internal;

namespace {

std::map<HMENU, std::unique_ptr<Menu>>& Menus() {
  static auto* menus = new std::map<HMENU, std::unique_ptr<Menu>>();
  return *menus;
}

std::uintptr_t nextMenu = 1;

HMENU NewMenu(bool popup) {
  if (Menus().size() >= kMaxMenus) return nullptr;
  auto m = std::make_unique<Menu>();
  m->handle = reinterpret_cast<HMENU>((nextMenu++ << 4) | 0x8);
  m->popup = popup;
  HMENU h = m->handle;
  Menus()[h] = std::move(m);
  return h;
}

// Builds an item from the classic flag form of AppendMenu / InsertMenu.
bool ItemFromFlags(UINT flags, UINT_PTR idOrSubmenu, const char16_t* text, MenuItem* item) {
  item->type = flags & (MFT_MENUBARBREAK | MFT_MENUBREAK | MFT_OWNERDRAW | MFT_RIGHTJUSTIFY | MFT_BITMAP);
  if (flags & MF_SEPARATOR) item->type |= MFT_SEPARATOR;
  item->state = flags & (MFS_GRAYED | MFS_DISABLED | MFS_CHECKED | MFS_HILITE | MFS_DEFAULT);
  if (flags & MF_POPUP) {
    auto sub = reinterpret_cast<HMENU>(idOrSubmenu);
    if (!FindMenu(sub)) return false;
    item->submenu = sub;
    item->id = static_cast<UINT>(idOrSubmenu);
  } else {
    item->id = static_cast<UINT>(idOrSubmenu);
  }
  if (flags & MF_OWNERDRAW) {
    item->data = reinterpret_cast<ULONG_PTR>(text);
  } else if (flags & MF_BITMAP) {
    item->bitmap = reinterpret_cast<HBITMAP>(const_cast<char16_t*>(text));
  } else if (text && !(flags & MF_SEPARATOR)) {
    item->text = text;
  }
  return true;
}

bool InsertItem(HMENU menu, int at, MenuItem item) {
  Menu* m = FindMenu(menu);
  if (!m || m->items.size() >= kMaxMenuItems) return false;
  if (item.submenu && item.submenu == menu) return false;
  if (at < 0 || at > static_cast<int>(m->items.size())) at = static_cast<int>(m->items.size());
  m->items.insert(m->items.begin() + at, std::move(item));
  return true;
}

void ApplyInfo(MenuItem& it, UINT mask, UINT type, UINT state, UINT id, HMENU sub, ULONG_PTR data,
               HBITMAP checked, HBITMAP unchecked, HBITMAP bitmap, const char16_t* text, bool typeText) {
  if (mask & MIIM_FTYPE) it.type = (it.type & MFT_BITMAP) | (type & ~MFT_BITMAP);
  if (mask & MIIM_TYPE) {
    it.type = type;
    if (typeText && !(type & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW)) && text) it.text = text;
    if (type & MFT_BITMAP) it.bitmap = reinterpret_cast<HBITMAP>(const_cast<char16_t*>(text));
  }
  if (mask & MIIM_STRING) it.text = text ? std::u16string(text) : std::u16string();
  if (mask & MIIM_STATE) it.state = state;
  if (mask & MIIM_ID) it.id = id;
  if (mask & MIIM_SUBMENU) it.submenu = FindMenu(sub) ? sub : nullptr;
  if (mask & MIIM_DATA) it.data = data;
  if (mask & MIIM_CHECKMARKS) {
    it.checked = checked;
    it.unchecked = unchecked;
  }
  if (mask & MIIM_BITMAP) it.bitmap = bitmap;
}

int PositionOf(HMENU menu, UINT item, UINT flags, Menu** owner) {
  return FindMenuItem(menu, item, flags & MF_BYPOSITION, owner);
}

}  // namespace

namespace user_internal {

Menu* FindMenu(HMENU h) {
  auto it = Menus().find(h);
  return it == Menus().end() ? nullptr : it->second.get();
}

int FindMenuItem(HMENU menu, UINT item, UINT flags, Menu** owner) {
  Menu* m = FindMenu(menu);
  if (!m) return -1;
  if (flags & MF_BYPOSITION) {
    if (item >= m->items.size()) return -1;
    *owner = m;
    return static_cast<int>(item);
  }
  // By command: this menu first, then its submenus, depth first (bounded by the menu count).
  std::vector<Menu*> stack{m};
  size_t visited = 0;
  while (!stack.empty() && visited++ < kMaxMenus) {
    Menu* cur = stack.back();
    stack.pop_back();
    for (size_t i = 0; i < cur->items.size(); ++i) {
      const MenuItem& it = cur->items[i];
      if (!it.submenu && it.id == item) {
        *owner = cur;
        return static_cast<int>(i);
      }
    }
    for (size_t i = cur->items.size(); i-- > 0;)
      if (Menu* sub = FindMenu(cur->items[i].submenu)) stack.push_back(sub);
  }
  return -1;
}

void DestroyWindowMenus(Window* w) {
  if (w->menu && !w->parent) DestroyMenu(w->menu);
  if (w->systemMenu) DestroyMenu(w->systemMenu);
  w->menu = nullptr;
  w->systemMenu = nullptr;
}

}  // namespace user_internal

HMENU CreateMenu() { return NewMenu(false); }
HMENU CreatePopupMenu() { return NewMenu(true); }

BOOL DestroyMenu(HMENU menu) {
  std::vector<HMENU> pending{menu};
  bool any = false;
  while (!pending.empty()) {
    HMENU h = pending.back();
    pending.pop_back();
    auto it = Menus().find(h);
    if (it == Menus().end()) continue;
    any = true;
    for (const MenuItem& item : it->second->items)
      if (item.submenu) pending.push_back(item.submenu);
    Menus().erase(it);
  }
  return any ? TRUE : FALSE;
}

BOOL IsMenu(HMENU menu) { return FindMenu(menu) != nullptr; }

BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR idOrSubmenu, const char16_t* text) {
  MenuItem item;
  if (!ItemFromFlags(flags, idOrSubmenu, text, &item)) return FALSE;
  return InsertItem(menu, -1, std::move(item));
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idOrSubmenu, const char* text) {
  if (flags & (MF_OWNERDRAW | MF_BITMAP))
    return AppendMenuW(menu, flags, idOrSubmenu, reinterpret_cast<const char16_t*>(text));
  WideString w = text ? Utf8ToWide(text) : WideString();
  return AppendMenuW(menu, flags, idOrSubmenu, text ? w.c_str() : nullptr);
}

BOOL InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idOrSubmenu, const char16_t* text) {
  MenuItem item;
  if (!ItemFromFlags(flags, idOrSubmenu, text, &item)) return FALSE;
  Menu* owner = FindMenu(menu);
  int at = -1;
  if (position != 0xffffffffu) {
    at = PositionOf(menu, position, flags, &owner);
    if (at < 0 && !(flags & MF_BYPOSITION)) return FALSE;
  }
  return owner && InsertItem(owner->handle, at, std::move(item));
}

BOOL ModifyMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idOrSubmenu, const char16_t* text) {
  Menu* owner = nullptr;
  int at = PositionOf(menu, position, flags, &owner);
  if (at < 0) return FALSE;
  MenuItem item;
  if (!ItemFromFlags(flags, idOrSubmenu, text, &item)) return FALSE;
  owner->items[static_cast<size_t>(at)] = std::move(item);
  return TRUE;
}

BOOL InsertMenuItemW(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOW* info) {
  if (!info) return FALSE;
  Menu* owner = FindMenu(menu);
  int at = -1;
  if (byPosition) {
    at = static_cast<int>(std::min<UINT>(item, static_cast<UINT>(INT32_MAX)));
  } else {
    at = FindMenuItem(menu, item, MF_BYCOMMAND, &owner);
    if (at < 0) return FALSE;
  }
  MenuItem it;
  ApplyInfo(it, info->fMask, info->fType, info->fState, info->wID, info->hSubMenu, info->dwItemData,
            info->hbmpChecked, info->hbmpUnchecked, info->hbmpItem, info->dwTypeData, true);
  return owner && InsertItem(owner->handle, at, std::move(it));
}

BOOL GetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOW* info) {
  if (!info) return FALSE;
  Menu* owner = nullptr;
  int at = FindMenuItem(menu, item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND, &owner);
  if (at < 0) return FALSE;
  const MenuItem& it = owner->items[static_cast<size_t>(at)];
  UINT mask = info->fMask;
  if (mask & (MIIM_TYPE | MIIM_FTYPE)) info->fType = it.type;
  if (mask & MIIM_STATE) info->fState = it.state;
  if (mask & MIIM_ID) info->wID = it.id;
  if (mask & MIIM_SUBMENU) info->hSubMenu = it.submenu;
  if (mask & MIIM_DATA) info->dwItemData = it.data;
  if (mask & MIIM_CHECKMARKS) {
    info->hbmpChecked = it.checked;
    info->hbmpUnchecked = it.unchecked;
  }
  if (mask & MIIM_BITMAP) info->hbmpItem = it.bitmap;
  bool wantText = (mask & MIIM_STRING) || ((mask & MIIM_TYPE) && !(it.type & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW)));
  if (wantText) {
    if (info->dwTypeData && info->cch > 0) {
      size_t n = std::min<size_t>(it.text.size(), info->cch - 1);
      std::copy_n(it.text.data(), n, info->dwTypeData);
      info->dwTypeData[n] = 0;
      info->cch = static_cast<UINT>(n);
    } else {
      info->cch = static_cast<UINT>(it.text.size());
    }
  }
  return TRUE;
}

BOOL SetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOW* info) {
  if (!info) return FALSE;
  Menu* owner = nullptr;
  int at = FindMenuItem(menu, item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND, &owner);
  if (at < 0) return FALSE;
  if ((info->fMask & MIIM_SUBMENU) && info->hSubMenu == owner->handle) return FALSE;
  ApplyInfo(owner->items[static_cast<size_t>(at)], info->fMask, info->fType, info->fState, info->wID,
            info->hSubMenu, info->dwItemData, info->hbmpChecked, info->hbmpUnchecked, info->hbmpItem,
            info->dwTypeData, true);
  return TRUE;
}

BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOA* info) {
  if (!info) return FALSE;
  MENUITEMINFOW w{};
  std::memcpy(&w, info, sizeof w);
  std::u16string buffer(4096, u'\0');
  w.dwTypeData = buffer.data();
  w.cch = static_cast<UINT>(buffer.size());
  if (!GetMenuItemInfoW(menu, item, byPosition, &w)) return FALSE;
  char* userBuffer = info->dwTypeData;
  UINT userCch = info->cch;
  std::memcpy(info, &w, sizeof w);
  info->dwTypeData = userBuffer;
  info->cch = userCch;
  Menu* owner = nullptr;
  int at = FindMenuItem(menu, item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND, &owner);
  const MenuItem& it = owner->items[static_cast<size_t>(at)];
  bool wantText = (info->fMask & MIIM_STRING) ||
                  ((info->fMask & MIIM_TYPE) && !(it.type & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW)));
  if (wantText) {
    std::string utf8 = WideToUtf8(it.text);
    if (userBuffer && userCch > 0) {
      size_t n = std::min<size_t>(utf8.size(), userCch - 1);
      std::memcpy(userBuffer, utf8.data(), n);
      userBuffer[n] = 0;
      info->cch = static_cast<UINT>(n);
    } else {
      info->cch = static_cast<UINT>(utf8.size());
    }
  }
  return TRUE;
}

BOOL SetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info) {
  if (!info) return FALSE;
  MENUITEMINFOW w{};
  std::memcpy(&w, info, sizeof w);
  WideString text;
  bool isText = (info->fMask & MIIM_STRING) ||
                ((info->fMask & MIIM_TYPE) && !(info->fType & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW)));
  if (isText && info->dwTypeData) {
    text = Utf8ToWide(info->dwTypeData);
    w.dwTypeData = text.data();
  }
  return SetMenuItemInfoW(menu, item, byPosition, &w);
}

int GetMenuItemCount(HMENU menu) {
  Menu* m = FindMenu(menu);
  return m ? static_cast<int>(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
  Menu* m = FindMenu(menu);
  if (!m || position < 0 || position >= static_cast<int>(m->items.size())) return 0xffffffffu;
  const MenuItem& it = m->items[static_cast<size_t>(position)];
  return it.submenu ? 0xffffffffu : it.id;
}

HMENU GetSubMenu(HMENU menu, int position) {
  Menu* m = FindMenu(menu);
  if (!m || position < 0 || position >= static_cast<int>(m->items.size())) return nullptr;
  return m->items[static_cast<size_t>(position)].submenu;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
  Menu* owner = nullptr;
  int at = PositionOf(menu, item, flags, &owner);
  if (at < 0) return 0xffffffffu;
  const MenuItem& it = owner->items[static_cast<size_t>(at)];
  UINT r = it.type | it.state;
  if (it.submenu) {
    Menu* sub = FindMenu(it.submenu);
    r |= MF_POPUP | ((sub ? static_cast<UINT>(std::min<size_t>(sub->items.size(), 255)) : 0) << 8);
  }
  return r;
}

int GetMenuStringW(HMENU menu, UINT item, char16_t* buffer, int maxCount, UINT flags) {
  Menu* owner = nullptr;
  int at = PositionOf(menu, item, flags, &owner);
  if (at < 0) return 0;
  const std::u16string& t = owner->items[static_cast<size_t>(at)].text;
  if (!buffer || maxCount <= 0) return static_cast<int>(t.size());
  size_t n = std::min(t.size(), static_cast<size_t>(maxCount - 1));
  std::copy_n(t.data(), n, buffer);
  buffer[n] = 0;
  return static_cast<int>(n);
}

int GetMenuStringA(HMENU menu, UINT item, char* buffer, int maxCount, UINT flags) {
  Menu* owner = nullptr;
  int at = PositionOf(menu, item, flags, &owner);
  if (at < 0) return 0;
  std::string t = WideToUtf8(owner->items[static_cast<size_t>(at)].text);
  if (!buffer || maxCount <= 0) return static_cast<int>(t.size());
  size_t n = std::min(t.size(), static_cast<size_t>(maxCount - 1));
  std::memcpy(buffer, t.data(), n);
  buffer[n] = 0;
  return static_cast<int>(n);
}

UINT EnableMenuItem(HMENU menu, UINT item, UINT enable) {
  Menu* owner = nullptr;
  int at = PositionOf(menu, item, enable, &owner);
  if (at < 0) return 0xffffffffu;
  MenuItem& it = owner->items[static_cast<size_t>(at)];
  UINT old = it.state & (MFS_GRAYED | MFS_DISABLED);
  it.state = (it.state & ~(MFS_GRAYED | MFS_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
  return old;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT check) {
  Menu* owner = nullptr;
  int at = PositionOf(menu, item, check, &owner);
  if (at < 0) return 0xffffffffu;
  MenuItem& it = owner->items[static_cast<size_t>(at)];
  DWORD old = it.state & MFS_CHECKED;
  it.state = (it.state & ~MFS_CHECKED) | (check & MF_CHECKED);
  return old;
}

BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) {
  Menu* owner = nullptr;
  int at = PositionOf(menu, position, flags, &owner);
  if (at < 0) return FALSE;
  owner->items.erase(owner->items.begin() + at);
  return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) {
  Menu* owner = nullptr;
  int at = PositionOf(menu, position, flags, &owner);
  if (at < 0) return FALSE;
  HMENU sub = owner->items[static_cast<size_t>(at)].submenu;
  owner->items.erase(owner->items.begin() + at);
  if (sub) DestroyMenu(sub);
  return TRUE;
}

HMENU GetMenu(HWND hwnd) {
  Window* w = State().Find(hwnd);
  return (w && !(w->style & WS_CHILD)) ? w->menu : nullptr;
}

BOOL SetMenu(HWND hwnd, HMENU menu) {
  Window* w = State().Find(hwnd);
  if (!w || (w->style & WS_CHILD)) return FALSE;
  if (menu && !FindMenu(menu)) return FALSE;
  if (w->menu == menu) return TRUE;
  w->menu = menu;
  // The client area changes with the menu bar.
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return TRUE;
}

BOOL DrawMenuBar(HWND hwnd) {
  Window* w = State().Find(hwnd);
  if (!w || !w->menu) return FALSE;
  return SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                      SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

HMENU GetSystemMenu(HWND hwnd, BOOL revert) {
  Window* w = State().Find(hwnd);
  if (!w) return nullptr;
  if (revert) {
    if (w->systemMenu) DestroyMenu(w->systemMenu);
    w->systemMenu = nullptr;
    return nullptr;
  }
  if (w->systemMenu && FindMenu(w->systemMenu)) return w->systemMenu;
  HMENU m = CreatePopupMenu();
  if (!m) return nullptr;
  FindMenu(m)->system = true;
  AppendMenuW(m, MF_STRING, SC_RESTORE, u"&Restore");
  AppendMenuW(m, MF_STRING, SC_MOVE, u"&Move");
  AppendMenuW(m, MF_STRING, SC_SIZE, u"&Size");
  AppendMenuW(m, MF_STRING, SC_MINIMIZE, u"Mi&nimize");
  AppendMenuW(m, MF_STRING, SC_MAXIMIZE, u"Ma&ximize");
  AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(m, MF_STRING, SC_CLOSE, u"&Close\tAlt+F4");
  w->systemMenu = m;
  return m;
}
