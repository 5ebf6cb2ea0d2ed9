// Images through Do, against poppler's cairo back end (which copies an image at whole pixels
// exactly; pdftoppm's Splash resamples every image by a pixel): every colour space and depth
// the decoder reads, Decode arrays, stencil masks, soft masks, mask streams and colour keys,
// and images under rotation, scaling and forms.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "tests/pdf/render/support/render_test_pdf.h"
#include "tests/support/test_support.h"

namespace {

using rendertest::TestPdf;

// W x H samples of `components` components at `bits` bits, packed by rows (rows padded to a
// byte): sample (x, y, c) takes a value that varies along x, y and c.
std::string Samples(int w, int h, int components, int bits) {
  std::string out;
  const uint32_t max = bits == 16 ? 65535u : (1u << bits) - 1;
  for (int y = 0; y < h; ++y) {
    uint32_t acc = 0;
    int filled = 0;
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < components; ++c) {
        const uint32_t v = (uint32_t(x * 37 + y * 91 + c * 53) * 2654435761u >> 7) % (max + 1);
        if (bits == 16) {
          out += char(v >> 8);
          out += char(v & 0xFF);
          continue;
        }
        acc = (acc << bits) | v;
        filled += bits;
        while (filled >= 8) {
          out += char((acc >> (filled - 8)) & 0xFF);
          filled -= 8;
        }
      }
    if (filled > 0) out += char((acc << (8 - filled)) & 0xFF);
  }
  return out;
}

struct ImageCase {
  const char* name;
  std::string imageDict;  // without /Type, /Subtype, /Width, /Height
  int components, bits;
  std::vector<std::string> objects = {};  // objects 6, 7, ...
  std::string place = "q 24 0 0 16 0 0 cm /Im Do Q";
  std::string pageExtra = "";
  int allowed = 0;
  bool neighbourhood = false;  // scaled or turned images: anti-aliased and resampled edges
};

void PrintTo(const ImageCase& c, std::ostream* os) { *os << c.name; }

class ImageOracle : public ::testing::TestWithParam<ImageCase> {};

constexpr int kW = 24, kH = 16;

TEST_P(ImageOracle, MatchesPoppler) {
  REQUIRE_TOOL("pdftocairo");
  if (testraster::PythonWithPIL().empty()) GTEST_SKIP() << "needs python3 with Pillow";
  const ImageCase& c = GetParam();
  TestPdf pdf;
  const int page = pdf.AddPage("0.8 0.9 1 rg 0 0 40 30 re f " + c.place, "<< /XObject << /Im 5 0 R /Fm 6 0 R >> >>",
                               "[0 0 40 30]", c.pageExtra);
  pdf.AddStream("<< /Type /XObject /Subtype /Image /Width " + std::to_string(kW) + " /Height " + std::to_string(kH) +
                    " " + c.imageDict + " >>",
                Samples(kW, kH, c.components, c.bits));
  pdf.AddObjects(c.objects);
  std::string error;
  const testraster::Raster ours = rendertest::RenderOurs(pdf, page, &error);
  const testraster::Raster theirs = rendertest::RenderPopplerCairo(pdf);
  EXPECT_EQ(error, "");
  ASSERT_EQ(ours.Width, theirs.Width);
  const int different = c.neighbourhood ? rendertest::CountOutsideNeighbourhood(ours, theirs, 8)
                                        : rendertest::CountDifferent(ours, theirs, 2);
  EXPECT_LE(different, c.allowed);
  if (different > c.allowed && std::getenv("VELMORA_RENDER_DUMP") != nullptr) {
    const std::string folder = std::getenv("VELMORA_RENDER_DUMP");
    for (const auto& [picture, suffix] : {std::pair{&ours, "ours"}, std::pair{&theirs, "poppler"}}) {
      std::string ppm = "P6 " + std::to_string(picture->Width) + " " + std::to_string(picture->Height) + " 255\n";
      ppm.append(picture->RGB.begin(), picture->RGB.end());
      testsupport::WriteFile(folder + "/" + c.name + "_" + suffix + ".ppm", ppm);
    }
  }
}

const std::string kMask = "stream:<< /Type /XObject /Subtype /Image /Width 24 /Height 16 /ColorSpace /DeviceGray "
                          "/BitsPerComponent 8 >>|" + Samples(24, 16, 1, 8);
const std::string kStencil = "stream:<< /Type /XObject /Subtype /Image /Width 24 /Height 16 /ImageMask true >>|" +
                             Samples(24, 16, 1, 1);

INSTANTIATE_TEST_SUITE_P(
    Images, ImageOracle,
    ::testing::Values(
        ImageCase{"gray1", "/ColorSpace /DeviceGray /BitsPerComponent 1", 1, 1},
        ImageCase{"gray2", "/ColorSpace /DeviceGray /BitsPerComponent 2", 1, 2},
        ImageCase{"gray4", "/ColorSpace /DeviceGray /BitsPerComponent 4", 1, 4},
        ImageCase{"gray8", "/ColorSpace /DeviceGray /BitsPerComponent 8", 1, 8},
        ImageCase{"gray16", "/ColorSpace /DeviceGray /BitsPerComponent 16", 1, 16},
        ImageCase{"rgb4", "/ColorSpace /DeviceRGB /BitsPerComponent 4", 3, 4},
        ImageCase{"rgb8", "/ColorSpace /DeviceRGB /BitsPerComponent 8", 3, 8},
        ImageCase{"rgb16", "/ColorSpace /DeviceRGB /BitsPerComponent 16", 3, 16},
        ImageCase{"indexed8", "/ColorSpace [/Indexed /DeviceRGB 255 6 0 R] /BitsPerComponent 8", 1, 8,
                  {"stream:<< >>|" + Samples(256, 1, 3, 8)}},
        ImageCase{"indexed2", "/ColorSpace [/Indexed /DeviceRGB 3 <FF000000FF000000FFFFFF00>] /BitsPerComponent 2",
                  1, 2},
        ImageCase{"decode_inverted", "/ColorSpace /DeviceRGB /BitsPerComponent 8 /Decode [1 0 0 1 1 0]", 3, 8},
        ImageCase{"decode_gray1", "/ColorSpace /DeviceGray /BitsPerComponent 1 /Decode [1 0]", 1, 1},
        ImageCase{"separation", "/ColorSpace [/Separation /Spot /DeviceRGB 6 0 R] /BitsPerComponent 8", 1, 8,
                  {"<< /FunctionType 2 /Domain [0 1] /C0 [1 1 1] /C1 [0.2 0.4 0.8] /N 1 >>"}},
        ImageCase{"icc_rgb", "/ColorSpace [/ICCBased 6 0 R] /BitsPerComponent 8", 3, 8,
                  {"stream:<< /N 3 /Alternate /DeviceRGB >>|"}},
        ImageCase{"stencil", "/ImageMask true", 1, 1, {}, "1 0 0 rg q 24 0 0 16 0 0 cm /Im Do Q"},
        ImageCase{"stencil_inverted", "/ImageMask true /Decode [1 0]", 1, 1, {}, "0 0 1 rg q 24 0 0 16 0 0 cm /Im Do Q"},
        ImageCase{"soft_mask", "/ColorSpace /DeviceRGB /BitsPerComponent 8 /SMask 6 0 R", 3, 8, {kMask}},
        ImageCase{"mask_stream", "/ColorSpace /DeviceRGB /BitsPerComponent 8 /Mask 6 0 R", 3, 8, {kStencil}},
        ImageCase{"colour_key", "/ColorSpace /DeviceGray /BitsPerComponent 4 /Mask [0 5]", 1, 4},
        ImageCase{"offset", "/ColorSpace /DeviceRGB /BitsPerComponent 8", 3, 8, {}, "q 24 0 0 16 9 7 cm /Im Do Q"},
        ImageCase{"in_form", "/ColorSpace /DeviceRGB /BitsPerComponent 8", 3, 8,
                  {"stream:<< /Subtype /Form /BBox [0 0 40 30] /Matrix [1 0 0 1 3 4] /Resources << /XObject << /Im 5 0 R "
                   ">> >> >>|q 24 0 0 16 0 0 cm /Im Do Q"},
                  "/Fm Do"},
        ImageCase{"rotated_page", "/ColorSpace /DeviceRGB /BitsPerComponent 8", 3, 8, {}, "q 24 0 0 16 5 3 cm /Im Do Q",
                  "/Rotate 90"}));

// poppler smooths images it scales or turns, we take the nearest sample: so a turned or scaled
// image is checked against our own identity-scale drawing (which matches poppler above).
testraster::Raster RenderPlaced(const std::string& place) {
  TestPdf pdf;
  const int page = pdf.AddPage("0.8 0.9 1 rg 0 0 40 30 re f " + place, "<< /XObject << /Im 5 0 R >> >>", "[0 0 40 30]");
  pdf.AddStream("<< /Type /XObject /Subtype /Image /Width 24 /Height 16 /ColorSpace /DeviceRGB /BitsPerComponent 8 >>",
                Samples(kW, kH, 3, 8));
  std::string error;
  const testraster::Raster r = rendertest::RenderOurs(pdf, page, &error);
  EXPECT_EQ(error, "");
  return r;
}

TEST(ImageOracle, AQuarterTurnMovesEverySampleExactly) {
  const testraster::Raster upright = RenderPlaced("q 24 0 0 16 9 7 cm /Im Do Q");
  const testraster::Raster turned = RenderPlaced("q 0 24 -16 0 30 3 cm /Im Do Q");
  ASSERT_EQ(turned.Width, 40);
  // Sample (c, r), r counted from the top row, lands at (9 + c, 7 + r) upright and at
  // (14 + r, 26 - c) turned.
  for (int r = 0; r < kH; ++r)
    for (int c = 0; c < kW; ++c)
      ASSERT_EQ(rendertest::PixelAt(turned, 14 + r, 26 - c), rendertest::PixelAt(upright, 9 + c, 7 + r)) << c << "," << r;
}

TEST(ImageOracle, AScaledImageCoversItsPlaceWithItsNearestSamples) {
  const testraster::Raster upright = RenderPlaced("q 24 0 0 16 9 7 cm /Im Do Q");
  const testraster::Raster scaled = RenderPlaced("q 36 0 0 24 2 3 cm /Im Do Q");
  // The image covers x 2..37 and rows 3..26; every pixel there is one of its nearest samples.
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const uint32_t got = rendertest::PixelAt(scaled, x, y);
      if (x < 2 || x >= 38 || y < 3 || y >= 27) {
        ASSERT_EQ(got, 0xCCE6FFu) << x << "," << y;
        continue;
      }
      const double sx = (x - 2 + 0.5) / 1.5, sy = (y - 3 + 0.5) / 1.5;
      bool found = false;
      for (int dy = -1; dy <= 1 && !found; ++dy)
        for (int dx = -1; dx <= 1 && !found; ++dx) {
          const int c = std::clamp(int(sx) + dx, 0, kW - 1), r = std::clamp(int(sy) + dy, 0, kH - 1);
          found = rendertest::PixelAt(upright, 9 + c, 7 + r) == got;
        }
      ASSERT_TRUE(found) << x << "," << y;
    }
}

}  // namespace
