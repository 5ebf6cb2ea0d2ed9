// Drawing skin elements: a bitmap of equal frames (side by side, or stacked), drawn into any
// rectangle with nine-part scaling that keeps its margins, as bars, centred or tiled, with
// magenta (0xFF00FF) as the transparent colour; and window regions cut from such bitmaps.
// Frames are numbered from 1; a frame count below 1 counts as 1 and a frame number outside
// the count is taken as the nearest frame.
#pragma once

#include <memory>

#include "platform/forms/controls.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/region.h"

// The fixed left and right columns and top and bottom rows of a frame.
struct TSkinMargins {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

inline constexpr TColor kSkinKeyColor = 0xFF00FF;  // magenta
// The stretch mode of every skin stretch: whole source pixels, so that the key colour stays
// exact at the edges of what it marks.
inline constexpr int kSkinStretchMode = COLORONCOLOR;

// Frame k of N of a bitmap, in the bitmap's coordinates.
TRect SkinFrameRect(const TBitmap& bitmap, bool stacked, int frames, int frame);

// A new bitmap of the target size holding frame k scaled in nine parts: the corners as they
// are, the edges stretched along one axis, the middle stretched or tiled. Margins that
// together exceed the target or the frame are dropped on that axis.
std::unique_ptr<TBitmap> NinePartScale(SIZE target, TBitmap& bitmap, const TSkinMargins& margins, bool stacked,
                                       bool tile, int frames, int frame);
// Nine-part scaling of frame k into the rectangle (nothing for an inverted one), copied
// opaque or without its magenta pixels.
void DrawSkinElement(HDC dc, const TRect& rect, TBitmap& bitmap, bool stacked, bool tile, bool transparent,
                     int frames, int frame, const TSkinMargins& margins);
// Left end, repeated middle and right end of frame k, at the rectangle's height.
void DrawHorzBar(TCanvas& canvas, const TRect& rect, TBitmap& bitmap, bool stacked, bool transparent, int frames,
                 int frame, const TSkinMargins& margins);
// Frame k (side by side) stretched to the rectangle.
void DrawSkinFrame(HDC dc, const TRect& rect, TBitmap& bitmap, bool transparent, int frames, int frame);
// Frame k (side by side) at its own size, centred in the rectangle.
void DrawSkinFrameCentred(HDC dc, const TRect& rect, TBitmap& bitmap, bool transparent, int frames, int frame);
// Left end, stretched middle and right end of frame k; a frame wider than the rectangle is
// stretched whole.
void DrawThreePart(HDC dc, const TRect& rect, TBitmap& bitmap, bool stacked, int frames, int frame,
                   const TSkinMargins& margins);
// The source piece repeated over the rectangle from its top-left corner.
void TileDraw(TCanvas& canvas, const TRect& rect, TBitmap& bitmap, const TRect& source);
// The whole bitmap stretched to the rectangle, leaving out its pixels of the key colour.
void TransparentCopy(HDC dc, const TRect& rect, TBitmap& bitmap, TColor key);
// The region of the pixels that are not (nearly) the key colour: a pixel is left out when each
// channel lies between the key's and the key's plus its tolerance. Rectangles are offset.
HRGN BitmapToRegion(TBitmap& bitmap, int xOffset, int yOffset, int blueTolerance, int greenTolerance,
                    int redTolerance, TColor key);
// Paints the parent's background (erase, then paint) under a control into its DC.
void PaintParentBackground(TControl* control, HDC dc);
inline int MinInt(int a, int b) { return a < b ? a : b; }

// The scratch bitmap that the menu bar composes in, shared by the form wrappers.
TBitmap& SkinScratchBitmap();
