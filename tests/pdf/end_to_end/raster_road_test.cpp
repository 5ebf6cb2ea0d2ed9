// The whole road for TIFF and GIF files, as the application drives it: the API object loads the
// file (options 1 for TIFF files, 0 for GIF files), places it at (1, 1) on a page of its size,
// renders page 1 at 72 dpi as a BMP into a memory stream. The page must be the picture libtiff
// (Pillow for JPEG pages) or giftopnm decodes, shifted one pixel right and down on white.
#include <gtest/gtest.h>

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

}  // namespace
