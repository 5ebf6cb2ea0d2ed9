#include "skin/controls/skin_status_bar.h"

#include <algorithm>
#include <vector>

#include "platform/forms/win/common_controls.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/user/message_loop.h"
#include "platform/user/window.h"
#include "skin/forms/skin_draw.h"
#include "skin/skin_data.h"

int StatusBevelFrame(WPARAM type) {
  if (type & SBT_NOBORDERS) return 3;
  return (type & SBT_POPOUT) ? 2 : 1;
}

bool TSkinStatusBar::BeforeMessage(TMessage& message) {
  if (message.Msg == WM_PAINT) {
    PaintMessage(message);
    return false;
  }
  if (message.Msg == WM_ERASEBKGND) {
    message.Result = 1;
    return false;
  }
  return TSkinControl::BeforeMessage(message);
}

namespace {

void Line(HDC dc, int x0, int y0, int x1, int y1, TColor c) {
  HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(c));
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
  SelectObject(dc, old);
  DeleteObject(pen);
}

// Lowered: shadow top and left, highlight bottom and right; raised the reverse.
void Frame3D(HDC dc, const RECT& r, bool lowered) {
  const TColor a = lowered ? clBtnShadow : clBtnHighlight, b = lowered ? clBtnHighlight : clBtnShadow;
  Line(dc, r.left, r.bottom - 1, r.left, r.top, a);
  Line(dc, r.left, r.top, r.right - 1, r.top, a);
  Line(dc, r.right - 1, r.top, r.right - 1, r.bottom - 1, b);
  Line(dc, r.right - 1, r.bottom - 1, r.left - 1, r.bottom - 1, b);
}

}  // namespace

void TSkinStatusBar::DrawBevel(HDC dc, const RECT& r, int frame) {
  TDataSkinObject* e = SkinData->StatusBarEdges.get();
  if (e && !e->Bitmap.Empty())
    DrawSkinElement(dc, r, e->Bitmap, false, e->Tile == 1, e->Trans == 1, e->Frames(), frame, e->Margins());
  else if (frame != 3)
    Frame3D(dc, r, frame == 1);
}

void TSkinStatusBar::DrawPart(HDC dc, RECT r, int frame, std::u16string text, bool rtl) {
  DrawBevel(dc, r, frame);
  int align = StatusTextAlignment(text);
  if (rtl && align != 2) align = align == 0 ? 1 : 0;
  // (assign() rather than = of a literal: GCC 12 inlines the latter into a copy it wrongly takes
  // for an overlapping one, -Wrestrict.)
  if (text.empty()) text.assign(1, u' ');
  const UINT format = align == 2 ? DT_CENTER : align == 1 ? DT_RIGHT : DT_LEFT;
  InflateRect(r, -2, 0);
  DrawTextW(dc, text.data(), int(text.size()), &r,
            TextFlags(format | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | (rtl ? DT_RTLREADING : 0)));
}

void TSkinStatusBar::PaintControl(HDC dc, const RECT& rect) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  TBitmap& buffer = SkinScratchBitmap();
  buffer.SetPixelFormat(pf24bit);
  buffer.SetSize(w, h);
  HDC b = buffer.Canvas().Handle();
  FillFace(b, RECT{0, 0, w, h});
  HFONT font = Control ? Control->Font()->Handle() : HFONT(SendMessageW(Handle, WM_GETFONT, 0, 0));
  const HGDIOBJ oldFont = font ? SelectObject(b, font) : nullptr;
  TDataSkinObject* e = SkinData->StatusBarEdges.get();
  SetTextColor(b, ColorToRGB(e ? e->NormalColour2 : SkinData->Colors.ButtonText));
  SetBkMode(b, TRANSPARENT);
  // The part's drawing type; an owner-drawn part's value comes back in place of its text.
  auto text = [&](WPARAM part, WPARAM& type, LPARAM& data) {
    const LRESULT info = SendMessageW(Handle, SB_GETTEXTLENGTHW, part, 0);
    type = WPARAM(HIWORD(info)) << 8;
    std::u16string t(LOWORD(info) + 1, u'\0');
    data = SendMessageW(Handle, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(t.data()));
    t.resize((type & SBT_OWNERDRAW) ? 0 : LOWORD(info));
    return t;
  };
  if (SendMessageW(Handle, SB_ISSIMPLE, 0, 0)) {
    WPARAM type = 0;
    LPARAM data = 0;
    DrawPart(b, RECT{0, 0, w, h}, 1, text(SB_SIMPLEID, type, data), false);
  } else {
    const int count = int(SendMessageW(Handle, SB_GETPARTS, 0, 0));
    for (int i = 0; i < count; ++i) {
      RECT r{};
      if (!SendMessageW(Handle, SB_GETRECT, WPARAM(i), reinterpret_cast<LPARAM>(&r)) || r.right <= r.left) continue;
      WPARAM type = 0;
      LPARAM data = 0;
      std::u16string t = text(WPARAM(i), type, data);
      if (type & SBT_OWNERDRAW) {
        DrawBevel(b, r, StatusBevelFrame(type));
        InflateRect(r, -2, -2);
        DrawStatusOwnerPart(Handle, b, i, r, data);
        continue;
      }
      DrawPart(b, r, StatusBevelFrame(type), std::move(t), (type & SBT_RTLREADING) != 0);
    }
  }
  TDataSkinObject* extra = SkinData->ExtraImages.get();
  if ((Style() & SBARS_SIZEGRIP) && extra && !extra->Bitmap.Empty()) {
    const TRect f = SkinFrameRect(extra->Bitmap, false, extra->Frames(), 5);
    DrawSkinFrame(b, RECT{w - f.Width(), h - f.Height(), w, h}, extra->Bitmap, true, extra->Frames(), 5);
  }
  if (oldFont) SelectObject(b, oldFont);
  BitBlt(dc, rect.left, rect.top, w, h, b, 0, 0, SRCCOPY);
}
