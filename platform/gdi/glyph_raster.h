// Turning a loaded FreeType glyph into coverage: the whole glyph, or only the part of it that a
// window of the target surface shows, so a glyph far larger than the surface costs what the
// surface can show rather than what the glyph measures.
#pragma once

#include <cstdint>
#include <vector>

struct FT_GlyphSlotRec_;
struct FT_LibraryRec_;

// A box of device pixels relative to the pen position on the baseline, y down: columns
// [left, right), rows [top, bottom).
struct PixelBox {
  int64_t left = 0, top = 0, right = 0, bottom = 0;

  bool Empty() const { return right <= left || bottom <= top; }
  int64_t Area() const { return Empty() ? 0 : (right - left) * (bottom - top); }
  PixelBox Intersect(const PixelBox& o) const;
};

struct GlyphBitmap {
  int left = 0, top = 0;  // bitmap origin from the pen position; top is above the baseline
  int width = 0, height = 0;
  int advance = 0;        // pixels
  std::vector<uint8_t> coverage;  // width x height, 0..255
};

// The pixels the slot's outline can touch (its control box rounded out); empty for a slot
// that holds no outline.
PixelBox InkBox(const FT_GlyphSlotRec_& slot);
// The whole glyph as the slot's renderer makes it. False when it cannot be rendered.
bool RenderWholeGlyph(FT_GlyphSlotRec_& slot, bool mono, GlyphBitmap& out);
// Only the part of the slot's outline inside window, into a bitmap of that part's size, each
// pixel's coverage the one the whole rendering gives it (one bit a pixel, a lone drop-out pixel
// of a sub-pixel stroke may differ). Moves the slot's outline.
bool RenderGlyphWindow(FT_LibraryRec_* library, FT_GlyphSlotRec_& slot, bool mono, const PixelBox& window,
                       GlyphBitmap& out);
