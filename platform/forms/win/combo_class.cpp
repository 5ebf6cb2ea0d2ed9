// "ComboBox": an edit or a selection field with a list of strings. CBS_SIMPLE shows the list
// under an edit; CBS_DROPDOWN drops the list (a "ComboLBox" popup) under an edit from a button;
// CBS_DROPDOWNLIST does so under a field that shows the selected item. The list holds the items
// (CB_ messages go on to it as LB_ ones); the parent hears CBN_ notifications; the keyboard moves
// the selection (arrows, pages, Home, End, first letters), F4 and Alt+Down drop the list, Enter
// takes the highlighted item and Escape closes the list without it.
#include <algorithm>
#include <memory>

#include "platform/forms/win/control_util.h"
#include "platform/forms/win/std_controls.h"
#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/painting.h"
#include "platform/user/scroll_track.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"

namespace {

using namespace stdctl;

constexpr int kDropRows = 8;
constexpr const char16_t* kEditProcProp = u"VelmoraComboEditProc";

struct ComboState {
  HWND edit = nullptr, list = nullptr;
  HFONT font = nullptr;
  bool dropped = false, focused = false, settingText = false;
  bool holding = false;  // the button that dropped the list is still held
  int committed = -1;  // the selection when the list dropped
};

DWORD Style(HWND h) { return static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE)); }
DWORD TypeOf(HWND h) { return Style(h) & CBS_TYPEMASK; }
DWORD ExStyle(HWND h) { return static_cast<DWORD>(GetWindowLongPtrW(h, GWL_EXSTYLE)); }
// A right-to-left combo (WS_EX_LEFTSCROLLBAR) has its drop button at the left.
bool LeftButton(HWND h) { return (ExStyle(h) & WS_EX_LEFTSCROLLBAR) != 0; }
// The combo's reading order, alignment and scroll-bar side, which its edit and list share.
constexpr DWORD kBiDiExStyles = WS_EX_RIGHT | WS_EX_RTLREADING | WS_EX_LEFTSCROLLBAR;
LRESULT ToList(ComboState* s, UINT msg, WPARAM w = 0, LPARAM l = 0) {
  return s->list ? SendMessageW(s->list, msg, w, l) : CB_ERR;
}
int Count(ComboState* s) { return static_cast<int>(ToList(s, LB_GETCOUNT)); }
int Selected(ComboState* s) { return static_cast<int>(ToList(s, LB_GETCURSEL)); }

std::u16string ItemText(ComboState* s, int index) {
  const auto n = ToList(s, LB_GETTEXTLEN, static_cast<WPARAM>(index));
  if (n < 0) return {};
  std::u16string t(static_cast<size_t>(n) + 1, u'\0');
  ToList(s, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(t.data()));
  t.resize(static_cast<size_t>(n));
  return t;
}

// Where the parts lie in the client area: the field (or edit), the button, a simple list.
struct Layout {
  RECT item, button, list;
};

int EditHeight(HWND h, ComboState* s) { return MeasureFont(h, s->font).tmHeight + 6; }

Layout LayoutOf(HWND h, ComboState* s) {
  RECT c{};
  GetClientRect(h, &c);
  Layout l{};
  if (TypeOf(h) == CBS_SIMPLE) {
    const int eh = std::min<int>(EditHeight(h, s), c.bottom);
    l.item = RECT{2, 2, c.right - 2, eh - 2};
    l.list = RECT{0, eh, c.right, c.bottom};
    return l;
  }
  const int b = GetSystemMetrics(SM_CXVSCROLL);
  if (LeftButton(h)) {
    l.button = RECT{2, 2, std::min<int>(2 + b, std::max<int>(2, c.right - 2)), c.bottom - 2};
    l.item = RECT{l.button.right, 2, std::max<int>(l.button.right, c.right - 2), c.bottom - 2};
    return l;
  }
  l.button = RECT{std::max(2, c.right - 2 - b), 2, c.right - 2, c.bottom - 2};
  l.item = RECT{2, 2, l.button.left, c.bottom - 2};
  return l;
}

void Place(HWND h, ComboState* s) {
  const Layout l = LayoutOf(h, s);
  // The edit keeps a pixel from the field's edge on the side away from the button.
  const bool left = LeftButton(h) && TypeOf(h) != CBS_SIMPLE;
  const int inset = left ? 0 : 1, trail = left ? 1 : 0;
  if (s->edit)
    MoveWindow(s->edit, l.item.left + inset, l.item.top, std::max<int>(0, l.item.right - l.item.left - inset - trail),
               l.item.bottom - l.item.top, TRUE);
  if (s->list && TypeOf(h) == CBS_SIMPLE)
    MoveWindow(s->list, l.list.left, l.list.top, l.list.right - l.list.left, l.list.bottom - l.list.top, TRUE);
}

void SetEditText(ComboState* s, const std::u16string& text) {
  if (!s->edit) return;
  s->settingText = true;
  SetWindowTextW(s->edit, text.c_str());
  SendMessageW(s->edit, EM_SETSEL, 0, -1);
  s->settingText = false;
}

void ShowSelection(HWND h, ComboState* s) {
  const int sel = Selected(s);
  SetEditText(s, sel >= 0 ? ItemText(s, sel) : std::u16string());
  InvalidateRect(h, nullptr, FALSE);
}

void Paint(HWND h, HDC dc, ComboState* s) {
  RECT c{};
  GetClientRect(h, &c);
  const Layout l = LayoutOf(h, s);
  const bool enabled = IsWindowEnabled(h);
  const bool simple = TypeOf(h) == CBS_SIMPLE;
  RECT field = simple ? RECT{0, 0, c.right, l.list.top} : c;
  HBRUSH bg = ControlBrush(h, dc, TypeOf(h) == CBS_DROPDOWNLIST ? WM_CTLCOLORLISTBOX : WM_CTLCOLOREDIT);
  FillRect(dc, &field, enabled ? bg : GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &field, EDGE_SUNKEN, BF_RECT);
  if (!simple) DrawScrollArrowButton(dc, l.button, 1, s->dropped, enabled);
  if (TypeOf(h) != CBS_DROPDOWNLIST) return;
  RECT item = l.item;
  InflateRect(item, -1, -1);
  const bool lit = s->focused && !s->dropped;
  if (lit) FillRect(dc, &item, GetSysColorBrush(COLOR_HIGHLIGHT));
  const int sel = Selected(s);
  HGDIOBJ old = SelectObject(dc, FontOr(s->font));
  if (sel >= 0) {
    if (lit) SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    RECT text = item;
    InflateRect(text, -2, 0);
    const DWORD ex = ExStyle(h);
    const UINT align = ((ex & WS_EX_RIGHT) ? DT_RIGHT : DT_LEFT) | ((ex & WS_EX_RTLREADING) ? DT_RTLREADING : 0);
    DrawControlText(dc, ItemText(s, sel), text, align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, enabled);
  }
  SelectObject(dc, old);
  if (lit) DrawFocusRect(dc, &item);
}

RECT DropRect(HWND h, ComboState* s) {
  RECT wr{};
  GetWindowRect(h, &wr);
  const auto ih = static_cast<int>(ToList(s, LB_GETITEMHEIGHT));
  const int rows = std::clamp(Count(s), 1, kDropRows);
  return RECT{wr.left, wr.bottom, wr.right, wr.bottom + rows * std::max(ih, 1) + 2};
}

void Drop(HWND h, ComboState* s) {
  if (s->dropped || TypeOf(h) == CBS_SIMPLE || !s->list) return;
  NotifyParent(h, CBN_DROPDOWN);
  s = StateOf<ComboState>(h);
  if (!s || !IsWindow(s->list)) return;
  s->committed = Selected(s);
  const RECT r = DropRect(h, s);
  SetWindowPos(s->list, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  ToList(s, LB_SETCURSEL, static_cast<WPARAM>(s->committed));
  s->dropped = true;
  SetCapture(s->list);
  InvalidateRect(h, nullptr, FALSE);
}

// Ends a drop-down, taking the highlighted item or going back to the one before.
void Close(HWND h, ComboState* s, bool take) {
  if (!s->dropped) return;
  s->dropped = false;
  s->holding = false;
  if (GetCapture() == s->list || GetCapture() == h) ReleaseCapture();
  ShowWindow(s->list, SW_HIDE);
  const int sel = Selected(s);
  const bool changed = take && sel != s->committed;
  if (!take) ToList(s, LB_SETCURSEL, static_cast<WPARAM>(s->committed));
  s->committed = Selected(s);
  if (changed) ShowSelection(h, s);
  InvalidateRect(h, nullptr, FALSE);
  NotifyParent(h, take ? CBN_SELENDOK : CBN_SELENDCANCEL);
  NotifyParent(h, CBN_CLOSEUP);
  if (changed) NotifyParent(h, CBN_SELCHANGE);
}

// The mouse while the button that dropped the list is held: over the list it highlights a
// row, a release there takes it; released elsewhere, the list keeps the mouse.
void Hold(HWND h, ComboState* s, UINT msg, LPARAM lParam) {
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ClientToScreen(h, &p);
  ScreenToClient(s->list, &p);
  RECT c{};
  GetClientRect(s->list, &c);
  const bool over = s->dropped && p.x >= c.left && p.x < c.right && p.y >= c.top && p.y < c.bottom;
  if (msg == WM_MOUSEMOVE) {
    if (over) SendMessageW(s->list, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
    return;
  }
  s->holding = false;
  if (over) {
    SendMessageW(s->list, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  } else if (s->dropped) {
    SetCapture(s->list);
  } else if (GetCapture() == h) {
    ReleaseCapture();
  }
}

// A new selection by the keyboard: shown at once, and told unless the list is open.
void Choose(HWND h, ComboState* s, int index) {
  const int n = Count(s);
  if (n == 0) return;
  index = std::clamp(index, 0, n - 1);
  if (index == Selected(s)) return;
  ToList(s, LB_SETCURSEL, static_cast<WPARAM>(index));
  ShowSelection(h, s);
  if (s->dropped) return;
  s->committed = index;
  NotifyParent(h, CBN_SELCHANGE);
}

// True when the key was the combo's.
bool Key(HWND h, ComboState* s, WPARAM key, bool alt) {
  const int cur = Selected(s);
  const int page = kDropRows - 1;
  const bool field = TypeOf(h) == CBS_DROPDOWNLIST;
  if (key == VK_F4 || (alt && (key == VK_DOWN || key == VK_UP))) {
    s->dropped ? Close(h, s, true) : Drop(h, s);
    return true;
  }
  switch (key) {
    case VK_RETURN:
    case VK_ESCAPE:
      if (!s->dropped) return false;
      Close(h, s, key == VK_RETURN);
      return true;
    case VK_UP: Choose(h, s, cur < 0 ? 0 : cur - 1); return true;
    case VK_DOWN: Choose(h, s, cur + 1); return true;
    case VK_PRIOR: Choose(h, s, cur - page); return true;
    case VK_NEXT: Choose(h, s, cur + page); return true;
    case VK_HOME:
      if (!field) return false;
      Choose(h, s, 0);
      return true;
    case VK_END:
      if (!field) return false;
      Choose(h, s, Count(s) - 1);
      return true;
    default:
      return false;
  }
}

// The edit child hands the combo's keys on before it sees them.
LRESULT EditProc(HWND e, UINT msg, WPARAM wParam, LPARAM lParam) {
  const auto old = reinterpret_cast<WNDPROC>(GetPropW(e, kEditProcProp));
  HWND combo = GetParent(e);
  auto* s = combo ? StateOf<ComboState>(combo) : nullptr;
  if (s && (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) &&
      Key(combo, s, wParam, msg == WM_SYSKEYDOWN && (lParam & (1 << 29))))
    return 0;
  if (s && msg == WM_GETDLGCODE)
    return CallWindowProcW(old, e, msg, wParam, lParam) | DLGC_WANTARROWS | (s->dropped ? DLGC_WANTALLKEYS : 0);
  if (msg == WM_NCDESTROY) {
    RemovePropW(e, kEditProcProp);
    SetWindowLongPtrW(e, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(old));
  }
  return old ? CallWindowProcW(old, e, msg, wParam, lParam) : DefWindowProcW(e, msg, wParam, lParam);
}

void Create(HWND h, ComboState* s) {
  const DWORD style = Style(h);
  const DWORD type = style & CBS_TYPEMASK;
  HINSTANCE inst = GetModuleHandleW(nullptr);
  const DWORD bidi = ExStyle(h) & kBiDiExStyles;
  if (type != CBS_DROPDOWNLIST) {
    const DWORD editStyle = WS_CHILD | WS_VISIBLE | ((style & CBS_AUTOHSCROLL) ? ES_AUTOHSCROLL : 0);
    s->edit = CreateWindowExW(bidi, WC_EDIT, u"", editStyle, 0, 0, 10, 10, h,
                              reinterpret_cast<HMENU>(static_cast<intptr_t>(kComboEditId)), inst, nullptr);
    if (s->edit) {
      SetPropW(s->edit, kEditProcProp, reinterpret_cast<HANDLE>(GetWindowLongPtrW(s->edit, GWL_WNDPROC)));
      SetWindowLongPtrW(s->edit, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&EditProc));
    }
  }
  const DWORD sort = (style & CBS_SORT) ? LBS_SORT : 0;
  if (type == CBS_SIMPLE) {
    s->list = CreateWindowExW(bidi, WC_COMBOLBOX, u"",
                              WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | sort, 0, 0, 10, 10, h,
                              reinterpret_cast<HMENU>(static_cast<intptr_t>(kComboListId)), inst, nullptr);
  } else {
    s->list = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | bidi, WC_COMBOLBOX, u"",
                              WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | sort, 0, 0, 10, 10, h, nullptr,
                              inst, nullptr);
  }
  if (s->list) SetWindowLongPtrW(s->list, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(h));
  Place(h, s);
}

// The combo turned to the other reading direction: its parts change sides, and its edit and
// list follow.
void Mirror(HWND h, ComboState* s) {
  const DWORD bidi = ExStyle(h) & kBiDiExStyles;
  for (HWND part : {s->edit, s->list}) {
    if (!part) continue;
    const DWORD ex = static_cast<DWORD>(GetWindowLongPtrW(part, GWL_EXSTYLE));
    if ((ex & kBiDiExStyles) == bidi) continue;
    SetWindowLongPtrW(part, GWL_EXSTYLE, static_cast<LONG_PTR>((ex & ~kBiDiExStyles) | bidi));
    SetWindowPos(part, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  Place(h, s);
  InvalidateRect(h, nullptr, FALSE);
}

LRESULT Info(HWND h, ComboState* s, COMBOBOXINFO* info) {
  if (!info || info->cbSize != sizeof(COMBOBOXINFO)) return FALSE;
  const Layout l = LayoutOf(h, s);
  info->rcItem = l.item;
  info->rcButton = l.button;
  info->stateButton = TypeOf(h) == CBS_SIMPLE ? STATE_SYSTEM_INVISIBLE : (s->dropped ? STATE_SYSTEM_PRESSED : 0);
  info->hwndCombo = h;
  info->hwndItem = s->edit ? s->edit : h;
  info->hwndList = s->list;
  return TRUE;
}

LRESULT Text(HWND h, ComboState* s, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (s->edit) {
    if (msg == WM_SETTEXT) s->settingText = true;
    const LRESULT r = SendMessageW(s->edit, msg, wParam, lParam);
    s->settingText = false;
    return r;
  }
  const int sel = Selected(s);
  const std::u16string t = sel >= 0 ? ItemText(s, sel) : std::u16string();
  switch (msg) {
    case WM_SETTEXT: {
      const auto found = ToList(s, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), lParam);
      if (found < 0) return CB_ERR;
      ToList(s, LB_SETCURSEL, static_cast<WPARAM>(found));
      s->committed = static_cast<int>(found);
      InvalidateRect(h, nullptr, FALSE);
      return TRUE;
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(t.size());
    default: {  // WM_GETTEXT
      if (!lParam || wParam == 0) return 0;
      const size_t n = std::min<size_t>(t.size(), wParam - 1);
      auto* out = reinterpret_cast<char16_t*>(lParam);
      std::copy_n(t.data(), n, out);
      out[n] = 0;
      return static_cast<LRESULT>(n);
    }
  }
}

void Command(HWND h, ComboState* s, WPARAM wParam) {
  switch (HIWORD(wParam)) {
    case EN_SETFOCUS:
      s->focused = true;
      NotifyParent(h, CBN_SETFOCUS);
      break;
    case EN_KILLFOCUS:
      s->focused = false;
      if (s->dropped) Close(h, s, false);
      NotifyParent(h, CBN_KILLFOCUS);
      break;
    case EN_CHANGE:
      if (!s->settingText) NotifyParent(h, CBN_EDITCHANGE);
      break;
    case EN_UPDATE:
      if (!s->settingText) NotifyParent(h, CBN_EDITUPDATE);
      break;
    case LBN_SELCHANGE:
      ShowSelection(h, s);
      NotifyParent(h, CBN_SELCHANGE);
      break;
    case LBN_DBLCLK:
      NotifyParent(h, CBN_DBLCLK);
      break;
    default:
      break;
  }
}

// The CB_ requests the list answers as its LB_ twins.
UINT ListTwin(UINT msg) {
  switch (msg) {
    case CB_ADDSTRING: return LB_ADDSTRING;
    case CB_INSERTSTRING: return LB_INSERTSTRING;
    case CB_DELETESTRING: return LB_DELETESTRING;
    case CB_GETCOUNT: return LB_GETCOUNT;
    case CB_GETCURSEL: return LB_GETCURSEL;
    case CB_GETLBTEXT: return LB_GETTEXT;
    case CB_GETLBTEXTLEN: return LB_GETTEXTLEN;
    case CB_FINDSTRING: return LB_FINDSTRING;
    case CB_FINDSTRINGEXACT: return LB_FINDSTRINGEXACT;
    case CB_GETITEMDATA: return LB_GETITEMDATA;
    case CB_SETITEMDATA: return LB_SETITEMDATA;
    case CB_GETITEMHEIGHT: return LB_GETITEMHEIGHT;
    default: return 0;
  }
}

LRESULT Handle(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, ComboState* s) {
  if (UINT twin = ListTwin(msg)) {
    const LRESULT r = ToList(s, twin, wParam, lParam);
    if (msg == CB_DELETESTRING) s->committed = Selected(s);
    if (msg == CB_DELETESTRING || msg == CB_ADDSTRING || msg == CB_INSERTSTRING) InvalidateRect(h, nullptr, FALSE);
    return r;
  }
  switch (msg) {
    case WM_CREATE:
      Create(h, s);
      return 0;
    case WM_DESTROY:
      if (s->list && !(GetWindowLongPtrW(s->list, GWL_STYLE) & WS_CHILD)) DestroyWindow(s->list);
      s->list = nullptr;
      return 0;
    case WM_SIZE:
      Place(h, s);
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_STYLECHANGED:
      if (wParam == static_cast<WPARAM>(GWL_EXSTYLE)) Mirror(h, s);
      return 0;
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      if (s->edit) SendMessageW(s->edit, WM_SETFONT, wParam, lParam);
      ToList(s, WM_SETFONT, wParam, lParam);
      Place(h, s);
      return 0;
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
      return Text(h, s, msg, wParam, lParam);
    case CB_RESETCONTENT:
      ToList(s, LB_RESETCONTENT);
      s->committed = -1;
      SetEditText(s, u"");
      InvalidateRect(h, nullptr, FALSE);
      return CB_OKAY;
    case CB_SETCURSEL: {
      const auto index = static_cast<int>(static_cast<intptr_t>(wParam));
      const LRESULT r = ToList(s, LB_SETCURSEL, wParam);
      s->committed = Selected(s);
      ShowSelection(h, s);
      return index >= 0 && index < Count(s) ? r : CB_ERR;
    }
    case CB_SELECTSTRING: {
      const LRESULT found = ToList(s, LB_FINDSTRING, wParam, lParam);
      if (found < 0) return CB_ERR;
      return Handle(h, CB_SETCURSEL, static_cast<WPARAM>(found), 0, s);
    }
    case CB_SHOWDROPDOWN:
      wParam ? Drop(h, s) : Close(h, s, true);
      return TRUE;
    case CB_GETDROPPEDSTATE:
      return s->dropped ? TRUE : FALSE;
    case CB_GETDROPPEDCONTROLRECT:
      if (lParam) *reinterpret_cast<RECT*>(lParam) = DropRect(h, s);
      return lParam ? TRUE : FALSE;
    case CB_GETCOMBOBOXINFO:
      return Info(h, s, reinterpret_cast<COMBOBOXINFO*>(lParam));
    case CB_LIMITTEXT:
      if (!s->edit) return CB_ERR;
      SendMessageW(s->edit, EM_LIMITTEXT, wParam, 0);
      return TRUE;
    case CB_GETEDITSEL:
      return s->edit ? SendMessageW(s->edit, EM_GETSEL, wParam, lParam) : CB_ERR;
    case CB_SETEDITSEL:
      if (!s->edit) return CB_ERR;
      SendMessageW(s->edit, EM_SETSEL, LOWORD(lParam), static_cast<int16_t>(HIWORD(lParam)));
      return TRUE;
    case CBM_CLOSELIST:
      Close(h, s, wParam != 0);
      return 0;
    case WM_COMMAND:
      Command(h, s, wParam);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS | (s->dropped ? DLGC_WANTALLKEYS : 0);
    case WM_SETFOCUS:
      if (s->edit) {
        SetFocus(s->edit);
        return 0;
      }
      s->focused = true;
      InvalidateRect(h, nullptr, FALSE);
      NotifyParent(h, CBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      if (s->edit) return 0;
      s->focused = false;
      if (s->dropped) Close(h, s, false);
      InvalidateRect(h, nullptr, FALSE);
      NotifyParent(h, CBN_KILLFOCUS);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      SetFocus(s->edit ? s->edit : h);
      s = StateOf<ComboState>(h);
      if (!s) return 0;
      const Layout l = LayoutOf(h, s);
      const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      const bool onButton = p.x >= l.button.left && p.x < l.button.right && p.y >= l.button.top && p.y < l.button.bottom;
      if (TypeOf(h) != CBS_DROPDOWNLIST && !onButton) return 0;
      if (s->dropped) {
        Close(h, s, false);
        return 0;
      }
      Drop(h, s);
      if (s->dropped) {
        // Held, the mouse may drag into the list and be released on a row.
        s->holding = true;
        SetCapture(h);
      }
      return 0;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      if (s->holding) Hold(h, s, msg, lParam);
      return 0;
    case WM_KEYDOWN:
      Key(h, s, wParam, false);
      return 0;
    case WM_SYSKEYDOWN:
      if (Key(h, s, wParam, (lParam & (1 << 29)) != 0)) return 0;
      return DefWindowProcW(h, msg, wParam, lParam);
    case WM_CHAR: {
      if (TypeOf(h) != CBS_DROPDOWNLIST || wParam <= u' ') return 0;
      const char16_t c[2] = {static_cast<char16_t>(wParam), 0};
      const auto found = ToList(s, LB_FINDSTRING, static_cast<WPARAM>(Selected(s)), reinterpret_cast<LPARAM>(c));
      if (found >= 0) Choose(h, s, static_cast<int>(found));
      return 0;
    }
    case WM_ENABLE:
      if (s->edit) EnableWindow(s->edit, wParam != 0);
      if (s->list && TypeOf(h) == CBS_SIMPLE) EnableWindow(s->list, wParam != 0);
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    default:
      return DefWindowProcW(h, msg, wParam, lParam);
  }
}

}  // namespace

namespace stdctl {
void RegisterComboBoxClasses() {
  RegisterComboListClass();
  RegisterControlClass(WC_COMBOBOX, ControlProc<ComboState, Paint, Handle>, IDC_ARROW);
}
}  // namespace stdctl
