// Basic types of the window layer: integer aliases, handles, geometry and the records that
// travel with window messages. Names and layouts follow the Windows API's documented meaning
// so that code written against it reads the same here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/user/graphics_types.h"

using INT = int;
using ATOM = std::uint16_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using UINT_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using WCHAR = char16_t;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

using HANDLE = void*;
using HWND = struct HWND__*;
using HMENU = struct HMENU__*;
using HHOOK = struct HHOOK__*;
using HINSTANCE = struct HINSTANCE__*;
using HMODULE = HINSTANCE;
using HGLOBAL = HANDLE;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using HOOKPROC = LRESULT (*)(int, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);
using WNDENUMPROC = BOOL (*)(HWND, LPARAM);

// Special window handles understood by SetWindowPos and the message calls.
inline HWND const HWND_TOP = reinterpret_cast<HWND>(0);
inline HWND const HWND_BOTTOM = reinterpret_cast<HWND>(1);
inline HWND const HWND_TOPMOST = reinterpret_cast<HWND>(-1);
inline HWND const HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);
inline HWND const HWND_BROADCAST = reinterpret_cast<HWND>(0xffff);
inline HWND const HWND_MESSAGE = reinterpret_cast<HWND>(-3);

constexpr WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xffff); }
constexpr WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xffff); }
constexpr LPARAM MAKELPARAM(int lo, int hi) {
  return static_cast<LPARAM>(static_cast<std::int32_t>((static_cast<std::uint32_t>(hi) << 16) |
                                                        (static_cast<std::uint32_t>(lo) & 0xffff)));
}
constexpr WPARAM MAKEWPARAM(int lo, int hi) {
  return static_cast<WPARAM>((static_cast<std::uint32_t>(hi) << 16) |
                             (static_cast<std::uint32_t>(lo) & 0xffff));
}
constexpr LRESULT MAKELRESULT(int lo, int hi) { return MAKELPARAM(lo, hi); }
// Signed coordinates packed into an LPARAM (mouse messages).
constexpr int GET_X_LPARAM(LPARAM l) { return static_cast<std::int16_t>(l & 0xffff); }
constexpr int GET_Y_LPARAM(LPARAM l) { return static_cast<std::int16_t>((l >> 16) & 0xffff); }
// Resource identifiers passed where a string is expected (cursors, icons, classes by atom).
template <typename T = const char16_t*>
inline T MAKEINTRESOURCE(std::uintptr_t id) { return reinterpret_cast<T>(id); }
inline bool IS_INTRESOURCE(const void* p) { return reinterpret_cast<std::uintptr_t>(p) <= 0xffff; }

struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  POINT pt{};
  DWORD lPrivate = 0;  // for key messages: the character the key produced (see TranslateMessage)
};

struct CREATESTRUCTW {
  void* lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  const char16_t* lpszName;
  const char16_t* lpszClass;
  DWORD dwExStyle;
};
using CREATESTRUCT = CREATESTRUCTW;

struct WINDOWPOS {
  HWND hwnd;
  HWND hwndInsertAfter;
  int x;
  int y;
  int cx;
  int cy;
  UINT flags;
};

struct NCCALCSIZE_PARAMS {
  RECT rgrc[3];
  WINDOWPOS* lppos;
};

struct MINMAXINFO {
  POINT ptReserved;
  POINT ptMaxSize;
  POINT ptMaxPosition;
  POINT ptMinTrackSize;
  POINT ptMaxTrackSize;
};

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};

struct WNDCLASSEXW {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  const char16_t* lpszMenuName;
  const char16_t* lpszClassName;
  HICON hIconSm;
};
using WNDCLASSEX = WNDCLASSEXW;

struct WINDOWPLACEMENT {
  UINT length;
  UINT flags;
  UINT showCmd;
  POINT ptMinPosition;
  POINT ptMaxPosition;
  RECT rcNormalPosition;
};

struct STYLESTRUCT {
  DWORD styleOld;
  DWORD styleNew;
};

// Timeouts and identifiers of the message calls.
inline constexpr DWORD INFINITE = 0xffffffffu;
