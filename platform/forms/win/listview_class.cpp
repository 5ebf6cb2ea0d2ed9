// "SysListView32": items with sub-items, shown as a report (LVS_REPORT: a row per item, a
// column per sub-item under a row of column captions) or as a list (LVS_LIST: item captions
// running down and then across in columns of equal width). Scroll bars come and go with the
// content: rows and pixels in a report, columns in a list. A press or the keyboard selects one
// item and keeps it in view.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/forms/win/common_controls.h"
#include "platform/forms/win/control_util.h"
#include "platform/forms/win/std_controls.h"
#include "platform/gdi/colors.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/scroll.h"
#include "platform/user/scroll_request.h"
#include "platform/user/window.h"

namespace {

using namespace stdctl;

// Bounds what the messages can make the control hold.
constexpr size_t kMaxItems = 1 << 20, kMaxColumns = 256;

struct Column {
  std::u16string text;
  int width = 50;
  int fmt = LVCFMT_LEFT;
};

struct Item {
  std::vector<std::u16string> texts;  // the caption, then the sub-items
  UINT state = 0;
  LPARAM data = 0;
};

struct ListViewState {
  std::vector<Column> columns;
  std::vector<Item> items;
  HFONT font = nullptr;
  HWND header = nullptr;
  int top = 0;       // report: the first row shown; list: the first column shown
  int hpos = 0;      // report: pixels scrolled to the left
  int listWidth = 0;  // a list's column width (0: from the widest caption)
  bool focused = false;
  bool updating = false;  // scroll bars being shown or hidden
};

DWORD Style(HWND h) { return static_cast<DWORD>(GetWindowLongPtrW(h, GWL_STYLE)); }
bool Report(HWND h) { return (Style(h) & LVS_TYPEMASK) == LVS_REPORT; }
int Count(const ListViewState* s) { return static_cast<int>(s->items.size()); }
int RowHeight(HWND h, const ListViewState* s) { return std::max<int>(MeasureFont(h, s->font).tmHeight + 4, 8); }
int HeaderHeight(HWND h, const ListViewState* s) {
  if (!Report(h) || (Style(h) & LVS_NOCOLUMNHEADER)) return 0;
  return MeasureFont(h, s->font).tmHeight + 8;
}
RECT Client(HWND h) {
  RECT r{};
  GetClientRect(h, &r);
  return r;
}
int TotalWidth(const ListViewState* s) {
  int w = 0;
  for (const Column& c : s->columns) w += c.width;
  return w;
}

int ListColumnWidth(HWND h, ListViewState* s) {
  if (s->listWidth > 0) return s->listWidth;
  HDC dc = GetDC(h);
  HGDIOBJ old = SelectObject(dc, FontOr(s->font));
  int widest = 0;
  for (const Item& it : s->items) {
    SIZE size{};
    const std::u16string& t = it.texts.empty() ? std::u16string() : it.texts[0];
    GetTextExtentPoint32W(dc, t.c_str(), static_cast<int>(t.size()), &size);
    widest = std::max<int>(widest, size.cx);
  }
  SelectObject(dc, old);
  ReleaseDC(h, dc);
  return std::max(widest + 16, 40);
}

// Report: rows in view; list: rows of a column.
int Rows(HWND h, ListViewState* s) {
  const RECT c = Client(h);
  return std::max(1, (c.bottom - HeaderHeight(h, s)) / RowHeight(h, s));
}
int ListColumns(HWND h, ListViewState* s) { return (Count(s) + Rows(h, s) - 1) / Rows(h, s); }
int VisibleColumns(HWND h, ListViewState* s) { return std::max(1, Client(h).right / ListColumnWidth(h, s)); }

// The furthest the view can go: report rows, list columns.
int MaxTop(HWND h, ListViewState* s) {
  return Report(h) ? std::max(0, Count(s) - Rows(h, s)) : std::max(0, ListColumns(h, s) - VisibleColumns(h, s));
}

void SetBar(HWND h, int bar, int max, int page, int pos) {
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, max), static_cast<UINT>(page), pos, 0};
  SetScrollInfo(h, bar, &si, TRUE);
}

// Shows the bars the content needs (showing one shrinks the client, so twice) and sets them.
void UpdateBars(HWND h, ListViewState* s) {
  if (s->updating) return;
  s->updating = true;
  for (int round = 0; round < 2; ++round) {
    const RECT c = Client(h);
    const bool report = Report(h);
    const bool vert = report && Count(s) > Rows(h, s);
    const bool horz = report ? TotalWidth(s) > c.right : ListColumns(h, s) > VisibleColumns(h, s);
    ShowScrollBar(h, SB_VERT, vert);
    ShowScrollBar(h, SB_HORZ, horz);
  }
  s->top = std::clamp(s->top, 0, MaxTop(h, s));
  const RECT c = Client(h);
  s->hpos = Report(h) ? std::clamp(s->hpos, 0, std::max(0, TotalWidth(s) - c.right)) : 0;
  if (Report(h)) {
    SetBar(h, SB_VERT, Count(s) - 1, Rows(h, s), s->top);
    SetBar(h, SB_HORZ, TotalWidth(s) - 1, c.right, s->hpos);
  } else {
    SetBar(h, SB_HORZ, ListColumns(h, s) - 1, VisibleColumns(h, s), s->top);
  }
  if (s->header) MoveWindow(s->header, -s->hpos, 0, std::max<int>(TotalWidth(s), c.right) + s->hpos,
                            HeaderHeight(h, s), TRUE);
  s->updating = false;
}

void MakeHeader(HWND h, ListViewState* s) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!Report(h) || (Style(h) & LVS_NOCOLUMNHEADER) || !GetClassInfoExW(GetModuleHandleW(nullptr), WC_HEADER, &wc))
    return;
  s->header = CreateWindowExW(0, WC_HEADER, u"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, h, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
}

// The header's items follow the columns.
void SyncHeader(ListViewState* s) {
  if (!s->header) return;
  while (SendMessageW(s->header, HDM_DELETEITEM, 0, 0)) {
  }
  for (size_t i = 0; i < s->columns.size(); ++i) {
    Column& c = s->columns[i];
    HDITEMW item;
    item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT;
    item.cxy = c.width;
    item.pszText = c.text.data();
    item.cchTextMax = static_cast<int>(c.text.size());
    item.fmt = c.fmt | HDF_STRING;
    SendMessageW(s->header, HDM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
}

void Changed(HWND h, ListViewState* s) {
  UpdateBars(h, s);
  InvalidateRect(h, nullptr, FALSE);
}

RECT ItemRect(HWND h, ListViewState* s, int i) {
  const int rh = RowHeight(h, s);
  if (Report(h)) {
    const int y = HeaderHeight(h, s) + (i - s->top) * rh;
    return RECT{-s->hpos, y, -s->hpos + TotalWidth(s), y + rh};
  }
  const int rows = Rows(h, s), cw = ListColumnWidth(h, s);
  const int x = (i / rows - s->top) * cw, y = (i % rows) * rh;
  return RECT{x, y, x + cw, y + rh};
}

int HitTest(HWND h, ListViewState* s, POINT p) {
  for (int i = 0; i < Count(s); ++i) {
    RECT r = ItemRect(h, s, i);
    if (Report(h)) r.right = std::max<int>(r.right, Client(h).right);
    if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom && p.y >= HeaderHeight(h, s)) return i;
  }
  return -1;
}

void EnsureVisible(HWND h, ListViewState* s, int i) {
  if (i < 0 || i >= Count(s)) return;
  const int rows = Rows(h, s);
  int at = Report(h) ? i : i / rows;
  const int span = Report(h) ? rows : VisibleColumns(h, s);
  if (at < s->top) s->top = at;
  if (at >= s->top + span) s->top = at - span + 1;
  Changed(h, s);
}

void Select(HWND h, ListViewState* s, int index) {
  if (Count(s) == 0) return;
  index = std::clamp(index, 0, Count(s) - 1);
  for (int i = 0; i < Count(s); ++i) s->items[size_t(i)].state &= ~(LVIS_SELECTED | LVIS_FOCUSED);
  s->items[size_t(index)].state |= LVIS_SELECTED | LVIS_FOCUSED;
  EnsureVisible(h, s, index);
  InvalidateRect(h, nullptr, FALSE);
}

int Focused(const ListViewState* s) {
  for (int i = 0; i < Count(s); ++i)
    if (s->items[size_t(i)].state & LVIS_FOCUSED) return i;
  return -1;
}

const std::u16string& TextOf(const Item& it, int sub) {
  static const std::u16string empty;
  return sub >= 0 && size_t(sub) < it.texts.size() ? it.texts[size_t(sub)] : empty;
}

void PaintCell(HDC dc, const std::u16string& text, RECT r, int fmt) {
  r.left += 4;
  r.right -= 4;
  const UINT align = fmt == LVCFMT_RIGHT ? DT_RIGHT : fmt == LVCFMT_CENTER ? DT_CENTER : DT_LEFT;
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void PaintCaptions(HWND h, HDC dc, ListViewState* s) {
  const int hh = HeaderHeight(h, s);
  if (hh == 0 || s->header) return;
  int x = -s->hpos;
  for (const Column& c : s->columns) {
    RECT cell{x, 0, x + c.width, hh};
    FillRect(dc, &cell, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &cell, EDGE_RAISED, BF_RECT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    PaintCell(dc, c.text, cell, c.fmt);
    x += c.width;
  }
}

void Paint(HWND h, HDC dc, ListViewState* s) {
  const RECT c = Client(h);
  const bool enabled = IsWindowEnabled(h);
  FillRect(dc, &c, GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
  HGDIOBJ old = SelectObject(dc, FontOr(s->font));
  SetBkMode(dc, TRANSPARENT);
  const bool report = Report(h);
  const int hh = HeaderHeight(h, s);
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, 0, hh, c.right, c.bottom);
  for (int i = 0; i < Count(s); ++i) {
    const RECT r = ItemRect(h, s, i);
    if (r.bottom <= hh || r.top >= c.bottom || r.right <= 0 || r.left >= c.right) continue;
    const Item& it = s->items[size_t(i)];
    const bool selected = (it.state & LVIS_SELECTED) && (s->focused || (Style(h) & LVS_SHOWSELALWAYS));
    RECT label = r;
    if (report && !s->columns.empty()) label.right = label.left + s->columns[0].width;
    if (selected) FillRect(dc, &label, GetSysColorBrush(s->focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
    const COLORREF ink = GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
    int x = r.left;
    const size_t cols = report ? s->columns.size() : 1;
    for (size_t k = 0; k < cols; ++k) {
      const int width = report ? s->columns[k].width : r.right - r.left;
      SetTextColor(dc, k == 0 && selected && s->focused ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ink);
      PaintCell(dc, TextOf(it, int(k)), RECT{x, r.top, x + width, r.bottom}, report ? s->columns[k].fmt : LVCFMT_LEFT);
      x += width;
    }
    if ((it.state & LVIS_FOCUSED) && s->focused) DrawFocusRect(dc, &label);
  }
  RestoreDC(dc, saved);
  PaintCaptions(h, dc, s);
  SelectObject(dc, old);
}

void Scroll(HWND h, ListViewState* s, bool vertical, WORD code, int thumb) {
  const bool report = Report(h);
  const bool byPixels = report && !vertical;
  int& pos = byPixels ? s->hpos : s->top;
  const int page = byPixels ? Client(h).right : report ? Rows(h, s) : VisibleColumns(h, s);
  const int line = byPixels ? kScrollLinePixels : 1;
  const int last = byPixels ? std::max(0, TotalWidth(s) - Client(h).right) : MaxTop(h, s);
  const std::optional<int> to = ScrollTarget(code, pos, line, page, thumb, 0, last);
  if (!to) return;
  pos = *to;
  Changed(h, s);
}

void KeyDown(HWND h, ListViewState* s, WPARAM key) {
  if (Count(s) == 0) return;
  const int cur = std::max(0, Focused(s));
  const int rows = Rows(h, s);
  const bool report = Report(h);
  const int page = report ? rows : rows * VisibleColumns(h, s);
  switch (key) {
    case VK_UP: Select(h, s, cur - 1); break;
    case VK_DOWN: Select(h, s, Focused(s) < 0 ? 0 : cur + 1); break;
    case VK_LEFT: if (!report) Select(h, s, cur - rows); break;
    case VK_RIGHT: if (!report) Select(h, s, cur + rows); break;
    case VK_PRIOR: Select(h, s, cur - page + 1); break;
    case VK_NEXT: Select(h, s, cur + page - 1); break;
    case VK_HOME: Select(h, s, 0); break;
    case VK_END: Select(h, s, Count(s) - 1); break;
    default: break;
  }
}

LRESULT InsertItem(HWND h, ListViewState* s, const LVITEMW* in) {
  if (!in || s->items.size() >= kMaxItems) return -1;
  Item it;
  it.texts.emplace_back((in->mask & LVIF_TEXT) && in->pszText ? in->pszText : u"");
  if (in->mask & LVIF_PARAM) it.data = in->lParam;
  if (in->mask & LVIF_STATE) it.state = in->state & in->stateMask;
  const int at = std::clamp(in->iItem, 0, Count(s));
  s->items.insert(s->items.begin() + at, std::move(it));
  Changed(h, s);
  return at;
}

LRESULT SetText(HWND h, ListViewState* s, int index, const LVITEMW* in) {
  if (!in || index < 0 || index >= Count(s) || in->iSubItem < 0 || size_t(in->iSubItem) >= kMaxColumns) return FALSE;
  Item& it = s->items[size_t(index)];
  if (it.texts.size() <= size_t(in->iSubItem)) it.texts.resize(size_t(in->iSubItem) + 1);
  it.texts[size_t(in->iSubItem)] = in->pszText ? in->pszText : u"";
  Changed(h, s);
  return TRUE;
}

LRESULT GetText(ListViewState* s, int index, LVITEMW* out) {
  if (!out || index < 0 || index >= Count(s) || !out->pszText || out->cchTextMax <= 0) return 0;
  const std::u16string& t = TextOf(s->items[size_t(index)], out->iSubItem);
  const size_t n = std::min<size_t>(t.size(), size_t(out->cchTextMax) - 1);
  std::copy_n(t.data(), n, out->pszText);
  out->pszText[n] = 0;
  return static_cast<LRESULT>(n);
}

LRESULT SetState(HWND h, ListViewState* s, int index, const LVITEMW* in) {
  if (!in || index < -1 || index >= Count(s)) return FALSE;
  const bool single = (Style(h) & LVS_SINGLESEL) != 0;
  const bool selecting = (in->stateMask & LVIS_SELECTED) && (in->state & LVIS_SELECTED);
  for (int i = 0; i < Count(s); ++i) {
    Item& it = s->items[size_t(i)];
    if (i == index || index == -1) {
      it.state = (it.state & ~in->stateMask) | (in->state & in->stateMask);
    } else if (single && selecting) {
      it.state &= ~LVIS_SELECTED;
    }
  }
  InvalidateRect(h, nullptr, FALSE);
  return TRUE;
}

LRESULT NextItem(ListViewState* s, int start, LPARAM flags) {
  for (int i = std::max(start + 1, 0); i < Count(s); ++i) {
    const UINT st = s->items[size_t(i)].state;
    if ((flags & LVNI_SELECTED) && !(st & LVIS_SELECTED)) continue;
    if ((flags & LVNI_FOCUSED) && !(st & LVIS_FOCUSED)) continue;
    return i;
  }
  return -1;
}

LRESULT Handle(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, ListViewState* s) {
  const int index = static_cast<int>(static_cast<intptr_t>(wParam));
  switch (msg) {
    case LVM_INSERTCOLUMNW: {
      const auto* in = reinterpret_cast<const LVCOLUMNW*>(lParam);
      if (!in || s->columns.size() >= kMaxColumns) return -1;
      Column c;
      if ((in->mask & LVCF_TEXT) && in->pszText) c.text = in->pszText;
      if (in->mask & LVCF_WIDTH) c.width = std::max(0, in->cx);
      if (in->mask & LVCF_FMT) c.fmt = in->fmt;
      const int at = std::clamp(index, 0, static_cast<int>(s->columns.size()));
      s->columns.insert(s->columns.begin() + at, std::move(c));
      SyncHeader(s);
      Changed(h, s);
      return at;
    }
    case LVM_DELETECOLUMN:
      if (index < 0 || size_t(index) >= s->columns.size()) return FALSE;
      s->columns.erase(s->columns.begin() + index);
      SyncHeader(s);
      Changed(h, s);
      return TRUE;
    case LVM_GETCOLUMNWIDTH:
      if (!Report(h)) return ListColumnWidth(h, s);
      return index >= 0 && size_t(index) < s->columns.size() ? s->columns[size_t(index)].width : 0;
    case LVM_SETCOLUMNWIDTH:
      if (!Report(h)) {
        s->listWidth = std::max(0, static_cast<int>(static_cast<int16_t>(LOWORD(lParam))));
      } else if (index >= 0 && size_t(index) < s->columns.size()) {
        s->columns[size_t(index)].width = std::max(0, static_cast<int>(static_cast<int16_t>(LOWORD(lParam))));
        SyncHeader(s);
      } else {
        return FALSE;
      }
      Changed(h, s);
      return TRUE;
    case LVM_GETHEADER:
      return reinterpret_cast<LRESULT>(s->header);
    case LVM_INSERTITEMW:
      return InsertItem(h, s, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_SETITEMW: {
      const auto* in = reinterpret_cast<const LVITEMW*>(lParam);
      if (!in || in->iItem < 0 || in->iItem >= Count(s)) return FALSE;
      if (in->mask & LVIF_TEXT) SetText(h, s, in->iItem, in);
      if (in->mask & LVIF_PARAM) s->items[size_t(in->iItem)].data = in->lParam;
      if (in->mask & LVIF_STATE) SetState(h, s, in->iItem, in);
      return TRUE;
    }
    case LVM_SETITEMTEXTW:
      return SetText(h, s, index, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_GETITEMTEXTW:
      return GetText(s, index, reinterpret_cast<LVITEMW*>(lParam));
    case LVM_DELETEITEM:
      if (index < 0 || index >= Count(s)) return FALSE;
      s->items.erase(s->items.begin() + index);
      Changed(h, s);
      return TRUE;
    case LVM_DELETEALLITEMS:
      s->items.clear();
      s->top = 0;
      Changed(h, s);
      return TRUE;
    case LVM_GETITEMCOUNT:
      return Count(s);
    case LVM_GETNEXTITEM:
      return NextItem(s, index, lParam);
    case LVM_SETITEMSTATE:
      return SetState(h, s, index, reinterpret_cast<const LVITEMW*>(lParam));
    case LVM_GETITEMSTATE:
      return index >= 0 && index < Count(s) ? LRESULT(s->items[size_t(index)].state & UINT(lParam)) : 0;
    case LVM_GETSELECTEDCOUNT:
      return std::count_if(s->items.begin(), s->items.end(), [](const Item& it) { return it.state & LVIS_SELECTED; });
    case LVM_ENSUREVISIBLE:
      EnsureVisible(h, s, index);
      return TRUE;
    case LVM_GETTOPINDEX:
      return Report(h) ? s->top : s->top * Rows(h, s);
    case LVM_GETCOUNTPERPAGE:
      return Report(h) ? Rows(h, s) : Rows(h, s) * VisibleColumns(h, s);
    case LVM_GETITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      if (!r || index < 0 || index >= Count(s)) return FALSE;
      const int part = r->left;
      *r = ItemRect(h, s, index);
      if (part == LVIR_LABEL && Report(h) && !s->columns.empty()) r->right = r->left + s->columns[0].width;
      return TRUE;
    }
    case WM_CREATE:
      MakeHeader(h, s);
      return 0;
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      if (s->header) SendMessageW(s->header, WM_SETFONT, wParam, lParam);
      Changed(h, s);
      return 0;
    case WM_SIZE:
      UpdateBars(h, s);
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_VSCROLL:
    case WM_HSCROLL: {
      const bool vertical = msg == WM_VSCROLL;
      Scroll(h, s, vertical, LOWORD(wParam), TrackPosOf(h, vertical ? SB_VERT : SB_HORZ));
      return 0;
    }
    case WM_MOUSEWHEEL: {
      const int steps = static_cast<int16_t>(HIWORD(wParam)) / WHEEL_DELTA;
      const bool vertical = Report(h);
      for (int k = 0; k < std::abs(steps) * (vertical ? 3 : 1); ++k)
        Scroll(h, s, vertical, steps > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (GetFocus() != h) SetFocus(h);
      const int hit = HitTest(h, s, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      if (hit >= 0) Select(h, s, hit);
      return 0;
    }
    case WM_KEYDOWN:
      KeyDown(h, s, wParam);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      s->focused = msg == WM_SETFOCUS;
      InvalidateRect(h, nullptr, FALSE);
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
void RegisterListViewClass() { RegisterControlClass(WC_LISTVIEW, ControlProc<ListViewState, Paint, Handle>, IDC_ARROW); }
}  // namespace stdctl
