// "SysHeader32": a row of column headings, each as wide as its item says, from the left edge;
// with HDS_BUTTONS a heading pressed and released under the mouse is reported to the parent
// (HDN_ITEMCLICK).
#include <algorithm>
#include <string>
#include <vector>

#include "platform/forms/win/common_controls.h"
#include "platform/forms/win/control_util.h"
#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/rtl/strings.h"
#include "platform/user/default_proc.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/window.h"

namespace {

using namespace stdctl;

struct HeaderItem {
  std::u16string text;
  int width = 50;
  int format = HDF_LEFT | HDF_STRING;
  int image = -1;
  LPARAM param = 0;
};

struct HeaderState {
  HFONT font = nullptr;
  std::vector<HeaderItem> items;
  HIMAGELIST images = nullptr;
  int pressed = -1;
};

RECT ItemRect(HWND h, const HeaderState* s, size_t index) {
  RECT c{};
  GetClientRect(h, &c);
  int left = 0;
  for (size_t i = 0; i < index; ++i) left += std::max(s->items[i].width, 0);
  return RECT{left, 0, left + std::max(s->items[index].width, 0), c.bottom};
}

int HitTest(HWND h, const HeaderState* s, POINT p) {
  for (size_t i = 0; i < s->items.size(); ++i)
    if (PtInRect(ItemRect(h, s, i), p)) return int(i);
  return -1;
}

void DrawItem(HDC dc, const HeaderState* s, const HeaderItem& item, RECT r, bool pressed) {
  RECT edge = r;
  DrawEdge(dc, &edge, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_SOFT);
  InflateRect(r, -6, 0);
  if (s->images && (item.format & HDF_IMAGE) && item.image >= 0)
    r.left += DrawItemImage(dc, s->images, item.image, r.left, r);
  const int just = item.format & HDF_JUSTIFYMASK;
  const UINT format = just == HDF_CENTER ? DT_CENTER : just == HDF_RIGHT ? DT_RIGHT : DT_LEFT;
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  DrawControlText(dc, item.text, r, format | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS, true);
}

void Paint(HWND h, HDC dc, HeaderState* s) {
  RECT c{};
  GetClientRect(h, &c);
  FillSolid(dc, c, GetSysColor(COLOR_BTNFACE));
  HGDIOBJ old = SelectObject(dc, FontOr(s->font));
  for (size_t i = 0; i < s->items.size(); ++i) DrawItem(dc, s, s->items[i], ItemRect(h, s, i), int(i) == s->pressed);
  SelectObject(dc, old);
}

template <class Item, class Char>
HeaderItem FromItem(const Item& in, HeaderItem out) {
  if ((in.mask & HDI_TEXT) && in.pszText) out.text = ItemTextIn(in.pszText);
  if (in.mask & HDI_WIDTH) out.width = in.cxy;
  if (in.mask & HDI_FORMAT) out.format = in.fmt;
  if (in.mask & HDI_IMAGE) out.image = in.iImage;
  if (in.mask & HDI_LPARAM) out.param = in.lParam;
  return out;
}

template <class Item, class Char>
LRESULT GetItem(const HeaderState* s, WPARAM index, LPARAM lParam) {
  auto* out = reinterpret_cast<Item*>(lParam);
  if (!out || index >= s->items.size()) return FALSE;
  const HeaderItem& item = s->items[index];
  if (out->mask & HDI_TEXT) ItemTextOut(item.text, out->pszText, out->cchTextMax);
  if (out->mask & HDI_WIDTH) out->cxy = item.width;
  if (out->mask & HDI_FORMAT) out->fmt = item.format;
  if (out->mask & HDI_IMAGE) out->iImage = item.image;
  if (out->mask & HDI_LPARAM) out->lParam = item.param;
  return TRUE;
}

template <class Item, class Char>
LRESULT Insert(HWND h, HeaderState* s, WPARAM at, LPARAM lParam) {
  if (!lParam) return -1;
  const size_t index = std::min<size_t>(at, s->items.size());
  s->items.insert(s->items.begin() + std::ptrdiff_t(index), FromItem<Item, Char>(*reinterpret_cast<Item*>(lParam), {}));
  InvalidateRect(h, nullptr, FALSE);
  return LRESULT(index);
}

template <class Item, class Char>
LRESULT SetItem(HWND h, HeaderState* s, WPARAM index, LPARAM lParam) {
  if (!lParam || index >= s->items.size()) return FALSE;
  s->items[index] = FromItem<Item, Char>(*reinterpret_cast<Item*>(lParam), s->items[index]);
  InvalidateRect(h, nullptr, FALSE);
  return TRUE;
}

LRESULT ButtonUp(HWND h, HeaderState* s, LPARAM lParam) {
  const int pressed = s->pressed;
  if (pressed < 0) return 0;
  s->pressed = -1;
  ReleaseCapture();
  InvalidateRect(h, nullptr, FALSE);
  if (HitTest(h, s, POINT{short(LOWORD(lParam)), short(HIWORD(lParam))}) != pressed) return 0;
  NMHEADERW n;
  n.iItem = pressed;
  SendNotify(h, n.hdr, HDN_ITEMCLICKW);
  return 0;
}

LRESULT Handle(HWND h, UINT msg, WPARAM wParam, LPARAM lParam, HeaderState* s) {
  switch (msg) {
    case HDM_GETITEMCOUNT: return LRESULT(s->items.size());
    case HDM_INSERTITEMW: return Insert<HDITEMW, char16_t>(h, s, wParam, lParam);
    case HDM_INSERTITEMA: return Insert<HDITEMA, char>(h, s, wParam, lParam);
    case HDM_GETITEMW: return GetItem<HDITEMW, char16_t>(s, wParam, lParam);
    case HDM_GETITEMA: return GetItem<HDITEMA, char>(s, wParam, lParam);
    case HDM_SETITEMW: return SetItem<HDITEMW, char16_t>(h, s, wParam, lParam);
    case HDM_SETITEMA: return SetItem<HDITEMA, char>(h, s, wParam, lParam);
    case HDM_DELETEITEM:
      if (wParam >= s->items.size()) return FALSE;
      s->items.erase(s->items.begin() + std::ptrdiff_t(wParam));
      InvalidateRect(h, nullptr, FALSE);
      return TRUE;
    case HDM_GETITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      if (!r || wParam >= s->items.size()) return FALSE;
      *r = ItemRect(h, s, wParam);
      return TRUE;
    }
    case HDM_HITTEST: {
      auto* info = reinterpret_cast<HDHITTESTINFO*>(lParam);
      if (!info) return -1;
      info->iItem = HitTest(h, s, info->pt);
      info->flags = info->iItem < 0 ? HHT_NOWHERE : HHT_ONHEADER;
      return info->iItem;
    }
    case HDM_GETIMAGELIST: return reinterpret_cast<LRESULT>(s->images);
    case HDM_SETIMAGELIST: return SwapImageList(h, s->images, lParam);
    case WM_SETFONT: return SetFontAndRedraw(h, s->font, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!(GetWindowLongPtrW(h, GWL_STYLE) & HDS_BUTTONS)) return 0;
      s->pressed = HitTest(h, s, POINT{short(LOWORD(lParam)), short(HIWORD(lParam))});
      if (s->pressed >= 0) {
        SetCapture(h);
        InvalidateRect(h, nullptr, FALSE);
      }
      return 0;
    case WM_LBUTTONUP: return ButtonUp(h, s, lParam);
    case WM_SIZE: InvalidateRect(h, nullptr, FALSE); return 0;
    default: return DefWindowProcW(h, msg, wParam, lParam);
  }
}

}  // namespace

namespace stdctl {
void RegisterHeaderClass() { RegisterControlClass(WC_HEADER, ControlProc<HeaderState, Paint, Handle>, IDC_ARROW); }
}  // namespace stdctl
