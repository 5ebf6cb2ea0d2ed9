#include "skin/controls/skin_track_bar.h"

#include <algorithm>

#include "platform/forms/win/common_controls.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/user/input.h"
#include "platform/user/message_loop.h"
#include "skin/forms/skin_draw.h"
#include "skin/skin_data.h"

bool TSkinTrackBar::BeforeMessage(TMessage& message) {
  if ((message.Msg == WM_NOTIFY || message.Msg == CN_NOTIFY) && message.LParam) {
    auto* header = reinterpret_cast<NMHDR*>(message.LParam);
    if (header->code == NM_CUSTOMDRAW) {
      message.Result = CustomDraw(*reinterpret_cast<NMCUSTOMDRAW*>(message.LParam));
      return false;
    }
  }
  return TSkinControl::BeforeMessage(message);
}

LRESULT TSkinTrackBar::CustomDraw(NMCUSTOMDRAW& cd) {
  if (cd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (cd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
  switch (cd.dwItemSpec) {
    case TBCD_CHANNEL: DrawChannel(cd.hdc); return CDRF_SKIPDEFAULT;
    case TBCD_THUMB: DrawThumb(cd.hdc); return CDRF_SKIPDEFAULT;
    default: return CDRF_DODEFAULT;
  }
}

void TSkinTrackBar::DrawChannel(HDC dc) {
  const bool vertical = (Style() & TBS_VERT) != 0;
  TDataSkinObject* e = vertical ? SkinData->TrackVert.get() : SkinData->Track.get();
  if (!e || e->Bitmap.Empty()) return;
  RECT c{};
  SendMessageW(Handle, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&c));
  const int frames = e->Frames();
  const TRect f = SkinFrameRect(e->Bitmap, false, frames, 1);
  // Along the channel the picture is stretched between its caps; across it keeps its size.
  RECT r = c;
  TSkinMargins m = e->Margins();
  if (vertical) {
    const int mid = (c.left + c.right) / 2;
    r = RECT{mid - f.Width() / 2, c.top, mid - f.Width() / 2 + f.Width(), c.bottom};
    m.Left = m.Right = 0;
  } else {
    const int mid = (c.top + c.bottom) / 2;
    r = RECT{c.left, mid - f.Height() / 2, c.right, mid - f.Height() / 2 + f.Height()};
    m.Top = m.Bottom = 0;
  }
  DrawSkinElement(dc, r, e->Bitmap, false, false, e->Trans == 1, frames, 1, m);
}

void TSkinTrackBar::DrawThumb(HDC dc) {
  RECT t{};
  SendMessageW(Handle, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&t));
  TDataSkinObject* e = (Style() & TBS_VERT) ? SkinData->TrackbarThumbVert.get() : nullptr;
  if (!e || e->Bitmap.Empty()) e = SkinData->TrackbarThumbHorz.get();
  if (e && !e->Bitmap.Empty()) {
    DrawSkinFrame(dc, t, e->Bitmap, true, 5, 2);
    return;
  }
  // A canvas's default pen and brush: black on white.
  HGDIOBJ pen = SelectObject(dc, GetStockObject(BLACK_PEN)), brush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
  Rectangle(dc, t.left, t.top, t.right, t.bottom);
  SelectObject(dc, pen);
  SelectObject(dc, brush);
}

void TSkinTrackBar::ApplyColor() {
  TSkinControl::ApplyColor();
  // Taking the focus and giving it back makes the bar draw itself anew.
  HWND had = GetFocus();
  if (!Handle || had == Handle) return;
  SetFocus(Handle);
  if (had) SetFocus(had);
}
