#include "platform/gdi/glyph_raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <span>

namespace {

// FreeType's bitmap (one or eight bits a pixel) as 0..255 coverage.
void CopyCoverage(const FT_Bitmap& bm, GlyphBitmap& out) {
  out.width = int(bm.width);
  out.height = int(bm.rows);
  out.coverage.assign(size_t(out.width) * size_t(out.height), 0);
  for (int y = 0; y < out.height; ++y) {
    const uint8_t* row = bm.buffer + int64_t(y) * bm.pitch;
    uint8_t* dst = out.coverage.data() + size_t(y) * size_t(out.width);
    for (int x = 0; x < out.width; ++x)
      dst[x] = bm.pixel_mode == FT_PIXEL_MODE_MONO ? (((row[x >> 3] >> (7 - (x & 7))) & 1) ? 255 : 0) : row[x];
  }
}

// Coverage spans of the window [x0, x0 + width) x [y0, y0 + rows) (outline pixels, y up) into
// the window's own bitmap, top row first.
struct WindowTarget {
  int64_t x0, y0, width, rows;
  uint8_t* buffer;
};

void WindowSpans(int y, int count, const FT_Span* spans, void* user) {
  const auto& t = *static_cast<const WindowTarget*>(user);
  const int64_t row = t.rows - 1 - (int64_t(y) - t.y0);
  if (row < 0 || row >= t.rows) return;
  for (const FT_Span& span : std::span(spans, size_t(std::max(count, 0)))) {
    const int64_t from = std::max<int64_t>(span.x, t.x0), to = std::min<int64_t>(span.x + span.len, t.x0 + t.width);
    for (int64_t x = from; x < to; ++x) t.buffer[row * t.width + (x - t.x0)] = span.coverage;
  }
}

// Coverage: the outline stays where the whole rendering puts it, since moving it across the
// origin changes some pixels by a step (the rasteriser's arithmetic is not exact under such a
// move), and only the window's spans are made.
bool RenderCoverageWindow(FT_LibraryRec_* library, FT_Outline& outline, const PixelBox& ink, const PixelBox& shown,
                          std::vector<uint8_t>& buffer) {
  FT_Outline_Translate(&outline, FT_Pos(-ink.left * 64), FT_Pos(ink.bottom * 64));
  WindowTarget target{shown.left - ink.left, ink.bottom - shown.bottom, shown.right - shown.left,
                      shown.bottom - shown.top, buffer.data()};
  FT_Raster_Params params{};
  params.source = &outline;
  params.flags = FT_RASTER_FLAG_AA | FT_RASTER_FLAG_DIRECT | FT_RASTER_FLAG_CLIP;
  params.gray_spans = WindowSpans;
  params.user = &target;
  params.clip_box = FT_BBox{FT_Pos(target.x0), FT_Pos(target.y0), FT_Pos(target.x0 + target.width),
                            FT_Pos(target.y0 + target.rows)};
  return FT_Outline_Render(library, &outline, &params) == 0;
}

// One bit a pixel: the rasteriser writes only into a target bitmap whose corner is the
// outline's origin, so the outline moves to the window. Its drop-out choices are not exact
// under such a move: a lone pixel where a stroke is thinner than a pixel may differ.
bool RenderBitsWindow(FT_LibraryRec_* library, FT_Outline& outline, const PixelBox& shown, std::vector<uint8_t>& buffer) {
  const auto width = unsigned(shown.right - shown.left), rows = unsigned(shown.bottom - shown.top);
  FT_Bitmap target{};
  target.width = width;
  target.rows = rows;
  target.pitch = int((width + 7) / 8);
  target.buffer = buffer.data();
  target.num_grays = 2;
  target.pixel_mode = FT_PIXEL_MODE_MONO;
  FT_Outline_Translate(&outline, FT_Pos(-shown.left * 64), FT_Pos(shown.bottom * 64));
  return FT_Outline_Get_Bitmap(library, &outline, &target) == 0;
}

int64_t FloorPx(FT_Pos v) { return v >= 0 ? v / 64 : -((-v + 63) / 64); }
int64_t CeilPx(FT_Pos v) { return -FloorPx(-v); }

}  // namespace

PixelBox PixelBox::Intersect(const PixelBox& o) const {
  return PixelBox{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
}

PixelBox InkBox(const FT_GlyphSlotRec_& slot) {
  if (slot.format != FT_GLYPH_FORMAT_OUTLINE || slot.outline.n_points <= 0) return {};
  FT_BBox box;
  FT_Outline_Get_CBox(&slot.outline, &box);
  return PixelBox{FloorPx(box.xMin), -CeilPx(box.yMax), CeilPx(box.xMax), -FloorPx(box.yMin)};
}

bool RenderWholeGlyph(FT_GlyphSlotRec_& slot, bool mono, GlyphBitmap& out) {
  if (FT_Render_Glyph(&slot, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0) return false;
  out.left = slot.bitmap_left;
  out.top = slot.bitmap_top;
  CopyCoverage(slot.bitmap, out);
  return true;
}

bool RenderGlyphWindow(FT_LibraryRec_* library, FT_GlyphSlotRec_& slot, bool mono, const PixelBox& window,
                       GlyphBitmap& out) {
  const PixelBox ink = InkBox(slot), shown = ink.Intersect(window);
  out.left = out.top = out.width = out.height = 0;
  out.coverage.clear();
  if (shown.Empty()) return true;
  // FreeType's spans and bitmaps count columns in 16 bits; it renders no larger glyph whole either.
  if (ink.right - ink.left > 0x7FFF || ink.bottom - ink.top > 0x7FFF) return false;
  const auto width = int(shown.right - shown.left), rows = int(shown.bottom - shown.top);
  out.left = int(shown.left);
  out.top = int(-shown.top);
  if (!mono) {
    // Coverage spans land in the window's bitmap as they are.
    out.width = width;
    out.height = rows;
    out.coverage.assign(size_t(width) * size_t(rows), 0);
    if (RenderCoverageWindow(library, slot.outline, ink, shown, out.coverage)) return true;
    out.width = out.height = 0;
    out.coverage.clear();
    return false;
  }
  std::vector<uint8_t> bits(size_t((width + 7) / 8) * size_t(rows));
  if (!RenderBitsWindow(library, slot.outline, shown, bits)) return false;
  FT_Bitmap made{};
  made.width = unsigned(width);
  made.rows = unsigned(rows);
  made.pitch = (width + 7) / 8;
  made.buffer = bits.data();
  made.pixel_mode = FT_PIXEL_MODE_MONO;
  CopyCoverage(made, out);
  return true;
}
