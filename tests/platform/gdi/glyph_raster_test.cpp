// Glyph rasterisation bounded by what the surface shows: a glyph larger than the visible window
// is rendered only over that window, each pixel as the whole glyph would have it.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/font_data.h"
#include "platform/gdi/font_engine.h"
#include "platform/gdi/text.h"

namespace {

LOGFONTW Logical(int32_t height, uint8_t quality = DEFAULT_QUALITY, bool italic = false) {
  LOGFONTW lf;
  lf.lfHeight = height;
  lf.lfQuality = quality;
  lf.lfItalic = italic;
  const std::u16string face = u"Liberation Sans";
  std::copy(face.begin(), face.end(), lf.lfFaceName);
  return lf;
}

// The glyph as FreeType alone renders it whole: the oracle the windowed rendering is cut from.
class WholeGlyph {
 public:
  WholeGlyph(const FontInstance& font, char32_t ch, int ppem, bool mono) {
    FT_Init_FreeType(&lib_);
    if (FT_New_Face(lib_, font.Face().file.c_str(), font.Face().index, &face_) != 0) return;
    FT_Set_Pixel_Sizes(face_, FT_UInt(ppem), FT_UInt(ppem));
    const FT_Int32 flags = FT_LOAD_NO_BITMAP | (mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
    ok_ = FT_Load_Glyph(face_, FT_Get_Char_Index(face_, ch), flags) == 0 &&
          FT_Render_Glyph(face_->glyph, mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) == 0;
  }
  ~WholeGlyph() {
    if (face_) FT_Done_Face(face_);
    FT_Done_FreeType(lib_);
  }
  bool Ok() const { return ok_; }
  int Left() const { return face_->glyph->bitmap_left; }
  int Top() const { return face_->glyph->bitmap_top; }
  int Width() const { return int(face_->glyph->bitmap.width); }
  int Rows() const { return int(face_->glyph->bitmap.rows); }
  // Coverage at (x, y) from the pen, y down.
  int At(int64_t x, int64_t y) const {
    const FT_Bitmap& bm = face_->glyph->bitmap;
    const int64_t col = x - Left(), row = y + Top();
    if (col < 0 || row < 0 || col >= Width() || row >= Rows()) return 0;
    const uint8_t* line = bm.buffer + row * bm.pitch;
    if (bm.pixel_mode == FT_PIXEL_MODE_MONO) return (line[col >> 3] >> (7 - (col & 7))) & 1 ? 255 : 0;
    return line[col];
  }

 private:
  FT_Library lib_ = nullptr;
  FT_Face face_ = nullptr;
  bool ok_ = false;
};

int At(const GlyphBitmap& g, int64_t x, int64_t y) {
  const int64_t col = x - g.left, row = y + g.top;
  if (col < 0 || row < 0 || col >= g.width || row >= g.height) return 0;
  return g.coverage[size_t(row) * size_t(g.width) + size_t(col)];
}

}  // namespace

TEST(GlyphRaster, AFontStatedMillionsOfPixelsHighRendersNoMoreThanTheSurface) {
  FontInstance font(Logical(-16777228));
  ASSERT_TRUE(font.Valid());
  FontInstance::Outline l;
  ASSERT_TRUE(font.LoadOutline(U'l', false, l));
  // A 64x48 surface lying on the middle of the stem of an l, and one across its left edge.
  const int64_t midX = (l.xMin + l.xMax) / 128, midY = -(l.yMin + l.yMax) / 128;
  const PixelBox middle{midX - 32, midY - 24, midX + 32, midY + 24};
  const auto inside = font.Render(U'l', middle);
  EXPECT_EQ(inside->width, 64);
  EXPECT_EQ(inside->height, 48);
  EXPECT_TRUE(std::all_of(inside->coverage.begin(), inside->coverage.end(), [](uint8_t v) { return v == 255; }));
  const int64_t edge = l.xMin / 64;
  const auto across = font.Render(U'l', PixelBox{edge - 40, midY - 24, edge + 24, midY + 24});
  EXPECT_LE(across->width * across->height, 64 * 48);
  EXPECT_EQ(At(*across, edge - 1, midY), 0);  // a rendering kept for one place is not reused at another
  EXPECT_EQ(At(*across, edge + 20, midY), 255);
  // Nowhere near the glyph: nothing is rendered.
  EXPECT_EQ(font.Render(U'l', PixelBox{-100000, 0, -99936, 48})->coverage.size(), 0u);
  EXPECT_EQ(font.Render(U'l', middle)->coverage, inside->coverage);
}

TEST(GlyphRaster, KeptGlyphsOfAFontStayWithinTheirBudget) {
  // A thousand glyphs of some 20 000 pixels each: more than the font keeps.
  FontInstance font(Logical(-240)), fresh(Logical(-240));
  ASSERT_TRUE(font.Valid());
  const PixelBox page{-1000, -1000, 1000, 1000};
  int64_t drawn = 0;
  for (char32_t ch = 0x21; ch < 0x500; ++ch)
    if (font.GlyphIndex(ch)) drawn += int64_t(font.Render(ch, page)->coverage.size());
  ASSERT_GT(drawn, FontInstance::kKeptPixels);
  EXPECT_LE(font.KeptPixels(), FontInstance::kKeptPixels);
  EXPECT_GT(font.KeptPixels(), FontInstance::kKeptPixels / 2);
  // Glyphs not kept are rendered again, the same as before.
  for (char32_t ch : {U'\u0416', U'\u042F', U'\u04D8'}) EXPECT_EQ(font.Render(ch, page)->coverage, fresh.Render(ch, page)->coverage);
}

TEST(GlyphRaster, TheVisiblePartOfAHugeGlyphIsTheWholeGlyphCropped) {
  struct Case {
    char32_t ch;
    uint8_t quality;
    bool italic;
  };
  const Case cases[] = {{U'W', DEFAULT_QUALITY, false}, {U'g', DEFAULT_QUALITY, true}, {U'@', DEFAULT_QUALITY, false},
                        {U'S', NONANTIALIASED_QUALITY, false}, {U'&', NONANTIALIASED_QUALITY, true}};
  const int ppem = 3000;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("glyph ") + char(c.ch) + (c.italic ? " italic" : "") + " quality " +
                 std::to_string(c.quality));
    FontInstance font(Logical(-ppem, c.quality, c.italic));
    ASSERT_TRUE(font.Valid());
    const bool mono = c.quality == NONANTIALIASED_QUALITY;
    const WholeGlyph whole(font, c.ch, ppem, mono);
    ASSERT_TRUE(whole.Ok());
    const int64_t x0 = whole.Left(), y0 = -whole.Top(), w = whole.Width(), h = whole.Rows();
    // 100x100 windows over the whole glyph, their edges at every remainder of its size.
    for (int64_t wy = y0 - 50; wy < y0 + h; wy += 97)
      for (int64_t wx = x0 - 50; wx < x0 + w; wx += 101) {
      const PixelBox window{wx, wy, wx + 100, wy + 100};
      const auto part = font.Render(c.ch, window);
      EXPECT_LE(part->width, 100);
      EXPECT_LE(part->height, 100);
      int differing = 0;
      for (int64_t y = window.top; y < window.bottom; ++y)
        for (int64_t x = window.left; x < window.right; ++x) differing += At(*part, x, y) != whole.At(x, y);
      // One bit a pixel, the rasteriser's drop-out choice for a thin stroke depends on where
      // the outline lies: a rare lone pixel may differ.
      EXPECT_LE(differing, mono ? 2 : 0) << "window at " << wx << "," << wy;
    }
  }
}

namespace {

// Text drawn in black on white with the given font.
struct Surface {
  TBitmap bmp;
  HDC dc;
  HFONT font;
  Surface(int w, int h, int32_t height, uint8_t quality) {
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(w, h);
    LOGFONTA lf;
    lf.lfHeight = height;
    lf.lfQuality = quality;
    std::strncpy(lf.lfFaceName, "Liberation Serif", LF_FACESIZE - 1);
    font = CreateFontIndirectA(lf);
    dc = bmp.Canvas().Handle();
    SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
  }
  ~Surface() {
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
  }
  void Text(int x, int y, const char* s) { TextOutA(dc, x, y, s, int(std::strlen(s))); }
};

}  // namespace

TEST(GlyphRaster, TextCutByASmallSurfaceShowsWhatALargeOneShowsThere) {
  // Glyphs smaller than the small surface, and glyphs many times its size, at places where the
  // surface's edges cut through them; the large surface holds all of the text.
  struct Case {
    int32_t height;
    uint8_t quality;
    int x, y;
  };
  const Case cases[] = {{-13, DEFAULT_QUALITY, -3, -4},        {-13, NONANTIALIASED_QUALITY, 20, 25},
                        {-600, DEFAULT_QUALITY, -120, -150},   {-600, DEFAULT_QUALITY, -500, -120},
                        {-600, NONANTIALIASED_QUALITY, -60, -200}, {-900, DEFAULT_QUALITY, -50, -300}};
  const int sw = 50, sh = 40, offset = 1000;
  for (const Case& c : cases) {
    SCOPED_TRACE("height " + std::to_string(c.height) + " at " + std::to_string(c.x) + "," + std::to_string(c.y));
    Surface small(sw, sh, c.height, c.quality), large(2600, 2200, c.height, c.quality);
    small.Text(c.x, c.y, "Wg&");
    large.Text(c.x + offset, c.y + offset, "Wg&");
    int differing = 0, inked = 0;
    for (int y = 0; y < sh; ++y)
      for (int x = 0; x < sw; ++x) {
        const COLORREF seen = small.bmp.Dib().GetColor(x, y);
        differing += seen != large.bmp.Dib().GetColor(x + offset, y + offset);
        inked += seen != RGB(255, 255, 255);
      }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(inked, 0);
  }
}
