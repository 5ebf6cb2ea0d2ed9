// The one place where pixels change: a ternary raster operation of pattern, source and
// destination applied over a device-space region, clipped to what the DC may draw on.
#pragma once

#include <functional>

#include "platform/gdi/dc_internal.h"

// What the pattern contributes at a device pixel: a brush (with the DC's colours for hatches
// and monochrome patterns) or a plain colour.
struct PatternSource {
  static PatternSource Solid(COLORREF c);
  static PatternSource FromBrush(const GdiDC& dc, std::shared_ptr<GdiBrush> brush);
  // False where nothing is painted (a hatch's background in transparent mode, a null brush).
  bool Sample(int32_t x, int32_t y, COLORREF& out) const;
  bool IsNull() const { return brush && brush->style == BS_NULL; }
  bool IsSolid() const { return !brush || brush->style == BS_SOLID; }

  COLORREF color = 0;
  std::shared_ptr<GdiBrush> brush;
  COLORREF bk = 0xFFFFFF, text = 0;
  bool opaque = true;
  POINT origin;
};

// Source pixels as raw values of the destination's format, by device coordinate; false
// leaves the destination pixel alone.
using SourceSampler = std::function<bool(int32_t x, int32_t y, uint32_t& raw)>;

// Raster operation codes (the ternary ones that have names).
inline constexpr DWORD SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6,
                       SRCINVERT = 0x00660046, SRCERASE = 0x00440328, NOTSRCCOPY = 0x00330008,
                       NOTSRCERASE = 0x001100A6, MERGECOPY = 0x00C000CA, MERGEPAINT = 0x00BB0226,
                       PATCOPY = 0x00F00021, PATPAINT = 0x00FB0A09, PATINVERT = 0x005A0049,
                       DSTINVERT = 0x00550009, BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062,
                       NOMIRRORBITMAP = 0x80000000, CAPTUREBLT = 0x40000000;

// The operation byte of a ROP2 code (pen or fill mode) as a ternary one that ignores the source.
uint8_t Rop2ToRop3(int rop2);
// Applies `rop3` (the third byte of a raster operation code) at every pixel of `area`
// (device coordinates) that the DC may draw on.
void RasterOp(GdiDC& dc, const Region& area, const PatternSource* pattern, const SourceSampler* source,
              uint8_t rop3);
// Fills `area` with the pattern under the DC's ROP2 mode.
void PaintArea(GdiDC& dc, const Region& area, const PatternSource& pattern);
