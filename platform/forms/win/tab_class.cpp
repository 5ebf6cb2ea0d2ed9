// "SysTabControl32": a row of tabs above (TCS_BOTTOM: below; TCS_VERTICAL: left, with
// TCS_RIGHT right) a framed display area, or a row of buttons (TCS_BUTTONS). A click or an
// arrow key selects a tab after asking the parent (TCN_SELCHANGING) and tells it
// (TCN_SELCHANGE); selecting by message tells nobody. A row above or below that does not fit
// shows an up-down child ("msctls_updown32", UDS_HORZ) at its right end (the left end with
// WS_EX_LEFTSCROLLBAR), whose arrows scroll the row a tab at a time; a tab selected comes
// into view.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/forms/win/common_controls.h"
#include "platform/forms/win/control_util.h"
#include "platform/forms/win/tab_layout.h"
#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/rtl/strings.h"
#include "platform/user/default_proc.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/metrics.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

namespace {

using namespace stdctl;

struct TabItem {
  std::u16string text;
  int image = -1;
  LPARAM param = 0;
  DWORD state = 0;
};

struct TabState {
  HFONT font = nullptr;
  std::vector<TabItem> items;
  int current = -1;
  HIMAGELIST images = nullptr;
  bool focused = false;
  int first = 0;           // the tab at the row's start
  HWND arrows = nullptr;   // the up-down child, made when first needed
  bool dying = false;      // past WM_DESTROY: no child is made any more
};

DWORD StyleOf(HWND h) { return DWORD(GetWindowLongPtrW(h, GWL_STYLE)); }

TabSide SideOf(DWORD style) { return TabSideOfStyle(style); }

// The tabs' lengths along the strip, measured in the control's font.
TabGeometry Layout(HWND h, const TabState* s) {
  RECT client{};
  GetClientRect(h, &client);
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, FontOr(s->font));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  int iconW = 0, iconH = 0;
  if (s->images) ImageList_GetIconSize(s->images, &iconW, &iconH);
  std::vector<int> lengths;
  for (const TabItem& item : s->items) {
    SIZE size{};
    GetTextExtentPoint32W(dc, item.text.data(), int(item.text.size()), &size);
    const int icon = (s->images && item.image >= 0) ? iconW + 3 : 0;
    lengths.push_back(size.cx + icon + 2 * kTabPadding);
  }
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  TabScroll scroll;
  scroll.first = s->first;
  scroll.arrowsWidth = 2 * GetSystemMetrics(SM_CXHSCROLL);
  scroll.arrowsLeft = (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_LEFTSCROLLBAR) != 0;
  return LayTabs(client, SideOf(StyleOf(h)), std::max<int>(tm.tmHeight, iconH) + 6, lengths, scroll);
}

// After any change to the tabs, their font, the control's size or style: the arrows shown
// (made the first time) where the row does not fit and set to its scroll range, or hidden.
void Relayout(HWND h, TabState* s) {
  const TabGeometry g = Layout(h, s);
  s->first = g.first;
  if (g.arrows.right <= g.arrows.left) {
    if (IsWindow(s->arrows)) ShowWindow(s->arrows, SW_HIDE);
  } else {
    if (!IsWindow(s->arrows) && !s->dying)
      s->arrows = CreateWindowExW(0, UPDOWN_CLASS, u"", WS_CHILD | UDS_HORZ, 0, 0, 0, 0, h, nullptr, nullptr, nullptr);
    if (IsWindow(s->arrows)) {
      SendMessageW(s->arrows, UDM_SETRANGE32, 0, g.lastFirst);
      SendMessageW(s->arrows, UDM_SETPOS32, 0, g.first);
      SetWindowPos(s->arrows, HWND_TOP, g.arrows.left, g.arrows.top, g.arrows.right - g.arrows.left,
                   g.arrows.bottom - g.arrows.top, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
  }
  InvalidateRect(h, nullptr, FALSE);
}

void ScrollTo(HWND h, TabState* s, int first) {
  if (first == s->first) return;
  s->first = first;
  Relayout(h, s);
}

void ShowTab(HWND h, TabState* s, int index) { ScrollTo(h, s, TabFirstShowing(Layout(h, s), index)); }

void DrawTab(HDC dc, const TabState* s, const TabItem& item, RECT r, bool selected, bool buttons) {
  if (buttons) {
    RECT edge = r;
    DrawEdge(dc, &edge, selected ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_MIDDLE);
  } else {
    FillSolid(dc, r, GetSysColor(COLOR_BTNFACE));
    RECT edge = r;
    DrawEdge(dc, &edge, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT | BF_SOFT);
  }
  int x = r.left + kTabPadding;
  if (s->images && item.image >= 0) x += DrawItemImage(dc, s->images, item.image, x, r);
  RECT text{x, r.top, r.right - kTabPadding + 2, r.bottom};
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  DrawControlText(dc, item.text, text, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX, true);
  if (selected && s->focused) {
    RECT focus = r;
    InflateRect(focus, -3, -3);
    DrawFocusRect(dc, &focus);
  }
}

void Paint(HWND h, HDC dc, TabState* s) {
  RECT client{};
  GetClientRect(h, &client);
  const DWORD style = StyleOf(h);
  const bool buttons = (style & TCS_BUTTONS) != 0;
  const TabGeometry g = Layout(h, s);
  // The arrows stand over the row's end: nothing here paints over them.
  SaveDC(dc);
  if (IsWindow(s->arrows) && IsWindowVisible(s->arrows))
    ExcludeClipRect(dc, g.arrows.left, g.arrows.top, g.arrows.right, g.arrows.bottom);
  FillSolid(dc, client, GetSysColor(COLOR_BTNFACE));
  if (!buttons) {
    RECT pane = g.pane;
    DrawEdge(dc, &pane, EDGE_RAISED, BF_RECT | BF_SOFT);
  }
  HGDIOBJ old = SelectObject(dc, FontOr(s->font));
  for (size_t i = 0; i < s->items.size(); ++i)
    if (int(i) != s->current) DrawTab(dc, s, s->items[i], g.tabs[i], false, buttons);
  if (s->current >= 0 && size_t(s->current) < s->items.size()) {
    // The current tab stands out over its neighbours and joins the display area.
    RECT r = g.tabs[size_t(s->current)];
    if (!buttons) r = SelectedTabRect(r, SideOf(style));
    DrawTab(dc, s, s->items[size_t(s->current)], r, true, buttons);
  }
  SelectObject(dc, old);
  RestoreDC(dc, -1);
}

int HitTest(HWND h, const TabState* s, POINT p) {
  const TabGeometry g = Layout(h, s);
  if (IsWindow(s->arrows) && IsWindowVisible(s->arrows) && PtInRect(g.arrows, p)) return -1;
  for (size_t i = 0; i < g.tabs.size(); ++i)
    if (PtInRect(g.tabs[i], p)) return int(i);
  return -1;
}

// A user's choice: the parent may refuse it.
void Choose(HWND h, TabState* s, int index) {
  if (index < 0 || size_t(index) >= s->items.size() || index == s->current) return;
  NMHDR header;
  if (SendNotify(h, header, TCN_SELCHANGING)) return;
  s->current = index;
  InvalidateRect(h, nullptr, FALSE);
  ShowTab(h, s, index);
  SendNotify(h, header, TCN_SELCHANGE);
}

LRESULT Insert(HWND h, TabState* s, WPARAM at, const TabItem& item) {
  const size_t index = std::min<size_t>(at, s->items.size());
  s->items.insert(s->items.begin() + std::ptrdiff_t(index), item);
  if (s->current < 0)
    s->current = 0;
  else if (int(index) <= s->current)
    ++s->current;
  Relayout(h, s);
  return LRESULT(index);
}

template <class Item, class Char>
TabItem FromItem(const Item& in, const TabItem& base) {
  TabItem out = base;
  if ((in.mask & TCIF_TEXT) && in.pszText) out.text = ItemTextIn(in.pszText);
  if (in.mask & TCIF_IMAGE) out.image = in.iImage;
  if (in.mask & TCIF_PARAM) out.param = in.lParam;
  if (in.mask & TCIF_STATE) out.state = (out.state & ~in.dwStateMask) | (in.dwState & in.dwStateMask);
  return out;
}

template <class Item, class Char>
LRESULT GetItem(const TabState* s, WPARAM index, LPARAM lParam) {
  auto* out = reinterpret_cast<Item*>(lParam);
  if (!out || index >= s->items.size()) return FALSE;
  const TabItem& item = s->items[index];
  if (out->mask & TCIF_TEXT) ItemTextOut(item.text, out->pszText, out->cchTextMax);
  if (out->mask & TCIF_IMAGE) out->iImage = item.image;
  if (out->mask & TCIF_PARAM) out->lParam = item.param;
  if (out->mask & TCIF_STATE) out->dwState = item.state & out->dwStateMask;
  return TRUE;
}

template <class Item, class Char>
LRESULT SetItem(HWND h, TabState* s, WPARAM index, LPARAM lParam) {
  const auto* in = reinterpret_cast<const Item*>(lParam);
  if (!in || index >= s->items.size()) return FALSE;
  s->items[index] = FromItem<Item, Char>(*in, s->items[index]);
  Relayout(h, s);
  return TRUE;
}

LRESULT Delete(HWND h, TabState* s, WPARAM index) {
  if (index >= s->items.size()) return FALSE;
  s->items.erase(s->items.begin() + std::ptrdiff_t(index));
  if (int(index) == s->current)
    s->current = -1;
  else if (int(index) < s->current)
    --s->current;
  Relayout(h, s);
  return TRUE;
}

LRESULT KeyDown(HWND h, TabState* s, WPARAM key) {
  if (key == VK_LEFT || key == VK_UP) Choose(h, s, s->current - 1);
  if (key == VK_RIGHT || key == VK_DOWN) Choose(h, s, s->current + 1);
  return 0;
}

LRESULT Handle(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, TabState* s) {
  switch (msg) {
    case TCM_GETITEMCOUNT: return LRESULT(s->items.size());
    case TCM_INSERTITEMW:
      return lParam ? Insert(h, s, wParam, FromItem<TCITEMW, char16_t>(*reinterpret_cast<TCITEMW*>(lParam), {})) : -1;
    case TCM_INSERTITEMA:
      return lParam ? Insert(h, s, wParam, FromItem<TCITEMA, char>(*reinterpret_cast<TCITEMA*>(lParam), {})) : -1;
    case TCM_GETITEMW: return GetItem<TCITEMW, char16_t>(s, wParam, lParam);
    case TCM_GETITEMA: return GetItem<TCITEMA, char>(s, wParam, lParam);
    case TCM_SETITEMW: return SetItem<TCITEMW, char16_t>(h, s, wParam, lParam);
    case TCM_SETITEMA: return SetItem<TCITEMA, char>(h, s, wParam, lParam);
    case TCM_DELETEITEM: return Delete(h, s, wParam);
    case TCM_DELETEALLITEMS:
      s->items.clear();
      s->current = -1;
      Relayout(h, s);
      return TRUE;
    case TCM_GETITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      if (!r || wParam >= s->items.size()) return FALSE;
      *r = Layout(h, s).tabs[wParam];
      return TRUE;
    }
    case TCM_GETCURSEL:
    case TCM_GETCURFOCUS: return s->current;
    case TCM_SETCURSEL: {
      const int old = s->current;
      if (wParam >= s->items.size()) return -1;
      s->current = int(wParam);
      InvalidateRect(h, nullptr, FALSE);
      ShowTab(h, s, s->current);
      return old;
    }
    case TCM_SETCURFOCUS: Choose(h, s, int(wParam)); return 0;
    case TCM_HITTEST: {
      auto* info = reinterpret_cast<TCHITTESTINFO*>(lParam);
      if (!info) return -1;
      const int hit = HitTest(h, s, info->pt);
      info->flags = hit < 0 ? TCHT_NOWHERE : TCHT_ONITEM;
      return hit;
    }
    case TCM_ADJUSTRECT: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      if (r) *r = AdjustTabRect(*r, SideOf(StyleOf(h)), Layout(h, s).strip, wParam != 0);
      return 0;
    }
    case TCM_GETROWCOUNT: return 1;
    case TCM_GETIMAGELIST: return reinterpret_cast<LRESULT>(s->images);
    case TCM_SETIMAGELIST: {
      const LRESULT old = SwapImageList(h, s->images, lParam);
      Relayout(h, s);
      return old;
    }
    case WM_SETFONT: {
      const LRESULT result = SetFontAndRedraw(h, s->font, wParam, lParam);
      Relayout(h, s);
      return result;
    }
    case WM_HSCROLL:
      if (HWND(lParam) == s->arrows && LOWORD(wParam) == SB_THUMBPOSITION) ScrollTo(h, s, short(HIWORD(wParam)));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const int hit = HitTest(h, s, POINT{short(LOWORD(lParam)), short(HIWORD(lParam))});
      if (!(StyleOf(h) & TCS_FOCUSNEVER) && GetFocus() != h) SetFocus(h);
      Choose(h, s, hit);
      return 0;
    }
    case WM_KEYDOWN: return KeyDown(h, s, wParam);
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      s->focused = msg == WM_SETFOCUS;
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_SIZE:
    case WM_STYLECHANGED: Relayout(h, s); return 0;
    case WM_DESTROY: s->dying = true; return DefWindowProcW(h, msg, wParam, lParam);
    default: return DefWindowProcW(h, msg, wParam, lParam);
  }
}

}  // namespace

namespace stdctl {
void RegisterTabClass() { RegisterControlClass(WC_TABCONTROL, ControlProc<TabState, Paint, Handle>, IDC_ARROW); }
}  // namespace stdctl
