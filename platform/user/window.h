// Windows: classes, creation and destruction, window data, the window tree, position, size,
// visibility and enabled state. Every window is a Unicode window: text crosses window
// messages as UTF-16 (WM_SETTEXT, WM_GETTEXT, CREATESTRUCT); the ...A functions take and
// give UTF-8 and convert at the call.
#pragma once

#include <string>
#include <string_view>

#include "platform/user/messages.h"
#include "platform/user/styles.h"
#include "platform/user/wintypes.h"

// The program's own module handle (there is one module).
HINSTANCE GetModuleHandleW(const char16_t* name);

// Classes. A class name is compared without regard to ASCII case. System classes ("#32768"
// for popup menus) are always registered.
ATOM RegisterClassExW(const WNDCLASSEXW* wc);
BOOL UnregisterClassW(const char16_t* className, HINSTANCE instance);
BOOL GetClassInfoExW(HINSTANCE instance, const char16_t* className, WNDCLASSEXW* wc);
int GetClassNameW(HWND hwnd, char16_t* buffer, int maxCount);
int GetClassNameA(HWND hwnd, char* buffer, int maxCount);
std::u16string GetClassNameString(HWND hwnd);
ULONG_PTR GetClassLongPtrW(HWND hwnd, int index);
ULONG_PTR SetClassLongPtrW(HWND hwnd, int index, LONG_PTR value);

HWND CreateWindowExW(DWORD exStyle, const char16_t* className, const char16_t* windowName,
                     DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu,
                     HINSTANCE instance, void* param);
HWND CreateWindowExA(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                     int x, int y, int width, int height, HWND parent, HMENU menu,
                     HINSTANCE instance, void* param);
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
// Always TRUE: every window takes UTF-16 text (see above).
BOOL IsWindowUnicode(HWND hwnd);

// Window data. GWL_WNDPROC replaces the window procedure (subclassing) and returns the old one.
LONG_PTR GetWindowLongPtrW(HWND hwnd, int index);
LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value);
inline LONG_PTR GetWindowLongPtrA(HWND h, int i) { return GetWindowLongPtrW(h, i); }
inline LONG_PTR SetWindowLongPtrA(HWND h, int i, LONG_PTR v) { return SetWindowLongPtrW(h, i, v); }
inline LONG_PTR GetWindowLongW(HWND h, int i) { return GetWindowLongPtrW(h, i); }
inline LONG_PTR SetWindowLongW(HWND h, int i, LONG_PTR v) { return SetWindowLongPtrW(h, i, v); }
inline LONG_PTR GetWindowLongA(HWND h, int i) { return GetWindowLongPtrW(h, i); }
inline LONG_PTR SetWindowLongA(HWND h, int i, LONG_PTR v) { return SetWindowLongPtrW(h, i, v); }

// Window text through WM_SETTEXT / WM_GETTEXT / WM_GETTEXTLENGTH.
BOOL SetWindowTextW(HWND hwnd, const char16_t* text);
BOOL SetWindowTextA(HWND hwnd, const char* utf8);
int GetWindowTextW(HWND hwnd, char16_t* buffer, int maxCount);
int GetWindowTextA(HWND hwnd, char* buffer, int maxCount);
int GetWindowTextLengthW(HWND hwnd);
std::u16string GetWindowTextString(HWND hwnd);

// Properties: by name, or by atom passed as MAKEINTRESOURCE(atom).
BOOL SetPropW(HWND hwnd, const char16_t* name, HANDLE data);
HANDLE GetPropW(HWND hwnd, const char16_t* name);
HANDLE RemovePropW(HWND hwnd, const char16_t* name);
BOOL SetPropA(HWND hwnd, const char* name, HANDLE data);
HANDLE GetPropA(HWND hwnd, const char* name);
HANDLE RemovePropA(HWND hwnd, const char* name);
// Global atoms and registered message numbers (0xC000 and up).
ATOM GlobalAddAtomW(const char16_t* name);
ATOM GlobalAddAtomA(const char* name);
ATOM GlobalFindAtomW(const char16_t* name);
ATOM GlobalDeleteAtom(ATOM atom);
UINT RegisterWindowMessageW(const char16_t* name);
UINT RegisterWindowMessageA(const char* name);

// The tree. Children are kept in z-order, topmost first.
HWND GetParent(HWND hwnd);
HWND SetParent(HWND child, HWND newParent);
HWND GetAncestor(HWND hwnd, UINT flags);
HWND GetWindow(HWND hwnd, UINT relation);
HWND GetTopWindow(HWND hwnd);
HWND GetDesktopWindow();
BOOL IsChild(HWND parent, HWND hwnd);
BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param);
BOOL EnumWindows(WNDENUMPROC proc, LPARAM param);
HWND FindWindowExW(HWND parent, HWND childAfter, const char16_t* className,
                   const char16_t* windowName);
int GetDlgCtrlID(HWND hwnd);
HWND GetDlgItem(HWND dialog, int id);

// Geometry. Window rectangles are in screen coordinates, client rectangles start at (0, 0).
BOOL GetWindowRect(HWND hwnd, RECT* rect);
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL ClientToScreen(HWND hwnd, POINT* pt);
BOOL ScreenToClient(HWND hwnd, POINT* pt);
int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count);
HWND WindowFromPoint(POINT screenPoint);
HWND ChildWindowFromPoint(HWND parent, POINT clientPoint);
BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL BringWindowToTop(HWND hwnd);
BOOL GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement);
BOOL SetWindowPlacement(HWND hwnd, const WINDOWPLACEMENT* placement);
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu);

// Visibility and state.
BOOL ShowWindow(HWND hwnd, int cmd);
BOOL IsWindowVisible(HWND hwnd);
BOOL IsIconic(HWND hwnd);
BOOL IsZoomed(HWND hwnd);
BOOL EnableWindow(HWND hwnd, BOOL enable);
BOOL IsWindowEnabled(HWND hwnd);

// Icons stand for themselves here: an icon handle is whatever the graphics layer made.
HICON GetClassIcon(HWND hwnd, bool small);
