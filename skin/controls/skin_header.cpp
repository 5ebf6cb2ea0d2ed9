#include "skin/controls/skin_header.h"

#include <algorithm>

#include "platform/forms/win/common_controls.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"
#include "skin/controls/skin_icon_text.h"
#include "skin/forms/skin_draw.h"
#include "skin/skin_data.h"

namespace {

constexpr int kHeaderTextMax = 260;

TAlignment HeaderAlignment(int format) {
  switch (format & HDF_JUSTIFYMASK) {
    case HDF_RIGHT: return taRightJustify;
    case HDF_CENTER: return taCenter;
    default: return taLeftJustify;
  }
}

}  // namespace

void TSkinHeader::AttachControl(TControl* control, TWinSkinForm* formSkin, TSkinData* skinData, bool setColor,
                                int attachData) {
  TSkinControl::AttachControl(control, formSkin, skinData, setColor, attachData);
  HotItem = -1;
}

void TSkinHeader::AttachWindow(HWND handle, TSkinData* skinData, TWinSkinForm* formSkin, int attachData) {
  TSkinControl::AttachWindow(handle, skinData, formSkin, attachData);
  HotItem = -1;
}

bool TSkinHeader::Skinned() const { return SkinData && SkinData->Headerbar && !SkinData->Headerbar->Bitmap.Empty(); }

bool TSkinHeader::BeforeMessage(TMessage& message) {
  // Without the element the header keeps drawing itself.
  if (message.Msg == WM_PAINT && Skinned()) {
    PaintMessage(message);
    return false;
  }
  if (message.Msg == WM_ERASEBKGND && Skinned()) {
    message.Result = 1;
    return false;
  }
  return TSkinControl::BeforeMessage(message);
}

void TSkinHeader::AfterMessage(TMessage& message) {
  switch (message.Msg) {
    case WM_MOUSEMOVE: {
      const POINT p{short(LOWORD(message.LParam)), short(HIWORD(message.LParam))};
      int hot = -1;
      for (size_t i = 0; i < ItemRects.size(); ++i)
        if (PtInRect(ItemRects[i], p)) hot = int(i);
      if (hot != HotItem) {
        HotItem = hot;
        Repaint();
      }
      TRACKMOUSEEVENT t{sizeof(TRACKMOUSEEVENT), TME_LEAVE, Handle, 0};
      TrackMouseEvent(&t);
      break;
    }
    case WM_MOUSELEAVE:
      HotItem = -1;
      Repaint();
      break;
    default: TSkinControl::AfterMessage(message); break;
  }
}

void TSkinHeader::PaintControl(HDC dc, const RECT& rect) {
  if (!Skinned()) return;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  TDataSkinObject& e = *SkinData->Headerbar;
  const int frames = e.Frames();
  buffer_.SetPixelFormat(pf24bit);
  buffer_.SetSize(w, h);
  HDC b = buffer_.Canvas().Handle();
  HFONT font = Control ? Control->Font()->Handle() : HFONT(SendMessageW(Handle, WM_GETFONT, 0, 0));
  const HGDIOBJ oldFont = font ? SelectObject(b, font) : nullptr;
  SetBkMode(b, TRANSPARENT);
  SetTextColor(b, ColorToRGB(e.NormalColour2));
  const auto images = HIMAGELIST(SendMessageW(Handle, HDM_GETIMAGELIST, 0, 0));
  const int count = int(SendMessageW(Handle, HDM_GETITEMCOUNT, 0, 0));
  ItemRects.assign(size_t(std::max(count, 0)), RECT{});
  int end = 0;
  for (int i = 0; i < count; ++i) {
    RECT r{};
    if (!SendMessageW(Handle, HDM_GETITEMRECT, WPARAM(i), reinterpret_cast<LPARAM>(&r))) continue;
    char16_t text[kHeaderTextMax + 1] = {};
    HDITEMW item;
    item.mask = HDI_TEXT | HDI_FORMAT | HDI_IMAGE;
    item.pszText = text;
    item.cchTextMax = kHeaderTextMax;
    SendMessageW(Handle, HDM_GETITEMW, WPARAM(i), reinterpret_cast<LPARAM>(&item));
    DrawSkinElement(b, r, e.Bitmap, false, e.Tile == 1, e.Trans == 1, frames, i == HotItem ? 2 : 1, e.Margins());
    const int image = (item.fmt & HDF_IMAGE) ? item.iImage : -1;
    DrawIconAndText(b, r, text, images, image, HeaderAlignment(item.fmt), !(Style() & WS_DISABLED), TextFlags(0));
    ItemRects[size_t(i)] = RECT{r.left + 3, r.top, r.right - 3, r.bottom};
    end = std::max(end, int(r.right));
  }
  if (end < w) DrawSkinElement(b, RECT{end, 0, w, h}, e.Bitmap, false, e.Tile == 1, e.Trans == 1, frames, 1, e.Margins());
  if (oldFont) SelectObject(b, oldFont);
  BitBlt(dc, rect.left, rect.top, w, h, b, 0, 0, SRCCOPY);
}
