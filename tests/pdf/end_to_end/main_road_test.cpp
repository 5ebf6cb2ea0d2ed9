// The application's road through the library API alone: an image file is imported into the
// one-page document, the page is sized to the image, the image is placed at (1, 1) and the
// page is rendered. Oracles: the source picture (decoded by Pillow) shifted one pixel right
// and down on white, and poppler's rendering of the same document written out as a PDF file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "pdf/core/api/talvo_pdf.h"
#include "pdf/core/document/pdf_document.h"
#include "platform/rtl/streams.h"
#include "tests/pdf/end_to_end/raster_compare.h"
#include "tests/pdf/support/pdf_test_writer.h"
#include "tests/support/test_support.h"

namespace {

using testsupport::TempDir;
using namespace testraster;

struct RoadCase {
  const char* name;
  const char* file;     // file name: Pillow picks the format by its extension
  const char* options;  // extra Pillow save arguments
  int width, height;
};

const RoadCase kCases[] = {
    {"bmp24", "pic.bmp", "", 37, 23},
    {"png_rgb", "pic.png", "", 40, 17},
    {"png_grey", "grey.png", "", 21, 30},
    {"jpeg", "pic.jpg", "quality=95", 48, 32},
};

void PrintTo(const RoadCase& c, std::ostream* os) { *os << c.name; }

class MainRoad : public ::testing::TestWithParam<RoadCase> {};

// The document side of the road: the placed image as poppler draws it equals the picture
// shifted by one pixel on white.
TEST_P(MainRoad, PlacedImageMatchesPopplerRendering) {
  REQUIRE_TOOL("pdftoppm");
  REQUIRE_TOOL("pdftocairo");
  if (PythonWithPIL().empty()) GTEST_SKIP() << "needs python3 with Pillow";
  const RoadCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.File(c.file);
  ASSERT_TRUE(MakeTestPicture(path, c.width, c.height, c.options));
  const Raster source = DecodeWithPillow(path);
  ASSERT_EQ(source.Width, c.width);

  TOrvanePDFLibrary0915 api;
  ASSERT_EQ(api.SetCoordinateOrigin(1), 1);
  ASSERT_EQ(api.SetUnits(0), 1);
  const int32_t handle = api.LoadImageFile(FileNameToWide(path), 0);
  ASSERT_NE(handle, 0) << c.name;
  ASSERT_EQ(api.SetCurrentImage(handle), 1);
  const int w = api.CurrentImageWidth(), h = api.CurrentImageHeight();
  ASSERT_EQ(w, c.width);
  ASSERT_EQ(h, c.height);
  ASSERT_EQ(api.SetPageSize(w, h), 1);
  ASSERT_EQ(api.PlaceImage(1, 1, w, h), 1);
  ASSERT_EQ(api.SetCurrentPage(1), 1);

  const std::string pdf = dir.File("road.pdf");
  testpdf::WriteDocument(*api.CurrentDocument(), pdf);
  if (testsupport::HaveTool("qpdf")) {
    std::string out;
    EXPECT_EQ(testsupport::Run("qpdf --check " + pdf + " 2>&1", &out), 0) << out;
  }
  const Raster expected = ShiftedOnWhite(source);
  const Raster cairo = RenderWithPopplerCairo(pdf, dir.File("cairo"));
  EXPECT_LE(MaxDifference(cairo, expected), 2) << c.name;
  // Splash stretches the image by one pixel, so only the page and the margin are exact there;
  // the image's solid top-left block lies away from any stretched edge.
  const Raster splash = RenderWithPoppler(pdf, dir.File("splash"));
  ASSERT_EQ(splash.Width, w);
  ASSERT_EQ(splash.Height, h);
  EXPECT_EQ(MaxDifference(Crop(splash, 0, 0, w, 1), Crop(expected, 0, 0, w, 1)), 0);
  EXPECT_EQ(MaxDifference(Crop(splash, 0, 0, 1, h), Crop(expected, 0, 0, 1, h)), 0);
  EXPECT_LE(MaxDifference(Crop(splash, 2, 2, w / 3 - 2, h / 3 - 2), Crop(expected, 2, 2, w / 3 - 2, h / 3 - 2)), 2);
}

// The whole road: the page rendered by the library at 72 dpi as a BMP is the picture shifted
// by one pixel on white, and agrees with poppler's rendering of the same document.
TEST_P(MainRoad, RenderedPageIsTheShiftedPicture) {
  REQUIRE_TOOL("pdftocairo");
  if (PythonWithPIL().empty()) GTEST_SKIP() << "needs python3 with Pillow";
  const RoadCase& c = GetParam();
  TempDir dir;
  const std::string path = dir.File(c.file);
  ASSERT_TRUE(MakeTestPicture(path, c.width, c.height, c.options));
  const Raster source = DecodeWithPillow(path);

  TOrvanePDFLibrary0915 api;
  api.SetCoordinateOrigin(1);
  api.SetUnits(0);
  const int32_t handle = api.LoadImageFile(FileNameToWide(path), 0);
  ASSERT_NE(handle, 0);
  ASSERT_EQ(api.SetCurrentImage(handle), 1);
  const int w = api.CurrentImageWidth(), h = api.CurrentImageHeight();
  ASSERT_EQ(api.SetPageSize(w, h), 1);
  ASSERT_EQ(api.PlaceImage(1, 1, w, h), 1);
  ASSERT_EQ(api.SetCurrentPage(1), 1);
  TMemoryStream bmp;
  ASSERT_EQ(api.RenderPage(72, 1, 0, bmp), 1) << api.RenderMessage();
  const std::string bytes = bmp.DataString();
  ASSERT_GE(bytes.size(), 54u);
  EXPECT_EQ(static_cast<uint8_t>(bytes[38]) | static_cast<uint8_t>(bytes[39]) << 8, 2834);
  EXPECT_EQ(static_cast<uint8_t>(bytes[42]) | static_cast<uint8_t>(bytes[43]) << 8, 2834);
  const Raster page = ReadBmp(bytes);
  ASSERT_EQ(page.Width, w);
  ASSERT_EQ(page.Height, h);
  EXPECT_LE(MaxDifference(page, ShiftedOnWhite(source)), 2) << c.name;

  const std::string pdf = dir.File("road.pdf");
  testpdf::WriteDocument(*api.CurrentDocument(), pdf);
  EXPECT_LE(MaxDifference(page, RenderWithPopplerCairo(pdf, dir.File("cairo"))), 2) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Files, MainRoad, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
