// Bitmaps carried by records, decoded to 24 bits for every depth and compression a metafile
// may carry; colours worked out by hand from the bytes.
#include <gtest/gtest.h>

#include "platform/gdi/graphics_errors.h"
#include "platform/gdi/metafile/emf_dib.h"
#include "tests/platform/gdi/metafile/metafile_test_util.h"

using namespace mftest;

namespace {

struct Dib {
  int w, h, bpp;
  uint32_t compression;
  std::vector<uint32_t> table;  // entries as 0x00RRGGBB (or masks, or 16-bit indices)
  std::vector<uint8_t> bits;
  uint32_t usage = DIB_RGB_COLORS;
};

// The DIB inside a record: header and table at 16, the bits after a gap of 4 bytes.
std::shared_ptr<GdiBitmap> Decode(const Dib& d) {
  Bytes info;
  info.U32(40).I32(d.w).I32(d.h).U16(1).U16(uint16_t(d.bpp)).U32(d.compression).U32(uint32_t(d.bits.size()));
  info.U32(0).U32(0).U32(d.bpp <= 8 ? uint32_t(d.table.size()) : 0).U32(0);
  for (uint32_t t : d.table) {
    if (d.usage == DIB_PAL_COLORS) info.U16(uint16_t(t));
    else info.U32(t);
  }
  Bytes rec;
  rec.U32(EMR_STRETCHDIBITS).U32(0).U32(0).U32(0);
  const uint32_t offBmi = 16, cbBmi = uint32_t(info.size()), offBits = offBmi + cbBmi + 4;
  rec.Raw(info.b).U32(0xDEADBEEF).Raw(d.bits);
  ENHMETARECORD r;
  static std::vector<uint8_t> keep;
  keep = rec.b;
  r.bytes = keep;
  const std::vector<PALETTEENTRY> palette = {{10, 20, 30, 0}, {40, 50, 60, 0}, {70, 80, 90, 0}};
  return DecodeRecordDib24(r, offBmi, cbBmi, offBits, uint32_t(d.bits.size()), d.usage, palette);
}

std::vector<COLORREF> Row(const GdiBitmap& b, int y) {
  std::vector<COLORREF> v;
  for (int x = 0; x < b.Width(); ++x) v.push_back(b.GetColor(x, y));
  return v;
}

constexpr COLORREF R = RGB(255, 0, 0), G = RGB(0, 255, 0), B = RGB(0, 0, 255), W = RGB(255, 255, 255), K = 0;

}  // namespace

TEST(EmfDib, EveryDepthAndCompressionTo24Bits) {
  struct Case {
    const char* name;
    Dib dib;
    std::vector<COLORREF> top, bottom;
  } cases[] = {
      {"1 bit", {3, 2, 1, BI_RGB, {0x000000, 0xFFFFFF}, {0xA0, 0, 0, 0, 0x40, 0, 0, 0}}, {K, W, K}, {W, K, W}},
      {"4 bit", {3, 2, 4, BI_RGB, {0xFF0000, 0x00FF00, 0x0000FF}, {0x01, 0x20, 0, 0, 0x21, 0x00, 0, 0}}, {B, G, R}, {R, G, B}},
      {"8 bit", {3, 2, 8, BI_RGB, {0xFF0000, 0x00FF00, 0x0000FF}, {2, 2, 2, 0, 0, 1, 2, 0}}, {R, G, B}, {B, B, B}},
      {"16 bit 5-5-5", {2, 1, 16, BI_RGB, {}, {0x00, 0x7C, 0x1F, 0x00}}, {R, B}, {R, B}},
      {"16 bit 5-6-5", {2, 1, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, {0xE0, 0x07, 0x1F, 0x00}}, {G, B}, {G, B}},
      {"24 bit", {2, 1, 24, BI_RGB, {}, {0xFF, 0, 0, 0, 0, 0xFF, 0, 0}}, {B, R}, {B, R}},
      {"32 bit", {2, 1, 32, BI_RGB, {}, {0, 0xFF, 0, 0x80, 0xFF, 0xFF, 0xFF, 0}}, {G, W}, {G, W}},
      {"32 bit odd masks", {1, 1, 32, BI_BITFIELDS, {0xFF000000, 0x00FF0000, 0x0000FF00}, {0x00, 0x00, 0x00, 0xFF}}, {R}, {R}},
      // Run-length rows are stored bottom first: three of index 1, end of line, an absolute run
      // of three (padded), end of bitmap.
      {"8 bit run-length", {3, 2, 8, BI_RLE8, {0xFF0000, 0x00FF00, 0x0000FF}, {3, 1, 0, 0, 0, 3, 2, 1, 0, 0, 0, 1}},
       {B, G, R}, {G, G, G}},
      {"4 bit run-length", {3, 2, 4, BI_RLE4, {0xFF0000, 0x00FF00, 0x0000FF}, {3, 0x22, 0, 0, 0, 3, 0x01, 0x20, 0, 1}},
       {R, G, B}, {B, B, B}},
  };
  for (const Case& c : cases) {
    std::shared_ptr<GdiBitmap> b;
    ASSERT_NO_THROW(b = Decode(c.dib)) << c.name;
    ASSERT_TRUE(b) << c.name;
    EXPECT_EQ(b->BitsPerPixel(), 24) << c.name;
    EXPECT_EQ(Row(*b, 0), c.top) << c.name;
    EXPECT_EQ(Row(*b, b->Height() - 1), c.bottom) << c.name;
  }
}

TEST(EmfDib, PaletteIndicesAndRefusals) {
  // 16-bit indices into the selected palette.
  auto b = Decode(Dib{3, 1, 8, BI_RGB, {2, 0, 1}, {0, 1, 2, 0}, DIB_PAL_COLORS});
  EXPECT_EQ(Row(*b, 0), (std::vector<COLORREF>{RGB(70, 80, 90), RGB(10, 20, 30), RGB(40, 50, 60)}));
  EXPECT_THROW(Decode(Dib{2, 2, 0, BI_JPEG, {}, {0xFF, 0xD8, 0xFF, 0xD9}}), EInvalidGraphic);
  EXPECT_THROW(Decode(Dib{2, 2, 0, BI_PNG, {}, {0x89, 'P', 'N', 'G'}}), EInvalidGraphic);
  EXPECT_THROW(Decode(Dib{2, 2, 24, BI_RGB, {}, {1, 2, 3}}), EInvalidGraphic);  // rows missing
  EXPECT_THROW(Decode(Dib{1 << 15, 1 << 14, 1, BI_RGB, {0, 0xFFFFFF}, {0}}), Exception);
  // No bitmap at all.
  ENHMETARECORD r;
  EXPECT_EQ(DecodeRecordDib24(r, 0, 0, 0, 0, DIB_RGB_COLORS), nullptr);
}
