#include "skin/controls/skin_progress.h"

#include <algorithm>

#include "platform/forms/win/std_controls.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/user/message_loop.h"
#include "platform/user/painting.h"
#include "platform/user/styles.h"
#include "platform/user/window.h"
#include "skin/forms/skin_draw.h"
#include "skin/img_util.h"
#include "skin/skin_data.h"
#include "skin/skin_objects.h"

int ProgressFill(int extent, int minimum, int maximum, int position) {
  if (extent <= 0 || maximum <= minimum) return 0;
  const int64_t range = int64_t(maximum) - minimum;
  const int64_t done = std::clamp(int64_t(position) - minimum, int64_t(0), range);
  // Rounded, as MulDiv rounds.
  return int((int64_t(extent) * done + range / 2) / range);
}

bool TSkinProgress::BeforeMessage(TMessage& message) {
  const bool skinned = SkinData && SkinData->Progress && !SkinData->Progress->Bitmap.Empty();
  if (skinned && message.Msg == WM_PAINT) {
    PaintMessage(message);
    return false;
  }
  if (skinned && message.Msg == WM_ERASEBKGND) {
    message.Result = 1;
    return false;
  }
  return TSkinControl::BeforeMessage(message);
}

void TSkinProgress::AfterMessage(TMessage& message) {
  // The native bar repaints itself on a new position; the skin draws over it at once.
  if (message.Msg == PBM_SETPOS || message.Msg == PBM_DELTAPOS || message.Msg == PBM_STEPIT ||
      message.Msg == PBM_SETRANGE || message.Msg == PBM_SETRANGE32)
    Repaint();
  TSkinControl::AfterMessage(message);
}

void TSkinProgress::PaintBar(TBitmap& bar, int fill) {
  TDataSkinBorder& e = *SkinData->Progress;
  HDC dc = bar.Canvas().Handle();
  const RECT all{0, 0, bar.Width(), bar.Height()};
  FillFace(dc, all);
  const bool chunked = e.Style == 1 && SkinData->ProgressChunk && !SkinData->ProgressChunk->Bitmap.Empty();
  DrawSkinElement(dc, all, e.Bitmap, false, e.Tile == 1, true, chunked ? 1 : 2, 1, e.Margins());
  if (fill <= 0) return;
  if (!chunked) {
    DrawSkinElement(dc, RECT{0, 0, fill, all.bottom}, e.Bitmap, false, e.Tile == 1, true, 2, 2, e.Margins());
    return;
  }
  TDataSkinObject& chunk = *SkinData->ProgressChunk;
  const RECT inside{2, 2, std::max(2, fill - 2), std::max(2, all.bottom - 2)};
  if (chunk.Tile != 1) {
    DrawSkinElement(dc, inside, chunk.Bitmap, false, false, true, 1, 1, chunk.Margins());
    return;
  }
  const int step = std::max(chunk.Bitmap.Width(), 1);
  for (int x = inside.left; x < inside.right; x += step)
    DrawSkinElement(dc, RECT{x, inside.top, std::min(x + step, inside.right), inside.bottom}, chunk.Bitmap, false,
                    false, true, 1, 1, TSkinMargins{});
}

void TSkinProgress::PaintControl(HDC dc, const RECT& rect) {
  if (!SkinData->Progress || SkinData->Progress->Bitmap.Empty()) return;
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  const bool vertical = (Style() & PBS_VERTICAL) != 0;
  const int position = int(SendMessageW(Handle, PBM_GETPOS, 0, 0));
  const int low = int(SendMessageW(Handle, PBM_GETRANGE, TRUE, 0));
  const int high = int(SendMessageW(Handle, PBM_GETRANGE, FALSE, 0));
  // A vertical bar is drawn lying down and turned a quarter counter-clockwise.
  const int length = vertical ? h : w, across = vertical ? w : h;
  buffer_.SetPixelFormat(pf24bit);
  buffer_.SetSize(length, across);
  PaintBar(buffer_, ProgressFill(length, low, high, position));
  if (!vertical) {
    BitBlt(dc, rect.left, rect.top, w, h, buffer_.Canvas().Handle(), 0, 0, SRCCOPY);
    return;
  }
  RotateBitmapLeft(buffer_);
  BitBlt(dc, rect.left, rect.top, w, h, buffer_.Canvas().Handle(), 0, 0, SRCCOPY);
}
