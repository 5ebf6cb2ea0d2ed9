// The common controls this platform draws: tab controls ("SysTabControl32"), track bars
// ("msctls_trackbar32"), status bars ("msctls_statusbar32"), header bars ("SysHeader32") and
// date-time pickers ("SysDateTimePick32"), with the messages, styles and notifications the
// Windows API documentation gives them, as far as the program and its skins use them. Each
// paints itself plainly in the system colours; RegisterStandardControls registers them.
#pragma once

#include "platform/forms/win/std_controls.h"
#include "platform/user/image_list.h"
#include "platform/user/notify.h"

inline constexpr const char16_t* WC_TABCONTROL = u"SysTabControl32";
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
