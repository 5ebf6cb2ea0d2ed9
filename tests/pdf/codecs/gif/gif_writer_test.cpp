// GIF output against a reference quantiser written in Python from the octree's rules, read
// back by Pillow, giftopnm and the library's own GIF decoder.
#include "pdf/codecs/gif/gif_writer.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "pdf/codecs/gif/gif_decoder.h"
#include "pdf/codecs/gif/gif_quantizer.h"
#include "platform/gdi/bitmap.h"
#include "platform/gdi/palette.h"
#include "platform/rtl/streams.h"
#include "tests/pdf/codecs/output/output_test_util.h"
#include "tests/pdf/end_to_end/raster_compare.h"
#include "tests/support/test_support.h"

namespace {

using outputtest::Fill24;
using outputtest::Picture;
using outputtest::RGB;
using testraster::Raster;


const char* kPillowInfo = R"PY(
import sys
from PIL import Image
im = Image.open(sys.argv[1])
print(im.format, im.mode, im.size[0], im.size[1], len(im.getpalette()) // 3, getattr(im, 'n_frames', 1),
      im.info.get('version', b'').decode())
)PY";

std::vector<Picture> Pictures() {
  return {
      {"gradient", 64, 48,
       [](int x, int y) {
         if (x < 20 && y < 16) return RGB{200, 30, 60};
         return RGB{uint8_t(x * 4), uint8_t(y * 5), uint8_t((x / 4 + y / 4) % 2 ? 255 : 0)};
       }},
      {"noise", 61, 37,
       [](int x, int y) {
         outputtest::Noise n(uint32_t(y * 61 + x) * 2654435761u);
         return RGB{n.Next(), n.Next(), n.Next()};
       }},
      {"few_colours", 30, 20,
       [](int x, int y) {
         // 150 colours whose top five bits differ.
         const int i = (x * 7 + y * 3) % 150;
         return RGB{uint8_t((i % 5) * 60), uint8_t((i / 5 % 6) * 48), uint8_t((i / 30) * 56)};
       }},
      {"one_pixel", 1, 1, [](int, int) { return RGB{1, 2, 3}; }},
      {"tall", 3, 300, [](int x, int y) { return RGB{uint8_t(y), uint8_t(x * 80), uint8_t(255 - y / 2)}; }},
  };
}

std::string Bytes(const Picture& p) {
  std::string rgb;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const RGB c = p.colour(x, y);
      rgb += char(c.R);
      rgb += char(c.G);
      rgb += char(c.B);
    }
  return rgb;
}

std::string WriteGif(TBitmap& bitmap) {
  TPDFGIFWriter writer;
  EXPECT_TRUE(writer.SetBitmap(bitmap));
  TMemoryStream out;
  EXPECT_TRUE(writer.SaveToStream(out));
  return out.DataString();
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string s;
  for (uint8_t b : bytes) {
    s += digits[b >> 4];
    s += digits[b & 15];
  }
  return s;
}

TEST(GIFWriter, FileLayout) {
  TBitmap bitmap;
  Fill24(bitmap, 300, 2, [](int x, int) { return x % 2 ? RGB{255, 255, 255} : RGB{0, 0, 255}; });
  const std::string gif = WriteGif(bitmap);
  ASSERT_GT(gif.size(), 13u + 10u + 768u + 4u);
  EXPECT_EQ(gif.substr(0, 6), "GIF87a");
  EXPECT_EQ(gif.substr(6, 7), std::string("\x2C\x01\x02\x00\x70\x00\x00", 7));
  EXPECT_EQ(gif.substr(13, 10), std::string("\x2C\x00\x00\x00\x00\x2C\x01\x02\x00\x87", 10));
  // Leaves in walk order: blue (child 1) before white (child 7); the rest of the table black.
  EXPECT_EQ(gif.substr(23, 6), std::string("\x00\x00\xFF\xFF\xFF\xFF", 6));
  EXPECT_EQ(gif.substr(29, 762), std::string(762, '\0'));
  EXPECT_EQ(gif[23 + 768], '\x08');  // minimum code size
  EXPECT_EQ(gif.back(), ';');
  EXPECT_EQ(gif[gif.size() - 2], '\0');  // block terminator
}

TEST(GIFWriter, MatchesTheReferenceQuantiserThroughPillowAndGiftopnm) {
  if (testraster::PythonWithPIL().empty()) GTEST_SKIP() << "needs python3 with Pillow";
  testsupport::TempDir dir;
  for (const Picture& p : Pictures()) {
    testsupport::WriteFile(dir.File("rgb"), Bytes(p));
    std::string expected;
    ASSERT_EQ(outputtest::RunPython(outputtest::kReferenceQuantiser,
                                    dir.File("rgb") + " " + std::to_string(p.width) + " " + std::to_string(p.height),
                                    &expected, dir.path()),
              0)
        << p.name;
    while (!expected.empty() && expected.back() == '\n') expected.pop_back();

    TBitmap bitmap;
    Fill24(bitmap, p);
    const std::string gif = WriteGif(bitmap);
    const std::string path = dir.File(std::string(p.name) + ".gif");
    testsupport::WriteFile(path, gif);

    const Raster pillow = testraster::DecodeWithPillow(path);
    ASSERT_EQ(pillow.Width, p.width) << p.name;
    ASSERT_EQ(pillow.Height, p.height) << p.name;
    EXPECT_EQ(Hex(pillow.RGB), expected) << p.name;

    std::string info;
    ASSERT_EQ(outputtest::RunPython(kPillowInfo, path, &info, dir.path()), 0);
    EXPECT_EQ(info, "GIF P " + std::to_string(p.width) + " " + std::to_string(p.height) + " 256 1 GIF87a\n")
        << p.name;

    if (testsupport::HaveTool("giftopnm")) {
      std::string warnings;
      ASSERT_EQ(testsupport::Run("giftopnm " + path + " 2>&1 >" + dir.File("out.ppm"), &warnings), 0) << p.name;
      EXPECT_EQ(warnings, "") << p.name;
      const Raster netpbm = testraster::DecodeWithPillow(dir.File("out.ppm"));
      EXPECT_EQ(netpbm.RGB, pillow.RGB) << p.name;
    }
  }
}

TEST(GIFWriter, ReadBackByTheLibraryDecoder) {
  for (const Picture& p : Pictures()) {
    TBitmap bitmap;
    Fill24(bitmap, p);
    TPDFGIFWriter writer;
    ASSERT_TRUE(writer.SetBitmap(bitmap));
    const Raster quantised = outputtest::ToRaster(*writer.QuantizedBitmap);
    TMemoryStream out;
    ASSERT_TRUE(writer.SaveToStream(out));
    out.SetPosition(0);
    TPDFGIFDecoder decoder;
    decoder.LoadFromStream(out);
    TBitmap back;
    ASSERT_TRUE(decoder.GetFrameBitmap(back)) << p.name;
    EXPECT_EQ(decoder.Version, "87a");
    ASSERT_EQ(decoder.Frames.size(), 1u);
    EXPECT_EQ(outputtest::ToRaster(back).RGB, quantised.RGB) << p.name;
  }
}

// Up to 256 colours in distinct cells survive exactly; colours that share a cell (the same
// top five bits of each channel) share the first such palette entry.
TEST(GIFWriter, FewColoursAreKeptExactly) {
  const Picture p = Pictures()[2];
  TBitmap bitmap;
  Fill24(bitmap, p);
  const Raster source = outputtest::ToRaster(bitmap);
  TPDFGIFWriter writer;
  ASSERT_TRUE(writer.SetBitmap(bitmap));
  EXPECT_EQ(outputtest::ToRaster(*writer.QuantizedBitmap).RGB, source.RGB);

  TBitmap near;
  Fill24(near, 4, 1, [](int x, int) { return x < 2 ? RGB{64, 64, 64} : RGB{71, 70, 69}; });
  ASSERT_TRUE(writer.SetBitmap(near));
  const uint8_t* row = writer.QuantizedBitmap->ScanLine(0);
  EXPECT_EQ(row[0], row[3]);
  std::set<std::tuple<int, int, int>> palette;
  for (int i = 0; i < 2; ++i)
    palette.insert({writer.PaletteEntries[i].peRed, writer.PaletteEntries[i].peGreen, writer.PaletteEntries[i].peBlue});
  EXPECT_TRUE(palette.count({64, 64, 64}));
  EXPECT_TRUE(palette.count({71, 70, 69}));
}

TEST(GIFWriter, CallersBitmapBecomes24Bit) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf32bit);
  bitmap.SetSize(5, 5);
  bitmap.Dib().Fill(0x00336699);
  TPDFGIFWriter writer;
  ASSERT_TRUE(writer.SetBitmap(bitmap));
  EXPECT_EQ(bitmap.PixelFormat(), pf24bit);
  EXPECT_EQ(writer.Width, 5);
  EXPECT_EQ(writer.PaletteEntries[0].peRed, 0x99);
  EXPECT_EQ(writer.PaletteEntries[0].peGreen, 0x66);
  EXPECT_EQ(writer.PaletteEntries[0].peBlue, 0x33);
}

TEST(GIFWriter, SizesAGIFCannotHoldAreRefused) {
  TPDFGIFWriter writer;
  TMemoryStream out;
  EXPECT_FALSE(writer.SaveToStream(out));  // nothing quantised yet
  EXPECT_EQ(out.Size(), 0);

  TBitmap ok;
  Fill24(ok, 3, 3, [](int, int) { return RGB{9, 9, 9}; });
  ASSERT_TRUE(writer.SetBitmap(ok));

  struct Case {
    const char* name;
    int width, height;
  } cases[] = {{"empty", 0, 0}, {"no rows", 10, 0}, {"too wide", 65536, 1}, {"too high", 1, 65536}};
  for (const Case& c : cases) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(c.width, c.height);
    EXPECT_FALSE(writer.SetBitmap(bitmap)) << c.name;
    EXPECT_EQ(writer.QuantizedBitmap, nullptr) << c.name;  // the earlier picture is gone too
    EXPECT_FALSE(writer.SaveToStream(out)) << c.name;
    EXPECT_EQ(out.Size(), 0) << c.name;
  }
  // The largest side a GIF can say is written.
  TBitmap widest;
  Fill24(widest, 65535, 1, [](int x, int) { return RGB{uint8_t(x), 0, 0}; });
  ASSERT_TRUE(writer.SetBitmap(widest));
  ASSERT_TRUE(writer.SaveToStream(out));
  const std::string gif = out.DataString();
  EXPECT_EQ(gif.substr(6, 4), std::string("\xFF\xFF\x01\x00", 4));
}

// Every pixel of a large white page falls into one leaf: its sums pass 32 bits.
TEST(GIFWriter, LargeUniformPageKeepsItsColour) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(4200, 4100);  // SetSize fills with white
  TPDFGIFWriter writer;
  ASSERT_TRUE(writer.SetBitmap(bitmap));
  EXPECT_EQ(writer.PaletteEntries[0].peRed, 255);
  EXPECT_EQ(writer.PaletteEntries[0].peGreen, 255);
  EXPECT_EQ(writer.PaletteEntries[0].peBlue, 255);
}

TEST(ColorQuantizer, PaletteBoundsAndLookupRules) {
  // 4096 colours reduce to at most 256 leaves.
  TBitmap bitmap;
  Fill24(bitmap, 64, 64, [](int x, int y) { return RGB{uint8_t(x * 4), uint8_t(y * 4), uint8_t((x ^ y) * 4)}; });
  TColorQuantizer q(256, 8);
  const auto result = q.Quantize(bitmap);
  ASSERT_NE(result, nullptr);
  EXPECT_LE(q.LeafCount, 256);
  EXPECT_LE(q.Colors().size(), 256u);
  EXPECT_EQ(result->PixelFormat(), pf8bit);
  EXPECT_EQ(result->Dib().Colors().size(), 256u);
  // Every pixel lies within the cell-sized error of its leaf after merging.
  const Raster source = outputtest::ToRaster(bitmap), mapped = outputtest::ToRaster(*result);
  long total = 0;
  for (size_t i = 0; i < source.RGB.size(); ++i) total += std::abs(int(source.RGB[i]) - int(mapped.RGB[i]));
  EXPECT_LT(double(total) / double(source.RGB.size()), 12.0);

  // A quantiser of fewer colours keeps fewer leaves; a 16-bit source is refused.
  TColorQuantizer small(8, 8);
  ASSERT_NE(small.Quantize(bitmap), nullptr);
  EXPECT_LE(small.Colors().size(), 8u);
  TBitmap other;
  other.SetPixelFormat(pf16bit);
  other.SetSize(2, 2);
  EXPECT_EQ(TColorQuantizer(256, 8).Quantize(other), nullptr);
  // Degenerate settings stay usable.
  TColorQuantizer one(0, 0);
  ASSERT_NE(one.Quantize(bitmap), nullptr);
  EXPECT_EQ(one.Colors().size(), 1u);

  // Nearest colour: the first of equal distances wins, and the cell remembers it.
  std::vector<PALETTEENTRY> entries = {{100, 0, 0, 0}, {0, 100, 0, 0}, {0, 0, 100, 0}};
  const HPALETTE palette = CreatePalette(entries);
  TFastColorLookup lookup(palette);
  EXPECT_EQ(lookup.EntryCount, 3);
  EXPECT_EQ(lookup.Lookup(50, 50, 0), 0);
  EXPECT_EQ(lookup.Lookup(0, 60, 40), 1);
  EXPECT_EQ(lookup.Lookup(0, 60, 44), 1);  // same cell as the last
  EXPECT_EQ(lookup.Lookup(0, 0, 103), 2);
  DeleteObject(palette);
  TFastColorLookup none(nullptr);
  EXPECT_EQ(none.Lookup(1, 2, 3), 0);
}

}  // namespace
