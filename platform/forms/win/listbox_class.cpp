// "ListBox": a single-selection list of strings with item data, optionally sorted (LBS_SORT),
// with a vertical scroll bar (WS_VSCROLL) shown while there are more rows than fit (greyed
// instead of hidden with LBS_DISABLENOSCROLL) and, with WS_HSCROLL, a horizontal one over the
// extent LB_SETHORIZONTALEXTENT gives, keyboard selection (arrows, page keys, Home, End,
// first letters) and LBN_SELCHANGE / LBN_DBLCLK notifications (LBS_NOTIFY).
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/forms/win/control_util.h"
#include "platform/forms/win/std_controls.h"
#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/rtl/strings.h"
#include "platform/user/default_proc.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/scroll.h"
#include "platform/user/scroll_request.h"
#include "platform/user/window.h"

namespace {

using namespace stdctl;

// Bounds the list so that a hostile count cannot exhaust memory through the messages.
constexpr size_t kMaxItems = 1 << 20;

struct Item {
  std::u16string text;
  LPARAM data = 0;
};

struct ListState {
  std::vector<Item> items;
  int selected = -1;
  int top = 0;
  HFONT font = nullptr;
  bool focused = false;
  // The vertical bar: wanted by the style at creation (the style bit goes while it is hidden).
  bool wantsVert = false;
  // The horizontal bar: wanted by the style at creation, shown while the extent set by
  // LB_SETHORIZONTALEXTENT is wider than the list; `left` pixels scrolled.
  bool wantsHorz = false;
  int extent = 0, left = 0;
};

DWORD Style(HWND h) { return static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE)); }

int ItemHeight(HWND h, const ListState* s) { return std::max<int>(MeasureFont(h, s->font).tmHeight, 8); }

int VisibleRows(HWND h, const ListState* s) {
  RECT r;
  GetClientRect(h, &r);
  return std::max(1, r.Height() / ItemHeight(h, s));
}

int Count(const ListState* s) { return static_cast<int>(s->items.size()); }

void UpdateScrollBar(HWND h, ListState* s) {
  if (!s->wantsVert) return;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | ((Style(h) & LBS_DISABLENOSCROLL) ? SIF_DISABLENOSCROLL : 0);
  si.nMin = 0;
  si.nMax = std::max(0, Count(s) - 1);
  si.nPage = static_cast<UINT>(VisibleRows(h, s));
  si.nPos = s->top;
  SetScrollInfo(h, SB_VERT, &si, TRUE);
}

void UpdateHorzBar(HWND h, ListState* s) {
  if (!s->wantsHorz) return;
  RECT r;
  GetClientRect(h, &r);
  const bool show = s->extent > r.Width();
  ShowScrollBar(h, SB_HORZ, show);
  GetClientRect(h, &r);
  s->left = show ? std::clamp(s->left, 0, std::max(0, s->extent - r.Width())) : 0;
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, s->extent - 1), static_cast<UINT>(r.Width()),
                s->left, 0};
  if (show) SetScrollInfo(h, SB_HORZ, &si, TRUE);
}

void HorzScroll(HWND h, ListState* s, WORD code) {
  RECT r;
  GetClientRect(h, &r);
  const std::optional<int> left =
      ScrollTarget(code, s->left, kScrollLinePixels, r.Width(), TrackPosOf(h, SB_HORZ), 0, s->extent - r.Width());
  if (!left) return;
  s->left = *left;
  UpdateHorzBar(h, s);
  InvalidateRect(h, nullptr, FALSE);
}

void SetTop(HWND h, ListState* s, int top) {
  int maxTop = std::max(0, Count(s) - VisibleRows(h, s));
  top = std::clamp(top, 0, maxTop);
  if (top != s->top) {
    s->top = top;
    InvalidateRect(h, nullptr, FALSE);
  }
  UpdateScrollBar(h, s);
}

void EnsureVisible(HWND h, ListState* s, int index) {
  if (index < 0) return;
  int rows = VisibleRows(h, s);
  if (index < s->top) {
    SetTop(h, s, index);
  } else if (index >= s->top + rows) {
    SetTop(h, s, index - rows + 1);
  }
}

void Select(HWND h, ListState* s, int index, bool notify) {
  if (Count(s) == 0) index = -1;
  if (index >= Count(s)) index = Count(s) - 1;
  if (index < -1) index = -1;
  if (index == s->selected) {
    EnsureVisible(h, s, index);
    return;
  }
  s->selected = index;
  EnsureVisible(h, s, index);
  InvalidateRect(h, nullptr, FALSE);
  if (notify && (Style(h) & LBS_NOTIFY)) NotifyParent(h, LBN_SELCHANGE);
}

int CompareNoCase(const std::u16string& a, const std::u16string& b) {
  std::u16string x = UpperCaseWide(a), y = UpperCaseWide(b);
  return x < y ? -1 : (x == y ? 0 : 1);
}

LRESULT Insert(HWND h, ListState* s, int index, const char16_t* text) {
  if (s->items.size() >= kMaxItems) return LB_ERRSPACE;
  Item item{text ? text : u"", 0};
  if (index < 0 || index > Count(s)) index = Count(s);
  s->items.insert(s->items.begin() + index, std::move(item));
  if (s->selected >= index) ++s->selected;
  UpdateScrollBar(h, s);
  InvalidateRect(h, nullptr, FALSE);
  return index;
}

LRESULT Add(HWND h, ListState* s, const char16_t* text) {
  int index = Count(s);
  if (Style(h) & LBS_SORT) {
    std::u16string t = text ? text : u"";
    auto it = std::upper_bound(s->items.begin(), s->items.end(), t,
                               [](const std::u16string& v, const Item& e) { return CompareNoCase(v, e.text) < 0; });
    index = static_cast<int>(it - s->items.begin());
  }
  return Insert(h, s, index, text);
}

int Find(const ListState* s, int after, const char16_t* text, bool exact) {
  if (!text || s->items.empty()) return -1;
  std::u16string key = UpperCaseWide(text);
  int n = Count(s);
  int start = (after < -1 || after >= n) ? 0 : after + 1;
  for (int k = 0; k < n; ++k) {
    int i = (start + k) % n;
    std::u16string t = UpperCaseWide(s->items[static_cast<size_t>(i)].text);
    if (exact ? t == key : t.compare(0, key.size(), key) == 0) return i;
  }
  return -1;
}

void Paint(HWND h, HDC dc, ListState* s) {
  RECT r;
  GetClientRect(h, &r);
  HBRUSH bg = ControlBrush(h, dc, WM_CTLCOLORLISTBOX);
  FillRect(dc, &r, bg);
  COLORREF textColor = IsWindowEnabled(h) ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
  HGDIOBJ old = SelectObject(dc, FontOr(s->font));
  SetBkMode(dc, TRANSPARENT);
  int ih = ItemHeight(h, s);
  for (int i = s->top; i < Count(s); ++i) {
    int y = (i - s->top) * ih;
    if (y >= r.bottom) break;
    RECT row{r.left, y, r.right, y + ih};
    bool sel = i == s->selected;
    if (sel) FillRect(dc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(dc, sel ? GetSysColor(COLOR_HIGHLIGHTTEXT) : textColor);
    RECT textRect = row;
    textRect.left += 2 - s->left;
    const std::u16string& t = s->items[static_cast<size_t>(i)].text;
    DrawTextW(dc, t.c_str(), static_cast<int>(t.size()), &textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (sel && s->focused) DrawFocusRect(dc, &row);
  }
  SelectObject(dc, old);
}

void KeyDown(HWND h, ListState* s, WPARAM key) {
  int n = Count(s);
  if (n == 0) return;
  int rows = VisibleRows(h, s);
  int cur = s->selected;
  int next = cur;
  switch (key) {
    case VK_UP: next = cur < 0 ? 0 : cur - 1; break;
    case VK_DOWN: next = cur < 0 ? 0 : cur + 1; break;
    case VK_PRIOR: next = cur - rows + 1; break;
    case VK_NEXT: next = cur + rows - 1; break;
    case VK_HOME: next = 0; break;
    case VK_END: next = n - 1; break;
    default: return;
  }
  Select(h, s, std::clamp(next, 0, n - 1), true);
}

LRESULT Handle(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, ListState* s) {
  auto index = static_cast<int>(static_cast<std::intptr_t>(wParam));
  bool valid = index >= 0 && index < Count(s);
  switch (msg) {
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      UpdateScrollBar(h, s);
      if (LOWORD(static_cast<std::uintptr_t>(lParam))) InvalidateRect(h, nullptr, FALSE);
      return 0;
    case LB_ADDSTRING:
      return Add(h, s, reinterpret_cast<const char16_t*>(lParam));
    case LB_INSERTSTRING:
      return Insert(h, s, index, reinterpret_cast<const char16_t*>(lParam));
    case LB_DELETESTRING:
      if (!valid) return LB_ERR;
      s->items.erase(s->items.begin() + index);
      if (s->selected == index) {
        s->selected = -1;
      } else if (s->selected > index) {
        --s->selected;
      }
      SetTop(h, s, s->top);
      InvalidateRect(h, nullptr, FALSE);
      return Count(s);
    case LB_RESETCONTENT:
      s->items.clear();
      s->selected = -1;
      s->top = 0;
      UpdateScrollBar(h, s);
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case LB_SETCURSEL:
      if (index != -1 && !valid) {
        Select(h, s, -1, false);
        return LB_ERR;
      }
      Select(h, s, index, false);
      return index == -1 ? LB_ERR : index;
    case LB_GETCURSEL:
      return s->selected;
    case LB_GETTEXT: {
      if (!valid || !lParam) return LB_ERR;
      const std::u16string& t = s->items[static_cast<size_t>(index)].text;
      std::memcpy(reinterpret_cast<char16_t*>(lParam), t.c_str(), (t.size() + 1) * sizeof(char16_t));
      return static_cast<LRESULT>(t.size());
    }
    case LB_GETTEXTLEN:
      return valid ? static_cast<LRESULT>(s->items[static_cast<size_t>(index)].text.size()) : LB_ERR;
    case LB_GETCOUNT:
      return Count(s);
    case LB_GETTOPINDEX:
      return s->top;
    case LB_SETTOPINDEX:
      if (!valid && index != 0) return LB_ERR;
      SetTop(h, s, index);
      return 0;
    case LB_FINDSTRING:
      return Find(s, index, reinterpret_cast<const char16_t*>(lParam), false);
    case LB_FINDSTRINGEXACT:
      return Find(s, index, reinterpret_cast<const char16_t*>(lParam), true);
    case LB_GETITEMDATA:
      return valid ? s->items[static_cast<size_t>(index)].data : LB_ERR;
    case LB_SETITEMDATA:
      if (!valid) return LB_ERR;
      s->items[static_cast<size_t>(index)].data = lParam;
      return 0;
    case LB_GETITEMHEIGHT:
      return ItemHeight(h, s);
    case LB_GETITEMRECT: {
      if (!valid || !lParam) return LB_ERR;
      RECT r;
      GetClientRect(h, &r);
      int ih = ItemHeight(h, s);
      *reinterpret_cast<RECT*>(lParam) = RECT{r.left, (index - s->top) * ih, r.right, (index - s->top + 1) * ih};
      return 0;
    }
    case WM_KEYDOWN:
      KeyDown(h, s, wParam);
      return 0;
    case WM_CHAR: {
      if (wParam <= u' ') return 0;
      char16_t c[2] = {static_cast<char16_t>(wParam), 0};
      int found = Find(s, s->selected, c, false);
      if (found >= 0) Select(h, s, found, true);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (GetFocus() != h) SetFocus(h);
      int row = GET_Y_LPARAM(lParam) / ItemHeight(h, s) + s->top;
      if (row >= 0 && row < Count(s)) {
        Select(h, s, row, true);
        if (msg == WM_LBUTTONDBLCLK && (Style(h) & LBS_NOTIFY)) NotifyParent(h, LBN_DBLCLK);
      }
      return 0;
    }
    case WM_MOUSEWHEEL: {
      int delta = static_cast<int16_t>(HIWORD(wParam));
      SetTop(h, s, s->top - delta / WHEEL_DELTA * 3);
      return 0;
    }
    case WM_VSCROLL: {
      // The thumb from the request: the list's own thumb drag under a skin sends it there.
      const std::optional<int> top =
          ScrollTarget(LOWORD(wParam), s->top, 1, VisibleRows(h, s), HIWORD(wParam), 0, Count(s));
      if (top) SetTop(h, s, *top);
      return 0;
    }
    case WM_SIZE:
      UpdateHorzBar(h, s);
      SetTop(h, s, s->top);
      return 0;
    case WM_CREATE:
      s->wantsVert = (Style(h) & WS_VSCROLL) != 0;
      s->wantsHorz = (Style(h) & WS_HSCROLL) != 0;
      UpdateScrollBar(h, s);
      UpdateHorzBar(h, s);
      return 0;
    case LB_SETHORIZONTALEXTENT:
      s->extent = std::max(0, static_cast<int>(wParam));
      UpdateHorzBar(h, s);
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case LB_GETHORIZONTALEXTENT:
      return s->extent;
    case WM_HSCROLL:
      HorzScroll(h, s, LOWORD(wParam));
      return 0;
    case WM_SETFOCUS:
      s->focused = true;
      InvalidateRect(h, nullptr, FALSE);
      if (Style(h) & LBS_NOTIFY) NotifyParent(h, LBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      s->focused = false;
      InvalidateRect(h, nullptr, FALSE);
      if (Style(h) & LBS_NOTIFY) NotifyParent(h, LBN_KILLFOCUS);
      return 0;
    case WM_ENABLE:
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    default:
      return DefWindowProcW(h, msg, wParam, lParam);
  }
}

}  // namespace

namespace stdctl {
LRESULT ListBoxProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ControlProc<ListState, Paint, Handle>(h, msg, wParam, lParam);
}
void RegisterListBoxClass() { RegisterControlClass(WC_LISTBOX, ListBoxProc, IDC_ARROW); }
}  // namespace stdctl
