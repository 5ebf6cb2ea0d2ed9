// The default window procedure: what a window does with a message its own procedure passes
// on. Non-client defaults follow a classic Windows frame: borders by style, a caption bar with
// system-menu, minimize, maximize and close boxes, a menu bar, hit testing, moving and sizing
// with the mouse, and WM_SYSCOMMAND.
#pragma once

#include "platform/user/wintypes.h"

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
inline LRESULT DefWindowProcA(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

// Frame geometry of a style (window coordinates of a window `width` x `height`).
struct FrameLayout {
  RECT client;      // the client area
  RECT caption;     // the caption bar, empty without WS_CAPTION
  RECT menuBar;     // the menu bar, empty without a menu
  RECT closeBox;    // caption buttons, empty when absent
  RECT maxBox;
  RECT minBox;
  RECT sysMenuBox;  // the system-menu icon at the left of the caption
  RECT vScroll;     // scroll bars, empty without WS_VSCROLL / WS_HSCROLL
  RECT hScroll;
  int border;       // width of the outer frame on each side
};
FrameLayout ComputeFrameLayout(DWORD style, DWORD exStyle, bool hasMenu, int width, int height);
// The width of the outer frame on each side (sizing, dialog or thin border).
int FrameBorderWidth(DWORD style, DWORD exStyle);
