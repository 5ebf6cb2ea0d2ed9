// The scroll bars of a window's frame (WS_HSCROLL, WS_VSCROLL): ranges, positions, their
// parts on the screen, and what the default procedure does with presses on them.
#pragma once

#include "platform/user/wintypes.h"

inline constexpr int SB_HORZ = 0;
inline constexpr int SB_VERT = 1;
inline constexpr int SB_CTL = 2;
inline constexpr int SB_BOTH = 3;

// Styles of scroll bar windows (class "ScrollBar", registered by the class library's standard
// controls).
inline constexpr DWORD SBS_HORZ = 0x0000;
inline constexpr DWORD SBS_VERT = 0x0001;
// A size box instead of a bar; SBS_SIZEGRIP is one with the raised grip. At creation the
// alignment styles give it the system's scroll-bar size, placed at one corner of the rectangle
// it was made with.
inline constexpr DWORD SBS_SIZEBOXTOPLEFTALIGN = 0x0002;
inline constexpr DWORD SBS_SIZEBOXBOTTOMRIGHTALIGN = 0x0004;
inline constexpr DWORD SBS_SIZEBOX = 0x0008;
inline constexpr DWORD SBS_SIZEGRIP = 0x0010;

// Messages of scroll bar windows; SetScrollInfo and its kin with SB_CTL send them.
inline constexpr UINT SBM_SETPOS = 0x00E0, SBM_GETPOS = 0x00E1, SBM_SETRANGE = 0x00E2, SBM_GETRANGE = 0x00E3,
                      SBM_ENABLE_ARROWS = 0x00E4, SBM_SETRANGEREDRAW = 0x00E6, SBM_SETSCROLLINFO = 0x00E9,
                      SBM_GETSCROLLINFO = 0x00EA, SBM_GETSCROLLBARINFO = 0x00EB;
// The combo box's answer to GetComboBoxInfo.
inline constexpr UINT CB_GETCOMBOBOXINFO = 0x0164;

// WM_HSCROLL / WM_VSCROLL requests
inline constexpr int SB_LINEUP = 0;
inline constexpr int SB_LINELEFT = 0;
inline constexpr int SB_LINEDOWN = 1;
inline constexpr int SB_LINERIGHT = 1;
inline constexpr int SB_PAGEUP = 2;
inline constexpr int SB_PAGELEFT = 2;
inline constexpr int SB_PAGEDOWN = 3;
inline constexpr int SB_PAGERIGHT = 3;
inline constexpr int SB_THUMBPOSITION = 4;
inline constexpr int SB_THUMBTRACK = 5;
inline constexpr int SB_TOP = 6;
inline constexpr int SB_LEFT = 6;
inline constexpr int SB_BOTTOM = 7;
inline constexpr int SB_RIGHT = 7;
inline constexpr int SB_ENDSCROLL = 8;

inline constexpr UINT SIF_RANGE = 0x0001;
inline constexpr UINT SIF_PAGE = 0x0002;
inline constexpr UINT SIF_POS = 0x0004;
inline constexpr UINT SIF_DISABLENOSCROLL = 0x0008;
inline constexpr UINT SIF_TRACKPOS = 0x0010;
inline constexpr UINT SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

struct SCROLLINFO {
  UINT cbSize;
  UINT fMask;
  int nMin;
  int nMax;
  UINT nPage;
  int nPos;
  int nTrackPos;
};

inline constexpr LONG OBJID_HSCROLL = -6;
inline constexpr LONG OBJID_VSCROLL = -5;
inline constexpr LONG OBJID_CLIENT = -4;
inline constexpr DWORD STATE_SYSTEM_UNAVAILABLE = 0x00000001;
inline constexpr DWORD STATE_SYSTEM_PRESSED = 0x00000008;
inline constexpr DWORD STATE_SYSTEM_INVISIBLE = 0x00008000;
inline constexpr DWORD STATE_SYSTEM_OFFSCREEN = 0x00010000;

struct SCROLLBARINFO {
  DWORD cbSize;
  RECT rcScrollBar;   // screen coordinates
  int dxyLineButton;  // length of an arrow button
  int xyThumbTop;     // thumb, from the bar's top (or left)
  int xyThumbBottom;
  int reserved;
  DWORD rgstate[6];   // the bar, up arrow, page up, thumb, page down, down arrow
};

// SB_HORZ and SB_VERT: the window's frame bars; SB_CTL: the window is a scroll bar control,
// asked with its SBM_ messages. A new range or page of a frame bar shows the bar when it has
// something to scroll and hides it when the page covers the range (or the range holds one
// position), the frame giving the client area back; with SIF_DISABLENOSCROLL such a bar stays
// as it is, greyed and deaf to presses, until it has something to scroll again.
int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw);  // the new position
BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info);
int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw);  // the old position
int GetScrollPos(HWND hwnd, int bar);
BOOL SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw);
BOOL GetScrollRange(HWND hwnd, int bar, int* minPos, int* maxPos);
BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show);
// objectId OBJID_HSCROLL or OBJID_VSCROLL (a bar the window lacks is reported invisible), or
// OBJID_CLIENT for a scroll bar control (SBM_GETSCROLLBARINFO).
BOOL GetScrollBarInfo(HWND hwnd, LONG objectId, SCROLLBARINFO* info);

struct COMBOBOXINFO {
  DWORD cbSize;
  RECT rcItem;
  RECT rcButton;
  DWORD stateButton;
  HWND hwndCombo;
  HWND hwndItem;
  HWND hwndList;
};
// Asks the window with CB_GETCOMBOBOXINFO; FALSE for a window that is no combo box.
BOOL GetComboBoxInfo(HWND hwnd, COMBOBOXINFO* info);

// The parts of a scroll bar lying in `bar` (any coordinates): the arrows at its two ends and the
// thumb between them, placed by the position within the range; the thumb is empty when the bar
// cannot scroll or has no room for one (under 8 pixels of track). A page gives the thumb the
// page's share of the track, at least 8 pixels; without one the thumb is square.
struct ScrollBarParts {
  RECT arrow1, arrow2, thumb;
};
ScrollBarParts ScrollBarLayout(const RECT& bar, bool vertical, const SCROLLINFO& info);
// The position whose thumb starts `offset` pixels after the first arrow (the inverse of the
// layout, rounded to the nearest position, kept within the range).
int ScrollPosFromThumb(const RECT& bar, bool vertical, const SCROLLINFO& info, int offset);
