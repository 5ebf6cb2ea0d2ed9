// Keyboard focus, mouse capture, activation, key state, cursors and mouse tracking.
#pragma once

#include <cstdint>

#include "platform/user/wintypes.h"

HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
BOOL SetForegroundWindow(HWND hwnd);
HWND GetForegroundWindow();
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();

// Key state as of the last input message retrieved: bit 15 down, bit 0 toggled.
std::int16_t GetKeyState(int virtualKey);
std::int16_t GetAsyncKeyState(int virtualKey);
BOOL GetKeyboardState(BYTE* keyState256);

BOOL GetCursorPos(POINT* pt);
BOOL SetCursorPos(int x, int y);
// Standard cursors are LoadCursorW(nullptr, IDC_...); the cursor shown follows WM_SETCURSOR.
HCURSOR LoadCursorW(HINSTANCE instance, const char16_t* name);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
inline const char16_t* const IDC_ARROW = MAKEINTRESOURCE(32512);
inline const char16_t* const IDC_IBEAM = MAKEINTRESOURCE(32513);
inline const char16_t* const IDC_WAIT = MAKEINTRESOURCE(32514);
inline const char16_t* const IDC_CROSS = MAKEINTRESOURCE(32515);
inline const char16_t* const IDC_UPARROW = MAKEINTRESOURCE(32516);
inline const char16_t* const IDC_SIZENWSE = MAKEINTRESOURCE(32642);
inline const char16_t* const IDC_SIZENESW = MAKEINTRESOURCE(32643);
inline const char16_t* const IDC_SIZEWE = MAKEINTRESOURCE(32644);
inline const char16_t* const IDC_SIZENS = MAKEINTRESOURCE(32645);
inline const char16_t* const IDC_SIZEALL = MAKEINTRESOURCE(32646);
inline const char16_t* const IDC_NO = MAKEINTRESOURCE(32648);
inline const char16_t* const IDC_HAND = MAKEINTRESOURCE(32649);
inline const char16_t* const IDC_APPSTARTING = MAKEINTRESOURCE(32650);
inline const char16_t* const IDC_HELP = MAKEINTRESOURCE(32651);

UINT GetDoubleClickTime();
BOOL MessageBeep(UINT type);

struct TRACKMOUSEEVENT {
  DWORD cbSize;
  DWORD dwFlags;
  HWND hwndTrack;
  DWORD dwHoverTime;
};
inline constexpr DWORD TME_HOVER = 0x00000001;
inline constexpr DWORD TME_LEAVE = 0x00000002;
inline constexpr DWORD TME_NONCLIENT = 0x00000010;
inline constexpr DWORD TME_QUERY = 0x40000000;
inline constexpr DWORD TME_CANCEL = 0x80000000;
inline constexpr DWORD HOVER_DEFAULT = 0xFFFFFFFF;
BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme);

// Virtual-key codes.
inline constexpr int VK_LBUTTON = 0x01;
inline constexpr int VK_RBUTTON = 0x02;
inline constexpr int VK_CANCEL = 0x03;
inline constexpr int VK_MBUTTON = 0x04;
inline constexpr int VK_BACK = 0x08;
inline constexpr int VK_TAB = 0x09;
inline constexpr int VK_CLEAR = 0x0C;
inline constexpr int VK_RETURN = 0x0D;
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_MENU = 0x12;
inline constexpr int VK_PAUSE = 0x13;
inline constexpr int VK_CAPITAL = 0x14;
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_PRIOR = 0x21;
inline constexpr int VK_NEXT = 0x22;
inline constexpr int VK_END = 0x23;
inline constexpr int VK_HOME = 0x24;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_SNAPSHOT = 0x2C;
inline constexpr int VK_INSERT = 0x2D;
inline constexpr int VK_DELETE = 0x2E;
inline constexpr int VK_HELP = 0x2F;
inline constexpr int VK_LWIN = 0x5B;
inline constexpr int VK_RWIN = 0x5C;
inline constexpr int VK_APPS = 0x5D;
inline constexpr int VK_NUMPAD0 = 0x60;
inline constexpr int VK_MULTIPLY = 0x6A;
inline constexpr int VK_ADD = 0x6B;
inline constexpr int VK_SEPARATOR = 0x6C;
inline constexpr int VK_SUBTRACT = 0x6D;
inline constexpr int VK_DECIMAL = 0x6E;
inline constexpr int VK_DIVIDE = 0x6F;
inline constexpr int VK_F1 = 0x70;
inline constexpr int VK_F4 = 0x73;
inline constexpr int VK_F10 = 0x79;
inline constexpr int VK_F24 = 0x87;
inline constexpr int VK_NUMLOCK = 0x90;
inline constexpr int VK_SCROLL = 0x91;
inline constexpr int VK_LSHIFT = 0xA0;
inline constexpr int VK_RSHIFT = 0xA1;
inline constexpr int VK_LCONTROL = 0xA2;
inline constexpr int VK_RCONTROL = 0xA3;
inline constexpr int VK_LMENU = 0xA4;
inline constexpr int VK_RMENU = 0xA5;
