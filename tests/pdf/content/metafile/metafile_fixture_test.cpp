// The fixtures of tests/data/metafile (written by libUEMF) against their expected pictures (made
// by LibreOffice, Inkscape or by hand, see oracles.txt): at least 97 percent of the pixels within
// 24 levels, and no shape in the wrong place (the worst 3 x 3 neighbourhood agrees too).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "pdf/core/api/talvo_pdf.h"
#include "pdf/core/document/pdf_document.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/strings.h"
#include "tests/pdf/content/metafile/metafile_test_support.h"
#include "tests/pdf/end_to_end/raster_compare.h"
#include "tests/pdf/support/pdf_test_writer.h"
#include "tests/support/test_support.h"

namespace {

using mftest::RenderThroughApi;
using testraster::Raster;

std::vector<std::string> FixtureNames(const std::string& prefix) {
  std::ifstream in(testsupport::DataPath("metafile/oracles.txt"));
  std::vector<std::string> names;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string name;
    if (!(words >> name) || name[0] == '#') continue;
    if (name.rfind(prefix, 0) == 0) names.push_back(name);
  }
  return names;
}

// The picture moved half a pixel right and down (each pixel the mean of a 2 x 2 block). The
// player strokes lines through pixel centres while some renderers stroke them along pixel
// edges; anti-aliased edges of the two then differ by half a pixel.
Raster HalfPixelShifted(const Raster& r) {
  Raster out = r;
  for (int y = 0; y < r.Height; ++y)
    for (int x = 0; x < r.Width; ++x)
      for (int c = 0; c < 3; ++c) {
        const int x0 = std::max(x - 1, 0), y0 = std::max(y - 1, 0);
        out.RGB[(size_t(y) * r.Width + x) * 3 + c] =
            uint8_t((r.At(x0, y0)[c] + r.At(x, y0)[c] + r.At(x0, y)[c] + r.At(x, y)[c] + 2) / 4);
      }
  return out;
}

bool Near(const uint8_t* p, const uint8_t* q, int tolerance) {
  return std::abs(p[0] - q[0]) <= tolerance && std::abs(p[1] - q[1]) <= tolerance && std::abs(p[2] - q[2]) <= tolerance;
}

// The share of pixels whose channels all lie within tolerance of the expected picture's, or of
// that picture half a pixel on.
double Agreement(const Raster& ours, const Raster& expected, int tolerance) {
  if (ours.Width != expected.Width || ours.Height != expected.Height || ours.Width == 0) return 0;
  const Raster shifted = HalfPixelShifted(expected);
  int same = 0;
  for (int y = 0; y < ours.Height; ++y)
    for (int x = 0; x < ours.Width; ++x)
      same += Near(ours.At(x, y), expected.At(x, y), tolerance) || Near(ours.At(x, y), shifted.At(x, y), tolerance);
  return double(same) / (ours.Width * ours.Height);
}

// Pixels of ours outside the range of the expected picture's 3 x 3 neighbourhood (widened by
// the tolerance): edges drawn a little differently pass, a shape in the wrong place does not.
int Misplaced(const Raster& ours, const Raster& expected, int tolerance) {
  int count = 0;
  for (int y = 0; y < ours.Height; ++y)
    for (int x = 0; x < ours.Width; ++x)
      for (int c = 0; c < 3; ++c) {
        int lo = 255, hi = 0;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            const int xx = std::clamp(x + dx, 0, ours.Width - 1), yy = std::clamp(y + dy, 0, ours.Height - 1);
            lo = std::min<int>(lo, expected.At(xx, yy)[c]);
            hi = std::max<int>(hi, expected.At(xx, yy)[c]);
          }
        const int v = ours.At(x, y)[c];
        if (v < lo - tolerance || v > hi + tolerance) {
          ++count;
          break;
        }
      }
  return count;
}

void Dump(const Raster& r, const std::string& path) {
  std::string ppm = "P6\n" + std::to_string(r.Width) + " " + std::to_string(r.Height) + "\n255\n";
  ppm.append(reinterpret_cast<const char*>(r.RGB.data()), r.RGB.size());
  testsupport::WriteFile(path, ppm);
}

std::string FixtureFile(const std::string& name) {
  const std::string emf = testsupport::DataPath("metafile/" + name + ".emf");
  return std::ifstream(emf).good() ? emf : testsupport::DataPath("metafile/" + name + ".wmf");
}

class MetafileFixture : public ::testing::TestWithParam<std::string> {};

// At 96 dpi a pixel of the 96-dpi reference device is a pixel of the page: the page is the
// expected picture one pixel right and down on white.
TEST_P(MetafileFixture, RenderedPageIsTheExpectedPicture) {
  if (testraster::PythonWithPIL().empty()) GTEST_SKIP() << "needs python3 with Pillow";
  const std::string name = GetParam();
  const Raster expected =
      testraster::ShiftedOnWhite(testraster::DecodeWithPillow(testsupport::DataPath("metafile/" + name + ".png")));
  ASSERT_GT(expected.Width, 0);
  std::string message;
  const char* dump = std::getenv("VELMORA_METAFILE_DUMP");
  const Raster ours =
      RenderThroughApi(FixtureFile(name), 96, 0.75, &message, dump ? std::string(dump) + "/" + name + ".pdf" : "");
  ASSERT_EQ(ours.Width, expected.Width) << name;
  ASSERT_EQ(ours.Height, expected.Height) << name;
  EXPECT_EQ(message, "");
  if (const char* dir = std::getenv("VELMORA_METAFILE_DUMP")) Dump(ours, std::string(dir) + "/" + name + ".ppm");
  EXPECT_GE(Agreement(ours, expected, 24), 0.97) << name;
  EXPECT_LE(Misplaced(ours, expected, 24), expected.Width * expected.Height / 100) << name;
}

// The application's own road at 72 dpi: the page has the picture's size in points and shows
// the picture (compared with the expected picture reduced to that size).
TEST_P(MetafileFixture, MainRoadAt72DotsAnInch) {
  if (testraster::PythonWithPIL().empty()) GTEST_SKIP() << "needs python3 with Pillow";
  const std::string name = GetParam();
  const Raster expected = testraster::DecodeWithPillow(testsupport::DataPath("metafile/" + name + ".png"));
  std::string message;
  const Raster ours = RenderThroughApi(FixtureFile(name), 72, 1, &message);
  // The expected picture is the page at 96 dpi: the points at 72 dpi, rounded up to pixels.
  EXPECT_EQ(int(std::ceil(ours.Width * 96.0 / 72 - 1e-9)), expected.Width) << name;
  EXPECT_EQ(int(std::ceil(ours.Height * 96.0 / 72 - 1e-9)), expected.Height) << name;
  EXPECT_EQ(message, "");
  // Something of the picture is drawn: not the white page alone.
  int drawn = 0;
  for (size_t i = 0; i < ours.RGB.size(); ++i) drawn += ours.RGB[i] < 200;
  EXPECT_GT(drawn, 100) << name;
}

// Options -1: the platform's player draws the file into a bitmap of its size in pixels, on
// either back end of the canvas (GDI+ through the provider, plain GDI without one); placed
// one pixel right and down at 72 dpi, the page shows the expected picture. The player is the
// graphics layer's, whose wide pens made by CreatePen are solid whatever their style and whose
// hatches and curves are its own: its picture is held to a looser measure than the converter's.
TEST_P(MetafileFixture, RasterisedByThePlayerIsTheExpectedPicture) {
  if (testraster::PythonWithPIL().empty()) GTEST_SKIP() << "needs python3 with Pillow";
  const std::string name = GetParam();
  const Raster expected =
      testraster::ShiftedOnWhite(testraster::DecodeWithPillow(testsupport::DataPath("metafile/" + name + ".png")));
  ASSERT_GT(expected.Width, 0);
  for (const std::string& provider : {std::string(), std::string("/nonexistent/provider.so")}) {
    SCOPED_TRACE(provider.empty() ? "GDI+" : "GDI");
    std::string message;
    const Raster drawn = RenderThroughApi(FixtureFile(name), 72, 1, &message, "", -1, provider);
    if (const char* dir = std::getenv("VELMORA_METAFILE_DUMP"))
      Dump(drawn, std::string(dir) + "/" + name + (provider.empty() ? "-gdiplus" : "-gdi") + "-raster.ppm");
    // The bitmap has the picture's size in pixels, which may round a pixel away from the
    // form's size in points: the common part is compared.
    ASSERT_LE(std::abs(drawn.Width - expected.Width), 1) << name;
    ASSERT_LE(std::abs(drawn.Height - expected.Height), 1) << name;
    const int w = std::min(drawn.Width, expected.Width), h = std::min(drawn.Height, expected.Height);
    const Raster ours = testraster::Crop(drawn, 0, 0, w, h), theirs = testraster::Crop(expected, 0, 0, w, h);
    EXPECT_EQ(message, "");
    EXPECT_GE(Agreement(ours, theirs, 24), 0.90) << name;
    EXPECT_LE(Misplaced(ours, theirs, 24), w * h / 25) << name;
  }
}

// poppler draws the same document as we do (it reads our content, patterns and images), at
// the reference device's resolution.
TEST_P(MetafileFixture, PopplerAgreesWithOurRendering) {
  REQUIRE_TOOL("pdftocairo");
  if (testraster::PythonWithPIL().empty()) GTEST_SKIP() << "needs python3 with Pillow";
  const std::string name = GetParam();
  testsupport::TempDir dir;
  std::string message;
  const Raster ours = RenderThroughApi(FixtureFile(name), 96, 0.75, &message, dir.File("doc.pdf"));
  ASSERT_EQ(
      testsupport::Run("pdftocairo -png -r 96 -singlefile '" + dir.File("doc.pdf") + "' '" + dir.File("cairo") + "'"),
      0);
  const Raster poppler = testraster::DecodeWithPillow(dir.File("cairo.png"));
  ASSERT_EQ(poppler.Width, ours.Width);
  EXPECT_LE(Misplaced(ours, poppler, 48), ours.Width * ours.Height / 50) << name;
}

INSTANTIATE_TEST_SUITE_P(Files, MetafileFixture, ::testing::ValuesIn(FixtureNames("")),
                         [](const auto& info) { return info.param; });

}  // namespace
