// The whole road for TIFF, GIF and icon files, as the application drives it: the API object loads
// the file (options 1 for TIFF files, 0 for GIF files, 8 for icons), places it at (1, 1) on a page of its size,
// renders page 1 at 72 dpi as a BMP into a memory stream. The page must be the picture libtiff
// (Pillow for JPEG pages) or giftopnm decodes, shifted one pixel right and down on white.
#include <gtest/gtest.h>

#include <algorithm>

#include "pdf/core/api/talvo_pdf.h"
#include "tests/pdf/end_to_end/raster_compare.h"
#include "tests/pdf/image_support/image_cases.h"
#include "tests/pdf/image_support/raster_sets.h"
#include "tests/pdf/image_support/tiff_build.h"

using namespace testraster;
using rastertest::RasterSet;

namespace {

// The page the API renders for the file, read from its BMP; empty when anything fails.
Raster RenderThroughAPI(const std::string& file, int32_t options, std::string* message = nullptr) {
  TOrvanePDFLibrary0915 api;
  api.SetCoordinateOrigin(1);
  api.SetUnits(0);
  const int32_t handle = api.LoadImageFile(FileNameToWide(file), options);
  if (handle == 0 || api.SetCurrentImage(handle) != 1) return {};
  const int w = api.CurrentImageWidth(), h = api.CurrentImageHeight();
  if (api.SetPageSize(w, h) != 1 || api.PlaceImage(1, 1, w, h) != 1 || api.SetCurrentPage(1) != 1) return {};
  TMemoryStream bmp;
  const int32_t rendered = api.RenderPage(72, 1, 0, bmp);
  if (message) *message = api.RenderMessage();
  if (rendered != 1) return {};
  return ReadBmp(bmp.View());
}

Raster Expected(const std::string& rgb, size_t offset, int w, int h) {
  Raster r;
  r.Width = w;
  r.Height = h;
  const size_t bytes = size_t(w) * size_t(h) * 3;
  if (offset + bytes <= rgb.size()) r.RGB.assign(rgb.begin() + long(offset), rgb.begin() + long(offset + bytes));
  return ShiftedOnWhite(r);
}

// Every page of every TIFF fixture (every compression, strip and tile layout, byte and fill
// order, sample depth and colour model), as the page bitmap.
TEST(RasterRoad, EveryTIFFFixtureRendersAsThePicture) {
  REQUIRE_RASTER_TOOLS();
  const auto& set = RasterSet::Get("tiff");
  ASSERT_TRUE(set.ok()) << set.error();
  testsupport::TempDir dir;
  int pages = 0;
  for (const auto& c : set.Cases()) {
    SCOPED_TRACE(c.name);
    const std::string rgb = set.Read(c.name + ".rgb");
    size_t offset = 0;
    for (int page = 1; page <= c.Int("pages"); ++page) {
      std::string message;
      const Raster drawn = RenderThroughAPI(set.Path(c.Get("file")), page, &message);
      ASSERT_GT(drawn.Width, 0) << "page " << page << ": " << message;
      Raster expected = Expected(rgb, offset, drawn.Width, drawn.Height);
      offset += size_t(drawn.Width) * size_t(drawn.Height) * 3;
      if (c.name.find("cmyk") != std::string::npos) {
        // Ink turns into colour the library's way: the plain samples Pillow reads, drawn alike.
        const std::string plain = dir.File("plain.tif");
        testsupport::WriteFile(plain, tifftest::PlainTIFF(uint32_t(drawn.Width), uint32_t(drawn.Height), 8, 4, 5,
                                                           set.Read(c.name + ".cmyk")));
        expected = RenderThroughAPI(plain, 1);
      }
      const int tolerance = c.Get("path") == "jpeg" ? 2 : 0;
      EXPECT_LE(MaxDifference(drawn, expected), tolerance) << "page " << page;
      ++pages;
    }
  }
  EXPECT_GT(pages, 180);
}

// CMYK JPEG files, with the Adobe segment (stored inverted) and without it (the inks as they
// are), render like the plain CMYK samples of the same inks.
TEST(RasterRoad, CMYKJPEGFilesRenderLikeTheirInks) {
  REQUIRE_IMAGE_TOOLS();
  const imagetest::ImageSet& set = imagetest::ImageSet::Get("jpeg");
  ASSERT_TRUE(set.ok()) << set.error();
  testsupport::TempDir dir;
  for (const char* name : {"cmyk", "cmyk_plain"}) {
    SCOPED_TRACE(name);
    const auto& c = set.Case(name);
    const std::string plain = dir.File("plain.tif");
    testsupport::WriteFile(plain, tifftest::PlainTIFF(uint32_t(c.Int("width")), uint32_t(c.Int("height")), 8, 4, 5,
                                                       set.Read(name + std::string(".cmyk"))));
    std::string message;
    const Raster drawn = RenderThroughAPI(set.Path(c.Get("file")), 0, &message), expected = RenderThroughAPI(plain, 1);
    ASSERT_GT(drawn.Width, 0) << message;
    EXPECT_LE(MaxDifference(drawn, expected), 2);
  }
}

// Pages a million rows high (the page's size cap allows one), in strips and in tiles of prime
// heights: every strip and tile lands on its own rows, the last ones cut by the page. The samples
// differ from row to row and column to column, so a piece placed a row off shows.
TEST(RasterRoad, TallPagesInStripsAndTilesRenderAsThePicture) {
  using tifftest::Builder;
  struct Layout {
    const char* name;
    uint32_t width, height, pieceWidth, pieceHeight;  // pieceWidth 0: strips
  };
  const Layout layouts[] = {{"strips of 997 rows", 3, 1000003, 0, 997},
                            {"strips of 4,093 rows", 5, 999983, 0, 4093},
                            {"tiles of 16 x 4,096", 19, 1000003, 16, 4096}};
  for (const Layout& l : layouts) {
    SCOPED_TRACE(l.name);
    const auto sample = [](uint32_t x, uint32_t y) { return uint8_t((y * 7 + y / 251 + x * 80) & 0xFF); };
    const bool tiled = l.pieceWidth != 0;
    const uint32_t pieceWidth = tiled ? l.pieceWidth : l.width;
    const uint32_t across = (l.width + pieceWidth - 1) / pieceWidth, down = (l.height + l.pieceHeight - 1) / l.pieceHeight;
    Builder b;
    std::vector<uint32_t> offsets, counts;
    for (uint32_t r = 0; r < down; ++r)
      for (uint32_t c = 0; c < across; ++c) {
        // Strips end with the page; tiles are whole, their samples past the page 0.
        const uint32_t rows = tiled ? l.pieceHeight : std::min(l.pieceHeight, l.height - r * l.pieceHeight);
        std::string piece;
        piece.reserve(size_t(rows) * pieceWidth);
        for (uint32_t y = r * l.pieceHeight; y < r * l.pieceHeight + rows; ++y)
          for (uint32_t x = c * pieceWidth; x < (c + 1) * pieceWidth; ++x)
            piece += char(x < l.width && y < l.height ? sample(x, y) : 0);
        offsets.push_back(b.Data(piece));
        counts.push_back(uint32_t(piece.size()));
      }
    std::vector<tifftest::Entry> entries = {Builder::Long(256, {l.width}), Builder::Long(257, {l.height}),
                                            Builder::Short(258, {8}), Builder::Short(259, {1}), Builder::Short(262, {1})};
    if (tiled) {
      entries.insert(entries.end(), {Builder::Long(322, {l.pieceWidth}), Builder::Long(323, {l.pieceHeight}),
                                     Builder::Long(324, offsets), Builder::Long(325, counts)});
    } else {
      entries.insert(entries.end(), {Builder::Long(273, offsets), Builder::Short(277, {1}),
                                     Builder::Long(278, {l.pieceHeight}), Builder::Long(279, counts)});
    }
    b.SetFirst(b.Directory(entries));
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.File("tall.tif"), b.bytes());
    std::string message;
    const Raster drawn = RenderThroughAPI(dir.File("tall.tif"), 1, &message);
    ASSERT_EQ(drawn.Width, int(l.width)) << message;
    ASSERT_EQ(drawn.Height, int(l.height));
    Raster picture;
    picture.Width = int(l.width);
    picture.Height = int(l.height);
    picture.RGB.reserve(size_t(l.width) * l.height * 3);
    for (uint32_t y = 0; y < l.height; ++y)
      for (uint32_t x = 0; x < l.width; ++x) picture.RGB.insert(picture.RGB.end(), 3, sample(x, y));
    const Raster expected = ShiftedOnWhite(picture);
    int wrongRows = 0;
    for (int y = 0; y < drawn.Height; ++y)
      if (!std::equal(drawn.At(0, y), drawn.At(0, y) + size_t(drawn.Width) * 3, expected.At(0, y)) && ++wrongRows <= 3)
        ADD_FAILURE() << "row " << y;
    EXPECT_EQ(wrongRows, 0);
  }
}

// Every GIF fixture (global and local tables, interlacing, frames of their own size and place).
TEST(RasterRoad, EveryGIFFixtureRendersAsThePicture) {
  REQUIRE_RASTER_TOOLS();
  const auto& set = RasterSet::Get("gif");
  ASSERT_TRUE(set.ok()) << set.error();
  for (const auto& c : set.Cases()) {
    SCOPED_TRACE(c.name);
    std::string message;
    const Raster drawn = RenderThroughAPI(set.Path(c.Get("file")), 0, &message);
    ASSERT_EQ(drawn.Width, c.Int("width")) << message;
    EXPECT_EQ(MaxDifference(drawn, Expected(set.Read(c.name + ".rgb"), 0, c.Int("width"), c.Int("height"))), 0);
  }
}

// Every icon fixture (Pillow's PNG and BMP entries, ImageMagick's, DIB entries of every depth
// with and without their masks, PNG entries of every colour type with transparency), read by the
// road of its entry's own format: the page shows the entry nearest 8 x 8 as Pillow decodes it,
// on white.
TEST(RasterRoad, EveryIconFixtureRendersAsItsEntryShowsOnWhite) {
  REQUIRE_RASTER_TOOLS();
  const auto& set = RasterSet::Get("ico");
  ASSERT_TRUE(set.ok()) << set.error();
  ASSERT_GE(set.Cases().size(), 17u);
  for (const auto& c : set.Cases()) {
    SCOPED_TRACE(c.name);
    std::string message;
    const Raster drawn = RenderThroughAPI(set.Path(c.Get("file")), 8, &message);
    ASSERT_EQ(drawn.Width, c.Int("width")) << message;
    ASSERT_EQ(drawn.Height, c.Int("height"));
    EXPECT_LE(MaxDifference(drawn, Expected(set.Read(c.name + ".rgb"), 0, c.Int("width"), c.Int("height"))),
              c.Int("tolerance"));
  }
}

}  // namespace
