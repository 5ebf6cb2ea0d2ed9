// The standard control window classes and their messages, with the meaning the Windows API
// documentation gives them: "Button" (push buttons and check boxes), "Edit" (single-line
// edits), "Static" (text labels), "ListBox" (single-selection lists with scroll bars), "msctls_progress32"
// (progress bars) and "ScrollBar" (scroll bar controls). They paint themselves in the classic
// look through the graphics layer and notify their parent with WM_COMMAND (scroll bars with
// WM_HSCROLL / WM_VSCROLL). RegisterStandardControls registers them once.
#pragma once

#include "platform/user/messages.h"
#include "platform/user/scroll.h"
#include "platform/user/wintypes.h"

// Registers the classes (idempotent). Called by the class library before it creates controls.
void RegisterStandardControls();

inline constexpr const char16_t* WC_BUTTON = u"Button";
inline constexpr const char16_t* WC_EDIT = u"Edit";
inline constexpr const char16_t* WC_STATIC = u"Static";
inline constexpr const char16_t* WC_LISTBOX = u"ListBox";
inline constexpr const char16_t* WC_SCROLLBAR = u"ScrollBar";
inline constexpr const char16_t* PROGRESS_CLASS = u"msctls_progress32";

// WM_GETDLGCODE results.
inline constexpr LRESULT DLGC_WANTARROWS = 0x0001, DLGC_WANTTAB = 0x0002, DLGC_WANTALLKEYS = 0x0004,
                         DLGC_WANTMESSAGE = 0x0004, DLGC_HASSETSEL = 0x0008, DLGC_DEFPUSHBUTTON = 0x0010,
                         DLGC_UNDEFPUSHBUTTON = 0x0020, DLGC_RADIOBUTTON = 0x0040, DLGC_WANTCHARS = 0x0080,
                         DLGC_STATIC = 0x0100, DLGC_BUTTON = 0x2000;

// ---- Buttons ----
inline constexpr DWORD BS_PUSHBUTTON = 0x0, BS_DEFPUSHBUTTON = 0x1, BS_CHECKBOX = 0x2, BS_AUTOCHECKBOX = 0x3,
                       BS_RADIOBUTTON = 0x4, BS_3STATE = 0x5, BS_AUTO3STATE = 0x6, BS_GROUPBOX = 0x7,
                       BS_AUTORADIOBUTTON = 0x9, BS_OWNERDRAW = 0xB, BS_TYPEMASK = 0xF, BS_LEFTTEXT = 0x20,
                       BS_RIGHTBUTTON = 0x20, BS_LEFT = 0x100, BS_RIGHT = 0x200, BS_CENTER = 0x300, BS_TOP = 0x400,
                       BS_BOTTOM = 0x800, BS_VCENTER = 0xC00, BS_MULTILINE = 0x2000, BS_FLAT = 0x8000;
inline constexpr UINT BM_GETCHECK = 0x00F0, BM_SETCHECK = 0x00F1, BM_GETSTATE = 0x00F2, BM_SETSTATE = 0x00F3,
                      BM_SETSTYLE = 0x00F4, BM_CLICK = 0x00F5;
inline constexpr WPARAM BST_UNCHECKED = 0, BST_CHECKED = 1, BST_INDETERMINATE = 2;
inline constexpr LRESULT BST_PUSHED = 0x4, BST_FOCUS = 0x8;
inline constexpr WORD BN_CLICKED = 0, BN_DOUBLECLICKED = 5, BN_SETFOCUS = 6, BN_KILLFOCUS = 7;

// ---- Edits ----
inline constexpr DWORD ES_LEFT = 0x0, ES_CENTER = 0x1, ES_RIGHT = 0x2, ES_MULTILINE = 0x4, ES_UPPERCASE = 0x8,
                       ES_LOWERCASE = 0x10, ES_PASSWORD = 0x20, ES_AUTOVSCROLL = 0x40, ES_AUTOHSCROLL = 0x80,
                       ES_NOHIDESEL = 0x100, ES_READONLY = 0x800, ES_NUMBER = 0x2000;
inline constexpr UINT EM_GETSEL = 0x00B0, EM_SETSEL = 0x00B1, EM_SCROLLCARET = 0x00B7, EM_GETMODIFY = 0x00B8,
                      EM_SETMODIFY = 0x00B9, EM_GETLINECOUNT = 0x00BA, EM_REPLACESEL = 0x00C2,
                      EM_LIMITTEXT = 0x00C5, EM_SETLIMITTEXT = 0x00C5, EM_CANUNDO = 0x00C6, EM_UNDO = 0x00C7,
                      EM_SETPASSWORDCHAR = 0x00CC, EM_EMPTYUNDOBUFFER = 0x00CD, EM_GETFIRSTVISIBLELINE = 0x00CE,
                      EM_SETREADONLY = 0x00CF, EM_GETPASSWORDCHAR = 0x00D2, EM_SETMARGINS = 0x00D3,
                      EM_GETMARGINS = 0x00D4, EM_GETLIMITTEXT = 0x00D5, EM_POSFROMCHAR = 0x00D6,
                      EM_CHARFROMPOS = 0x00D7, EM_GETCARETINDEX = 0x1512;
inline constexpr WORD EN_SETFOCUS = 0x0100, EN_KILLFOCUS = 0x0200, EN_CHANGE = 0x0300, EN_UPDATE = 0x0400,
                      EN_MAXTEXT = 0x0501;

// ---- Statics ----
inline constexpr DWORD SS_LEFT = 0x0, SS_CENTER = 0x1, SS_RIGHT = 0x2, SS_LEFTNOWORDWRAP = 0xC,
                       SS_TYPEMASK = 0x1F, SS_NOPREFIX = 0x80, SS_NOTIFY = 0x100, SS_CENTERIMAGE = 0x200,
                       SS_EDITCONTROL = 0x2000, SS_ENDELLIPSIS = 0x4000;
inline constexpr WORD STN_CLICKED = 0, STN_DBLCLK = 1;

// ---- List boxes ----
inline constexpr DWORD LBS_NOTIFY = 0x1, LBS_SORT = 0x2, LBS_NOINTEGRALHEIGHT = 0x100, LBS_HASSTRINGS = 0x40,
                       LBS_WANTKEYBOARDINPUT = 0x400, LBS_DISABLENOSCROLL = 0x1000;
inline constexpr UINT LB_ADDSTRING = 0x0180, LB_INSERTSTRING = 0x0181, LB_DELETESTRING = 0x0182,
                      LB_RESETCONTENT = 0x0184, LB_SETCURSEL = 0x0186, LB_GETCURSEL = 0x0188,
                      LB_GETTEXT = 0x0189, LB_GETTEXTLEN = 0x018A, LB_GETCOUNT = 0x018B, LB_SETTOPINDEX = 0x0197,
                      LB_GETTOPINDEX = 0x018E, LB_FINDSTRING = 0x018F, LB_GETITEMRECT = 0x0198,
                      LB_GETITEMDATA = 0x0199, LB_SETITEMDATA = 0x019A, LB_GETITEMHEIGHT = 0x01A1,
                      LB_FINDSTRINGEXACT = 0x01A2, LB_GETHORIZONTALEXTENT = 0x0193,
                      LB_SETHORIZONTALEXTENT = 0x0194;
inline constexpr LRESULT LB_OKAY = 0, LB_ERR = -1, LB_ERRSPACE = -2;
inline constexpr WORD LBN_ERRSPACE = 0xFFFE, LBN_SELCHANGE = 1, LBN_DBLCLK = 2, LBN_SELCANCEL = 3,
                      LBN_SETFOCUS = 4, LBN_KILLFOCUS = 5;

// ---- Combo boxes ("ComboBox", with its list "ComboLBox") ----
inline constexpr const char16_t* WC_COMBOBOX = u"ComboBox";
inline constexpr const char16_t* WC_COMBOLBOX = u"ComboLBox";
inline constexpr DWORD CBS_SIMPLE = 0x1, CBS_DROPDOWN = 0x2, CBS_DROPDOWNLIST = 0x3, CBS_TYPEMASK = 0x3,
                       CBS_AUTOHSCROLL = 0x40, CBS_SORT = 0x100, CBS_HASSTRINGS = 0x200;
inline constexpr UINT CB_GETEDITSEL = 0x0140, CB_LIMITTEXT = 0x0141, CB_SETEDITSEL = 0x0142, CB_ADDSTRING = 0x0143,
                      CB_DELETESTRING = 0x0144, CB_GETCOUNT = 0x0146, CB_GETCURSEL = 0x0147, CB_GETLBTEXT = 0x0148,
                      CB_GETLBTEXTLEN = 0x0149, CB_INSERTSTRING = 0x014A, CB_RESETCONTENT = 0x014B,
                      CB_FINDSTRING = 0x014C, CB_SELECTSTRING = 0x014D, CB_SETCURSEL = 0x014E,
                      CB_SHOWDROPDOWN = 0x014F, CB_GETITEMDATA = 0x0150, CB_SETITEMDATA = 0x0151,
                      CB_GETDROPPEDCONTROLRECT = 0x0152, CB_GETITEMHEIGHT = 0x0154, CB_GETDROPPEDSTATE = 0x0157,
                      CB_FINDSTRINGEXACT = 0x0158;
inline constexpr LRESULT CB_OKAY = 0, CB_ERR = -1, CB_ERRSPACE = -2;
inline constexpr WORD CBN_ERRSPACE = 0xFFFF, CBN_SELCHANGE = 1, CBN_DBLCLK = 2, CBN_SETFOCUS = 3, CBN_KILLFOCUS = 4,
                      CBN_EDITCHANGE = 5, CBN_EDITUPDATE = 6, CBN_DROPDOWN = 7, CBN_CLOSEUP = 8, CBN_SELENDOK = 9,
                      CBN_SELENDCANCEL = 10;
// The list's private request that ends a drop-down: wParam 1 keeps the highlighted item.
inline constexpr UINT CBM_CLOSELIST = WM_USER + 0x7C1;
// The identifiers of a combo box's edit and list.
inline constexpr int kComboEditId = 1001, kComboListId = 1000;

// ---- List views ("SysListView32": report and list views of items with sub-items) ----
inline constexpr const char16_t* WC_LISTVIEW = u"SysListView32";
inline constexpr DWORD LVS_ICON = 0x0, LVS_REPORT = 0x1, LVS_SMALLICON = 0x2, LVS_LIST = 0x3, LVS_TYPEMASK = 0x3,
                       LVS_SINGLESEL = 0x4, LVS_SHOWSELALWAYS = 0x8, LVS_NOCOLUMNHEADER = 0x4000;
inline constexpr UINT LVM_FIRST = 0x1000;
inline constexpr UINT LVM_GETITEMCOUNT = LVM_FIRST + 4, LVM_DELETEITEM = LVM_FIRST + 8,
                      LVM_DELETEALLITEMS = LVM_FIRST + 9, LVM_GETNEXTITEM = LVM_FIRST + 12,
                      LVM_GETITEMRECT = LVM_FIRST + 14, LVM_ENSUREVISIBLE = LVM_FIRST + 19,
                      LVM_DELETECOLUMN = LVM_FIRST + 28, LVM_GETCOLUMNWIDTH = LVM_FIRST + 29,
                      LVM_SETCOLUMNWIDTH = LVM_FIRST + 30, LVM_GETHEADER = LVM_FIRST + 31,
                      LVM_GETTOPINDEX = LVM_FIRST + 39, LVM_GETCOUNTPERPAGE = LVM_FIRST + 40,
                      LVM_SETITEMSTATE = LVM_FIRST + 43, LVM_GETITEMSTATE = LVM_FIRST + 44,
                      LVM_GETSELECTEDCOUNT = LVM_FIRST + 50, LVM_SETITEMW = LVM_FIRST + 76,
                      LVM_INSERTITEMW = LVM_FIRST + 77, LVM_INSERTCOLUMNW = LVM_FIRST + 97,
                      LVM_GETITEMTEXTW = LVM_FIRST + 115, LVM_SETITEMTEXTW = LVM_FIRST + 116;
inline constexpr UINT LVIF_TEXT = 0x1, LVIF_IMAGE = 0x2, LVIF_PARAM = 0x4, LVIF_STATE = 0x8;
inline constexpr UINT LVIS_FOCUSED = 0x1, LVIS_SELECTED = 0x2;
inline constexpr UINT LVCF_FMT = 0x1, LVCF_WIDTH = 0x2, LVCF_TEXT = 0x4, LVCF_SUBITEM = 0x8;
inline constexpr int LVCFMT_LEFT = 0x0, LVCFMT_RIGHT = 0x1, LVCFMT_CENTER = 0x2;
inline constexpr LPARAM LVNI_ALL = 0x0, LVNI_FOCUSED = 0x1, LVNI_SELECTED = 0x2;
inline constexpr int LVIR_BOUNDS = 0, LVIR_LABEL = 2;
struct LVITEMW {
  UINT mask = 0;
  int iItem = 0;
  int iSubItem = 0;
  UINT state = 0;
  UINT stateMask = 0;
  char16_t* pszText = nullptr;
  int cchTextMax = 0;
  int iImage = 0;
  LPARAM lParam = 0;
};
struct LVCOLUMNW {
  UINT mask = 0;
  int fmt = 0;
  int cx = 0;
  char16_t* pszText = nullptr;
  int cchTextMax = 0;
  int iSubItem = 0;
};

// ---- Progress bars ----
inline constexpr DWORD PBS_SMOOTH = 0x01, PBS_VERTICAL = 0x04;
inline constexpr UINT PBM_SETRANGE = WM_USER + 1, PBM_SETPOS = WM_USER + 2, PBM_DELTAPOS = WM_USER + 3,
                      PBM_SETSTEP = WM_USER + 4, PBM_STEPIT = WM_USER + 5, PBM_SETRANGE32 = WM_USER + 6,
                      PBM_GETRANGE = WM_USER + 7, PBM_GETPOS = WM_USER + 8, PBM_SETBARCOLOR = WM_USER + 9,
                      PBM_SETBKCOLOR = 0x2001;
struct PBRANGE {
  int iLow;
  int iHigh;
};
