// Bitmap and colour routines that derive images from skin bitmaps: greying, replacing the
// key colour, mirroring, flipping, quarter turns, colour blends, cached gradients and gradient
// fills, and a hue and saturation measure used to choose tints. Pixel work is done on 24-bit
// bitmaps (blue, green, red).
#pragma once

#include <utility>
#include <vector>

#include "platform/gdi/bitmap.h"

// Makes the bitmap 24-bit, each pixel's channels (red + green + blue) div 3.
void GrayscaleBitmap(TBitmap& bitmap);
// Makes the bitmap 24-bit; pure magenta pixels become `color`, whose low three bytes are taken
// as red, green and blue as they stand (a system colour is not resolved).
void ReplaceMagenta(TBitmap& bitmap, TColor color);
// Left to right, keeping size and pixel format.
void MirrorBitmap(TBitmap& bitmap);
// Top to bottom: row y becomes row height - 1 - y.
void FlipBitmap(TBitmap& bitmap);
// Quarter turns into a 24-bit bitmap of the swapped size. Left (counter-clockwise): new pixel
// (x, y) = old (old width - 1 - y, x). Right (clockwise): new (x, y) = old (y, old height - 1 - x).
void RotateBitmapLeft(TBitmap& bitmap);
void RotateBitmapRight(TBitmap& bitmap);

// The mix of a and b: `weight` is a's share in percent below 100, in tenths of a percent from
// 100 up; rounded to the nearest. Negative colours are system colours.
TColor BlendColors(TColor a, TColor b, int weight);

// The slot (0-15) of a cached table of `count` colours from a to b, built into the oldest slot
// when no cached one matches. Raises EAssertionFailed for a count below 1.
int GetGradient(int count, TColor a, TColor b);
const std::vector<TColor>& GradientTable(int slot);
inline constexpr int kGradientSlots = 16;

// Fills the rectangle with one-pixel bands from a to b, top to bottom (vertical) or left to
// right; only the bands inside the DC's clip box are drawn, with their colours in the whole.
void GradientFillRect(HDC dc, const TRect& rect, TColor a, bool vertical, TColor b);

// (saturation value, hue value): saturation 0-255 (200 for colours whose three channels are
// all below 160), hue 0-255 for 0-360 degrees.
std::pair<int, int> ColorToHue(TColor color);
