// The common controls this platform draws: tab controls ("SysTabControl32"), up-down arrows
// ("msctls_updown32"), track bars ("msctls_trackbar32"), status bars ("msctls_statusbar32"),
// header bars ("SysHeader32") and date-time pickers ("SysDateTimePick32"), with the messages, styles and notifications the
// Windows API documentation gives them, as far as the program and its skins use them. Each
// paints itself plainly in the system colours; RegisterStandardControls registers them.
#pragma once

#include <string>

#include "platform/forms/win/std_controls.h"
#include "platform/user/image_list.h"
#include "platform/user/notify.h"

inline constexpr const char16_t* WC_TABCONTROL = u"SysTabControl32";
inline constexpr const char16_t* UPDOWN_CLASS = u"msctls_updown32";
inline constexpr const char16_t* TRACKBAR_CLASS = u"msctls_trackbar32";
inline constexpr const char16_t* STATUSCLASSNAME = u"msctls_statusbar32";
inline constexpr const char16_t* WC_HEADER = u"SysHeader32";
inline constexpr const char16_t* DATETIMEPICK_CLASS = u"SysDateTimePick32";

// ---- Tab controls ----
inline constexpr DWORD TCS_BOTTOM = 0x0002, TCS_RIGHT = 0x0002, TCS_HOTTRACK = 0x0040, TCS_VERTICAL = 0x0080,
                       TCS_BUTTONS = 0x0100, TCS_OWNERDRAWFIXED = 0x2000, TCS_FOCUSNEVER = 0x8000;
inline constexpr UINT TCM_FIRST = 0x1300;
inline constexpr UINT TCM_GETIMAGELIST = TCM_FIRST + 2, TCM_SETIMAGELIST = TCM_FIRST + 3,
                      TCM_GETITEMCOUNT = TCM_FIRST + 4, TCM_GETITEMA = TCM_FIRST + 5, TCM_SETITEMA = TCM_FIRST + 6,
                      TCM_INSERTITEMA = TCM_FIRST + 7, TCM_DELETEITEM = TCM_FIRST + 8,
                      TCM_DELETEALLITEMS = TCM_FIRST + 9, TCM_GETITEMRECT = TCM_FIRST + 10,
                      TCM_GETCURSEL = TCM_FIRST + 11, TCM_SETCURSEL = TCM_FIRST + 12, TCM_HITTEST = TCM_FIRST + 13,
                      TCM_ADJUSTRECT = TCM_FIRST + 40, TCM_GETROWCOUNT = TCM_FIRST + 44,
                      TCM_GETCURFOCUS = TCM_FIRST + 47, TCM_SETCURFOCUS = TCM_FIRST + 48,
                      TCM_GETITEMW = TCM_FIRST + 60, TCM_SETITEMW = TCM_FIRST + 61, TCM_INSERTITEMW = TCM_FIRST + 62;
inline constexpr UINT TCIF_TEXT = 0x1, TCIF_IMAGE = 0x2, TCIF_RTLREADING = 0x4, TCIF_PARAM = 0x8, TCIF_STATE = 0x10;
inline constexpr UINT TCHT_NOWHERE = 0x1, TCHT_ONITEMICON = 0x2, TCHT_ONITEMLABEL = 0x4,
                      TCHT_ONITEM = TCHT_ONITEMICON | TCHT_ONITEMLABEL;
inline constexpr UINT TCN_SELCHANGE = UINT(-551), TCN_SELCHANGING = UINT(-552);

struct TCITEMW {
  UINT mask = 0;
  DWORD dwState = 0;
  DWORD dwStateMask = 0;
  char16_t* pszText = nullptr;
  int cchTextMax = 0;
  int iImage = -1;
  LPARAM lParam = 0;
};
struct TCITEMA {
  UINT mask = 0;
  DWORD dwState = 0;
  DWORD dwStateMask = 0;
  char* pszText = nullptr;  // UTF-8
  int cchTextMax = 0;
  int iImage = -1;
  LPARAM lParam = 0;
};
struct TCHITTESTINFO {
  POINT pt{};
  UINT flags = 0;
};

// ---- Up-down arrows (without a buddy window) ----
inline constexpr DWORD UDS_WRAP = 0x1, UDS_HORZ = 0x40;
inline constexpr UINT UDM_SETRANGE = WM_USER + 101, UDM_GETRANGE = WM_USER + 102, UDM_SETPOS = WM_USER + 103,
                      UDM_GETPOS = WM_USER + 104, UDM_SETRANGE32 = WM_USER + 111, UDM_GETRANGE32 = WM_USER + 112,
                      UDM_SETPOS32 = WM_USER + 113, UDM_GETPOS32 = WM_USER + 114;
inline constexpr int UD_MAXVAL = 0x7FFF, UD_MINVAL = -UD_MAXVAL;
inline constexpr UINT UDN_DELTAPOS = UINT(-722);

// UDN_DELTAPOS: the position before the change and the step asked for; a nonzero answer
// refuses it.
struct NMUPDOWN {
  NMHDR hdr;
  int iPos = 0;
  int iDelta = 0;
};

// ---- Track bars ----
inline constexpr DWORD TBS_AUTOTICKS = 0x1, TBS_VERT = 0x2, TBS_HORZ = 0x0, TBS_TOP = 0x4, TBS_BOTTOM = 0x0,
                       TBS_LEFT = 0x4, TBS_RIGHT = 0x0, TBS_BOTH = 0x8, TBS_NOTICKS = 0x10, TBS_NOTHUMB = 0x80;
inline constexpr UINT TBM_GETPOS = WM_USER, TBM_GETRANGEMIN = WM_USER + 1, TBM_GETRANGEMAX = WM_USER + 2,
                      TBM_SETPOS = WM_USER + 5, TBM_SETRANGE = WM_USER + 6, TBM_SETRANGEMIN = WM_USER + 7,
                      TBM_SETRANGEMAX = WM_USER + 8, TBM_GETNUMTICS = WM_USER + 16, TBM_SETTICFREQ = WM_USER + 20,
                      TBM_SETPAGESIZE = WM_USER + 21, TBM_GETPAGESIZE = WM_USER + 22, TBM_SETLINESIZE = WM_USER + 23,
                      TBM_GETLINESIZE = WM_USER + 24, TBM_GETTHUMBRECT = WM_USER + 25,
                      TBM_GETCHANNELRECT = WM_USER + 26;
// LOWORD of WM_HSCROLL / WM_VSCROLL from a track bar.
inline constexpr WORD TB_LINEUP = 0, TB_LINEDOWN = 1, TB_PAGEUP = 2, TB_PAGEDOWN = 3, TB_THUMBPOSITION = 4,
                      TB_THUMBTRACK = 5, TB_TOP = 6, TB_BOTTOM = 7, TB_ENDTRACK = 8;
// The parts a track bar's custom draw names in dwItemSpec.
inline constexpr UINT_PTR TBCD_TICS = 1, TBCD_THUMB = 2, TBCD_CHANNEL = 3;

// ---- Status bars ----
inline constexpr DWORD SBARS_SIZEGRIP = 0x100, CCS_TOP = 0x1, CCS_NORESIZE = 0x4, CCS_NOPARENTALIGN = 0x8,
                       CCS_BOTTOM = 0x3;
inline constexpr UINT SB_SETTEXTA = WM_USER + 1, SB_GETTEXTA = WM_USER + 2, SB_GETTEXTLENGTHA = WM_USER + 3,
                      SB_SETPARTS = WM_USER + 4, SB_GETPARTS = WM_USER + 6, SB_SIMPLE = WM_USER + 9,
                      SB_GETRECT = WM_USER + 10, SB_SETTEXTW = WM_USER + 11, SB_GETTEXTLENGTHW = WM_USER + 12,
                      SB_GETTEXTW = WM_USER + 13, SB_ISSIMPLE = WM_USER + 14;
inline constexpr WPARAM SB_SIMPLEID = 0xFF;
// Drawing types, in the high byte of the part number.
inline constexpr WPARAM SBT_OWNERDRAW = 0x1000, SBT_NOBORDERS = 0x100, SBT_POPOUT = 0x200, SBT_RTLREADING = 0x400;
inline constexpr int kStatusMaxParts = 256;
// A status part's text with its leading tabs taken off, and the alignment they give: none
// left (0), one centred (2), two right (1), in the order of TAlignment.
int StatusTextAlignment(std::u16string& text);
// How a status bar draws an owner-drawn part: WM_DRAWITEM to its parent with the part's index,
// its value (the lParam of SB_SETTEXT), the DC and the rectangle to draw in.
void DrawStatusOwnerPart(HWND bar, HDC dc, int part, const RECT& r, LPARAM data);

// ---- Header bars ----
inline constexpr DWORD HDS_BUTTONS = 0x2, HDS_HOTTRACK = 0x4;
inline constexpr UINT HDM_FIRST = 0x1200;
inline constexpr UINT HDM_GETITEMCOUNT = HDM_FIRST + 0, HDM_INSERTITEMA = HDM_FIRST + 1,
                      HDM_DELETEITEM = HDM_FIRST + 2, HDM_GETITEMA = HDM_FIRST + 3, HDM_SETITEMA = HDM_FIRST + 4,
                      HDM_HITTEST = HDM_FIRST + 6, HDM_GETITEMRECT = HDM_FIRST + 7,
                      HDM_SETIMAGELIST = HDM_FIRST + 8, HDM_GETIMAGELIST = HDM_FIRST + 9,
                      HDM_INSERTITEMW = HDM_FIRST + 10, HDM_GETITEMW = HDM_FIRST + 11, HDM_SETITEMW = HDM_FIRST + 12;
inline constexpr UINT HDI_WIDTH = 0x1, HDI_TEXT = 0x2, HDI_FORMAT = 0x4, HDI_LPARAM = 0x8, HDI_IMAGE = 0x20;
inline constexpr int HDF_LEFT = 0x0, HDF_RIGHT = 0x1, HDF_CENTER = 0x2, HDF_JUSTIFYMASK = 0x3, HDF_RTLREADING = 0x4,
                     HDF_IMAGE = 0x800, HDF_STRING = 0x4000;
inline constexpr UINT HHT_NOWHERE = 0x1, HHT_ONHEADER = 0x2;
inline constexpr UINT HDN_ITEMCLICKW = UINT(-322);

struct HDITEMW {
  UINT mask = 0;
  int cxy = 0;
  char16_t* pszText = nullptr;
  HBITMAP hbm = nullptr;
  int cchTextMax = 0;
  int fmt = 0;
  LPARAM lParam = 0;
  int iImage = -1;
  int iOrder = 0;
};
struct HDITEMA {
  UINT mask = 0;
  int cxy = 0;
  char* pszText = nullptr;  // UTF-8
  HBITMAP hbm = nullptr;
  int cchTextMax = 0;
  int fmt = 0;
  LPARAM lParam = 0;
  int iImage = -1;
  int iOrder = 0;
};
struct HDHITTESTINFO {
  POINT pt{};
  UINT flags = 0;
  int iItem = -1;
};
struct NMHEADERW {
  NMHDR hdr;
  int iItem = -1;
  int iButton = 0;
  HDITEMW* pitem = nullptr;
};

// ---- Date-time pickers ----
inline constexpr DWORD DTS_UPDOWN = 0x1, DTS_SHOWNONE = 0x2, DTS_LONGDATEFORMAT = 0x4, DTS_RIGHTALIGN = 0x20;
inline constexpr UINT DTM_GETSYSTEMTIME = 0x1001, DTM_SETSYSTEMTIME = 0x1002;
inline constexpr LRESULT GDT_ERROR = -1, GDT_VALID = 0, GDT_NONE = 1;
inline constexpr UINT DTN_DATETIMECHANGE = UINT(-759), DTN_DROPDOWN = UINT(-754), DTN_CLOSEUP = UINT(-753);

struct SYSTEMTIME {
  WORD wYear = 1899, wMonth = 12, wDayOfWeek = 6, wDay = 30, wHour = 0, wMinute = 0, wSecond = 0,
       wMilliseconds = 0;
};
struct NMDATETIMECHANGE {
  NMHDR nmhdr;
  DWORD dwFlags = GDT_VALID;
  SYSTEMTIME st;
};
// The picker's drop-down button: the right end of the client area (DTS_RIGHTALIGN aside), as
// wide as a vertical scroll bar.
RECT DateTimeDropRect(HWND picker);
