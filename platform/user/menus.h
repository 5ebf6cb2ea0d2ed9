// Menus: menu handles and items, window menu bars, the system menu and TrackPopupMenu.
// A popup menu on the screen is a window of class "#32768" (created through the normal window
// creation path, so creation hooks see it); while it is open a modal loop runs that offers
// every message to the message-filter hooks with MSGF_MENU first.
#pragma once

#include <string>

#include "platform/user/wintypes.h"

inline constexpr UINT MF_INSERT = 0x0000;
inline constexpr UINT MF_CHANGE = 0x0080;
inline constexpr UINT MF_APPEND = 0x0100;
inline constexpr UINT MF_DELETE = 0x0200;
inline constexpr UINT MF_REMOVE = 0x1000;
inline constexpr UINT MF_BYCOMMAND = 0x0000;
inline constexpr UINT MF_BYPOSITION = 0x0400;
inline constexpr UINT MF_SEPARATOR = 0x0800;
inline constexpr UINT MF_ENABLED = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_UNCHECKED = 0x0000;
inline constexpr UINT MF_CHECKED = 0x0008;
inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_BITMAP = 0x0004;
inline constexpr UINT MF_OWNERDRAW = 0x0100;
inline constexpr UINT MF_POPUP = 0x0010;
inline constexpr UINT MF_MENUBARBREAK = 0x0020;
inline constexpr UINT MF_MENUBREAK = 0x0040;
inline constexpr UINT MF_HILITE = 0x0080;
inline constexpr UINT MF_DEFAULT = 0x1000;
inline constexpr UINT MF_SYSMENU = 0x2000;
inline constexpr UINT MF_RIGHTJUSTIFY = 0x4000;
inline constexpr UINT MF_MOUSESELECT = 0x8000;

inline constexpr UINT MFT_STRING = 0x0000;
inline constexpr UINT MFT_BITMAP = 0x0004;
inline constexpr UINT MFT_MENUBARBREAK = 0x0020;
inline constexpr UINT MFT_MENUBREAK = 0x0040;
inline constexpr UINT MFT_OWNERDRAW = 0x0100;
inline constexpr UINT MFT_RADIOCHECK = 0x0200;
inline constexpr UINT MFT_SEPARATOR = 0x0800;
inline constexpr UINT MFT_RIGHTORDER = 0x2000;
inline constexpr UINT MFT_RIGHTJUSTIFY = 0x4000;

inline constexpr UINT MFS_ENABLED = 0x0000;
inline constexpr UINT MFS_GRAYED = 0x0001;
inline constexpr UINT MFS_DISABLED = 0x0002;
inline constexpr UINT MFS_CHECKED = 0x0008;
inline constexpr UINT MFS_HILITE = 0x0080;
inline constexpr UINT MFS_DEFAULT = 0x1000;

inline constexpr UINT MIIM_STATE = 0x0001;
inline constexpr UINT MIIM_ID = 0x0002;
inline constexpr UINT MIIM_SUBMENU = 0x0004;
inline constexpr UINT MIIM_CHECKMARKS = 0x0008;
inline constexpr UINT MIIM_TYPE = 0x0010;
inline constexpr UINT MIIM_DATA = 0x0020;
inline constexpr UINT MIIM_STRING = 0x0040;
inline constexpr UINT MIIM_BITMAP = 0x0080;
inline constexpr UINT MIIM_FTYPE = 0x0100;

inline constexpr UINT TPM_LEFTBUTTON = 0x0000;
inline constexpr UINT TPM_RIGHTBUTTON = 0x0002;
inline constexpr UINT TPM_LEFTALIGN = 0x0000;
inline constexpr UINT TPM_CENTERALIGN = 0x0004;
inline constexpr UINT TPM_RIGHTALIGN = 0x0008;
inline constexpr UINT TPM_TOPALIGN = 0x0000;
inline constexpr UINT TPM_VCENTERALIGN = 0x0010;
inline constexpr UINT TPM_BOTTOMALIGN = 0x0020;
inline constexpr UINT TPM_NONOTIFY = 0x0080;
inline constexpr UINT TPM_RETURNCMD = 0x0100;

// Item bitmaps drawn by the system: the MDI child's system menu icon and its buttons on a frame's
// menu bar.
inline HBITMAP const HBMMENU_SYSTEM = reinterpret_cast<HBITMAP>(1);
inline HBITMAP const HBMMENU_MBAR_RESTORE = reinterpret_cast<HBITMAP>(2);
inline HBITMAP const HBMMENU_MBAR_MINIMIZE = reinterpret_cast<HBITMAP>(3);
inline HBITMAP const HBMMENU_MBAR_CLOSE = reinterpret_cast<HBITMAP>(5);

struct MENUITEMINFOW {
  UINT cbSize;
  UINT fMask;
  UINT fType;
  UINT fState;
  UINT wID;
  HMENU hSubMenu;
  HBITMAP hbmpChecked;
  HBITMAP hbmpUnchecked;
  ULONG_PTR dwItemData;
  char16_t* dwTypeData;
  UINT cch;
  HBITMAP hbmpItem;
};

struct MENUITEMINFOA {
  UINT cbSize;
  UINT fMask;
  UINT fType;
  UINT fState;
  UINT wID;
  HMENU hSubMenu;
  HBITMAP hbmpChecked;
  HBITMAP hbmpUnchecked;
  ULONG_PTR dwItemData;
  char* dwTypeData;  // UTF-8
  UINT cch;
  HBITMAP hbmpItem;
};

HMENU CreateMenu();
HMENU CreatePopupMenu();
BOOL DestroyMenu(HMENU menu);  // and its submenus
BOOL IsMenu(HMENU menu);
BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR idOrSubmenu, const char16_t* text);
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idOrSubmenu, const char* text);
BOOL InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idOrSubmenu, const char16_t* text);
BOOL ModifyMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idOrSubmenu, const char16_t* text);
BOOL InsertMenuItemW(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOW* info);
BOOL GetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOW* info);
BOOL SetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOW* info);
BOOL GetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOA* info);
BOOL SetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOA* info);
int GetMenuItemCount(HMENU menu);
UINT GetMenuItemID(HMENU menu, int position);  // 0xFFFFFFFF for a submenu or no item
HMENU GetSubMenu(HMENU menu, int position);
UINT GetMenuState(HMENU menu, UINT item, UINT flags);  // 0xFFFFFFFF when there is no item
int GetMenuStringW(HMENU menu, UINT item, char16_t* buffer, int maxCount, UINT flags);
int GetMenuStringA(HMENU menu, UINT item, char* buffer, int maxCount, UINT flags);
UINT EnableMenuItem(HMENU menu, UINT item, UINT enable);  // previous state, or 0xFFFFFFFF
DWORD CheckMenuItem(HMENU menu, UINT item, UINT check);
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);  // destroys a submenu too
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);  // keeps the submenu
BOOL GetMenuItemRect(HWND hwnd, HMENU menu, UINT item, RECT* rect);

HMENU GetMenu(HWND hwnd);
BOOL SetMenu(HWND hwnd, HMENU menu);
BOOL DrawMenuBar(HWND hwnd);
// The window's system menu ("&Restore", "&Move", "&Size", "Mi&nimize", "Ma&ximize", "&Close").
HMENU GetSystemMenu(HWND hwnd, BOOL revert);

// Shows a popup menu at a screen point and tracks it until it closes. With TPM_RETURNCMD the
// chosen item's id is returned (0 for none); otherwise the choice is posted to the owner as
// WM_COMMAND and the result is nonzero. FALSE while another menu is open.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* ignored);
BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, const void* params);
// Closes the open menu, if any.
BOOL EndMenu();

// Default-procedure entry points: the system menu at a point, the menu bar by mouse or key
// (key 0 opens the first item).
void ShowSystemMenuAt(HWND hwnd, POINT screen);
void TrackMenuBarAt(HWND hwnd, POINT screen);
void TrackMenuBarByKey(HWND hwnd, char16_t key);
