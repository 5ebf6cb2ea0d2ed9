// MDI: a frame window whose client area is a window of the system class "MDIClient" that holds
// the frame's child windows (WS_EX_MDICHILD). The client creates, activates, maximises,
// restores, tiles, cascades, steps through and destroys its children on request (WM_MDI...
// messages) and keeps one of them active; the frame's and the children's procedures pass what
// they leave to DefFrameProc and DefMDIChildProc. A maximised child fills the client, and while
// the frame has a menu bar the child's system menu and its minimise, restore and close buttons
// stand on that bar (the child's own caption lies outside the client then).
#pragma once

#include "platform/user/wintypes.h"

// lpCreateParams of the "MDIClient" window's CREATESTRUCT.
struct CLIENTCREATESTRUCT {
  HMENU hWindowMenu;
  UINT idFirstChild;
};

// lParam of WM_MDICREATE; the child's CREATESTRUCT carries it as lpCreateParams.
struct MDICREATESTRUCTW {
  const char16_t* szClass;
  const char16_t* szTitle;
  HINSTANCE hOwner;
  int x;
  int y;
  int cx;
  int cy;
  DWORD style;
  LPARAM lParam;
};

// WM_MDITILE and WM_MDICASCADE
inline constexpr WPARAM MDITILE_VERTICAL = 0x0000;
inline constexpr WPARAM MDITILE_HORIZONTAL = 0x0001;
inline constexpr WPARAM MDITILE_SKIPDISABLED = 0x0002;
inline constexpr WPARAM MDITILE_ZORDER = 0x0004;
// A client created with this style gives its children the style they ask for; otherwise every
// child gets a caption, a sizing frame, a system menu and both boxes.
inline constexpr DWORD MDIS_ALLCHILDSTYLES = 0x0001;

LRESULT DefFrameProcW(HWND hwnd, HWND client, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DefMDIChildProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
