// The fixtures of tests/data/metafile (written by libUEMF) against their expected pictures (made
// by LibreOffice, Inkscape or by hand, see oracles.txt): at least 97 percent of the pixels within
// 24 levels, and no shape in the wrong place (the worst 3 x 3 neighbourhood agrees too).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "pdf/content/metafile/pdf_metafile.h"
#include "tests/pdf/content/metafile/metafile_test_support.h"
#include "tests/pdf/end_to_end/raster_compare.h"
#include "tests/support/test_support.h"

namespace {

using namespace mftest;
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

// The records of an EMF file, walked by their sizes (the converter's own checks are tested
// elsewhere; these files are well formed).
std::vector<Record> Records(const std::string& bytes) {
  std::vector<Record> out;
  size_t at = 0;
  while (at + 8 <= bytes.size()) {
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data() + at);
    const uint32_t size = p[4] | p[5] << 8 | p[6] << 16 | uint32_t(p[7]) << 24;
    if (size < 8 || at + size > bytes.size()) break;
    out.emplace_back(p, p + size);
    at += size;
  }
  return out;
}

class MetafileFixture : public ::testing::TestWithParam<std::string> {};

TEST_P(MetafileFixture, ConvertedContentLooksLikeTheExpectedPicture) {
  if (testraster::PythonWithPIL().empty()) GTEST_SKIP() << "needs python3 with Pillow";
  const std::string name = GetParam();
  const Raster expected = testraster::DecodeWithPillow(testsupport::DataPath("metafile/" + name + ".png"));
  ASSERT_GT(expected.Width, 0);
  const std::vector<Record> records =
      Records(testsupport::ReadFile(testsupport::DataPath("metafile/" + name + ".emf")));
  ASSERT_FALSE(records.empty());
  Converter c;
  c.converter->Begin(expected.Width, expected.Height);
  for (const Record& r : records) {
    const uint32_t type = r[0] | r[1] << 8 | r[2] << 16 | uint32_t(r[3]) << 24;
    c.converter->HandleRecord({type, r});
  }
  std::string error;
  const std::string content = c.converter->Finish();
  const Raster ours = RenderContent(content, expected.Width, expected.Height, &error, &c);
  EXPECT_EQ(error, "");
  if (const char* dir = std::getenv("VELMORA_METAFILE_DUMP")) {
    Dump(ours, std::string(dir) + "/" + name + ".ppm");
    testsupport::WriteFile(std::string(dir) + "/" + name + ".txt", content);
  }
  EXPECT_GE(Agreement(ours, expected, 24), 0.97) << name;
  EXPECT_LE(Misplaced(ours, expected, 24), expected.Width * expected.Height / 100) << name;
}

INSTANTIATE_TEST_SUITE_P(Emf, MetafileFixture, ::testing::ValuesIn(FixtureNames("emf_")),
                         [](const auto& info) { return info.param; });

}  // namespace
