#include "skin/controls/skin_icon_text.h"

#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/text.h"

TIconTextPlace PlaceIconAndText(const RECT& r, SIZE icon, SIZE text, TAlignment alignment) {
  TIconTextPlace p;
  const int w = r.right - r.left, h = r.bottom - r.top;
  p.Icon = icon.cx > 0 && icon.cx <= w;
  const int iconW = p.Icon ? icon.cx : 0;
  const int block = iconW + text.cx;
  int start = 3;
  if (alignment == taCenter) start = (w - block) / 2;
  if (alignment == taRightJustify) start = w - 2 - block;
  if (start < 2) start = 1;
  p.IconX = r.left + start;
  p.IconY = r.top + (h - icon.cy) / 2;
  const int tx = r.left + start + iconW, ty = r.top + (h - text.cy) / 2;
  p.Text = RECT{tx, ty, tx + text.cx, ty + text.cy};
  return p;
}

void DrawIconAndText(HDC dc, const RECT& r, const std::u16string& text, HIMAGELIST images, int index,
                     TAlignment alignment, bool enabled, UINT flags) {
  SIZE icon{0, 0};
  if (images && index >= 0) {
    int cx = 0, cy = 0;
    if (ImageList_GetIconSize(images, &cx, &cy)) icon = SIZE{cx, cy};
  }
  RECT measured = r;
  DrawTextW(dc, text.data(), int(text.size()), &measured, flags | DT_SINGLELINE | DT_CALCRECT | DT_NOCLIP);
  const TIconTextPlace p = PlaceIconAndText(
      r, icon, SIZE{measured.right - measured.left, measured.bottom - measured.top}, alignment);
  if (p.Icon) ImageList_Draw(images, index, dc, p.IconX, p.IconY, ILD_TRANSPARENT);
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  COLORREF oldColour = 0;
  if (!enabled) oldColour = SetTextColor(dc, ColorToRGB(clBtnShadow));
  RECT t = p.Text;
  DrawTextW(dc, text.data(), int(text.size()), &t, flags | DT_SINGLELINE | DT_NOCLIP);
  if (!enabled) SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
}
