// The menu objects behind HMENU handles.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/user/internal/user_state.h"

namespace user_internal {

inline constexpr size_t kMaxMenuItems = 4096;
inline constexpr size_t kMaxMenus = 10000;

struct MenuItem {
  UINT type = 0;   // MFT_...
  UINT state = 0;  // MFS_...
  UINT id = 0;
  HMENU submenu = nullptr;
  std::u16string text;
  ULONG_PTR data = 0;
  HBITMAP bitmap = nullptr;
  HBITMAP checked = nullptr;
  HBITMAP unchecked = nullptr;
  RECT rect{};  // last layout, in the menu window's client (or the window, for a bar)
};

struct Menu {
  HMENU handle = nullptr;
  bool popup = false;
  bool system = false;
  std::vector<MenuItem> items;
};

Menu* FindMenu(HMENU h);
// The index of an item by position or by command (searched through submenus); sets *owner
// to the menu that holds it.
int FindMenuItem(HMENU menu, UINT item, UINT flags, Menu** owner);

}  // namespace user_internal
