#include "skin/controls/skin_up_down.h"

#include <algorithm>

#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/user/input.h"
#include "platform/user/painting.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"
#include "skin/forms/skin_draw.h"
#include "skin/skin_data.h"

namespace {

constexpr LONG_PTR kUdsHorz = 0x40;

// A small arrow of lines 4 pixels wide at the centre: direction 0 up or left, 1 down or right.
void Arrow(HDC dc, const RECT& r, int direction, bool horizontal) {
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  for (int i = 0; i < 3; ++i) {
    const int half = 2 - i;  // rows 4, 2 and 0 pixels wide either side of the tip
    const int along = direction == 0 ? i - 1 : 1 - i;
    if (horizontal) {
      MoveToEx(dc, cx + along, cy - half, nullptr);
      LineTo(dc, cx + along, cy + half + 1);
    } else {
      MoveToEx(dc, cx - half, cy + along, nullptr);
      LineTo(dc, cx + half + 1, cy + along);
    }
  }
}

}  // namespace

int UpDownHalfState(bool underCursor, uint8_t mouse, bool enabled) {
  if (!enabled) return 3;
  if (!underCursor) return 1;
  if (mouse & kMousePressed) return 2;
  return (mouse & kMouseHot) ? 4 : 1;
}

bool TSkinUpDown::BeforeMessage(TMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      CallOldProc(message);
      MouseState |= kMousePressed;
      PaintWindow(nullptr);
      return false;
    case WM_LBUTTONUP:
      MouseState &= uint8_t(~kMousePressed);
      CallOldProc(message);
      // Not every spin window repaints itself on the release; the pressed look must not stay.
      PaintWindow(nullptr);
      return false;
    case WM_PAINT:
      PaintMessage(message);
      return false;
    case WM_ERASEBKGND:
      if (!Control) {
        RECT r{};
        GetClientRect(Handle, &r);
        FillColor(HDC(message.WParam), r, clWhite);
      }
      message.Result = 1;
      return false;
    default:
      return TSkinControl::BeforeMessage(message);
  }
}

void TSkinUpDown::PaintHalf(HDC dc, const RECT& r, int direction, int state, bool horizontal) {
  TDataSkinBorder* e = horizontal ? SkinData->UpDownHorz.get() : SkinData->UpDownVert.get();
  if (e && !e->Bitmap.Empty()) {
    const int frames = e->Frames();
    DrawSkinElement(dc, r, e->Bitmap, false, e->Tile == 1, e->Trans == 1, frames, direction * 4 + state,
                    e->Margins());
    if (!e->Bitmap2.Empty()) DrawSkinFrameCentred(dc, r, e->Bitmap2, true, frames, direction * 4 + state);
    return;
  }
  HPEN pen = CreatePen(PS_SOLID, 1, ColorToRGB(SkinData->Colors.ButtonDkShadow));
  const bool lit = state == 2 || state == 4;
  HBRUSH brush = CreateSolidBrush(ColorToRGB(lit ? SkinData->Colors.ButtonShadow : SkinData->Colors.ButtonFace));
  const HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, brush);
  Rectangle(dc, r.left, r.top, r.right, r.bottom);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
  Arrow(dc, r, direction, horizontal);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
}

void TSkinUpDown::PaintControl(HDC dc, const RECT& given) {
  RECT rect = given;
  if (Embedded) {
    RECT client{};
    GetClientRect(Handle, &client);
    FillColor(dc, client, clWhite);
    // Flush with the edit's edge when it stands within 3 pixels of it.
    RECT mine{}, parent{};
    GetWindowRect(Handle, &mine);
    GetWindowRect(GetParent(Handle), &parent);
    if (parent.right - mine.right <= 3) rect.right += parent.right - mine.right;
  }
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  buffer_.SetPixelFormat(pf24bit);
  buffer_.SetSize(w, h);
  HDC b = buffer_.Canvas().Handle();
  FillFace(b, RECT{0, 0, w, h});
  const bool horizontal = (Style() & kUdsHorz) != 0;
  const RECT halves[2] = {horizontal ? RECT{0, 0, w / 2, h} : RECT{0, 0, w, h / 2},
                          horizontal ? RECT{w / 2, 0, w, h} : RECT{0, h / 2, w, h}};
  POINT cursor{};
  GetCursorPos(&cursor);
  cursor.x -= WindowRect.left;
  cursor.y -= WindowRect.top;
  const bool enabled = !(Style() & WS_DISABLED);
  for (int d = 0; d < 2; ++d) {
    const RECT& r = halves[d];
    const bool under = cursor.x >= r.left && cursor.x < r.right && cursor.y >= r.top && cursor.y < r.bottom;
    PaintHalf(b, r, d, UpDownHalfState(under, MouseState, enabled), horizontal);
  }
  BitBlt(dc, rect.left, rect.top, w, h, b, 0, 0, SRCCOPY);
}
