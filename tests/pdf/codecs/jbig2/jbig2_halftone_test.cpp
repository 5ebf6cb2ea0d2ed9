// Pattern dictionaries and halftone regions built from the standard's procedures, decoded by
// jbig2dec and by our decoder, and drawn as the standard places the patterns.
#include <gtest/gtest.h>

#include <random>

#include "tests/pdf/codecs/jbig2/jbig2_halftone_encoder.h"

using namespace jbig2_test;

namespace {

std::vector<Bitmap> Patterns(int count, int w, int h) {
  // Dots growing with the gray value, as halftone screens have them.
  std::vector<Bitmap> out;
  for (int i = 0; i < count; ++i) {
    Bitmap b{w, h};
    for (int k = 0; k < (w * h * i) / std::max(1, count - 1); ++k) b.Set((k * 3) % w, (k / w * 2 + k) % h, true);
    out.push_back(b);
  }
  return out;
}

std::vector<uint32_t> Values(size_t n, uint32_t limit, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint32_t> v(n);
  for (auto& x : v) x = rng() % limit;
  return v;
}

void Check(const std::vector<Bitmap>& patterns, bool patternMMR, int patternTemplate, const HalftoneOptions& o,
           const std::vector<uint32_t>& values, uint32_t w, uint32_t h) {
  StreamBuilder s;
  s.Add(48, PageInfo(w, h));
  const uint32_t dict = s.Add(16, PatternDictionaryData(patterns, patternMMR, patternTemplate));
  s.Add(22, HalftoneRegionData(w, h, 0, 0, 0, patterns, values, o), {dict});
  s.Add(49, "");
  const Bitmap expected = DrawHalftone(w, h, patterns, values, o);
  if (o.DefPixel) {
    // jbig2dec 0.19 draws a region whose default pixel is 1 neither as the standard fills
    // and combines it nor as an unfilled one; the picture is the standard's.
    Bitmap ours;
    ASSERT_TRUE(Ours(s.Bytes, "", ours));
    EXPECT_EQ(ccitt_test::Difference(expected, ours), "");
    return;
  }
  ExpectSame(s.Bytes, "", &expected);
}

}  // namespace

TEST(JBIG2Halftone, ArithmeticAndMMRGridsEveryTemplate) {
  REQUIRE_TOOL("jbig2dec");
  const auto patterns = Patterns(9, 6, 5);
  for (int t = 0; t < 4; ++t) {
    for (bool mmr : {false, true}) {
      SCOPED_TRACE("template " + std::to_string(t) + (mmr ? " MMR" : ""));
      HalftoneOptions o;
      o.MMR = mmr;
      o.Template = mmr ? 0 : t;
      o.GridWidth = 14;
      o.GridHeight = 11;
      o.StepX = 6 * 256;
      o.StepY = 0;
      o.CombOp = t % 2 ? 2 : 0;
      o.DefPixel = t == 3;
      Check(patterns, mmr, mmr ? 0 : t, o, Values(14 * 11, 9, uint32_t(t + 3)), 80, 55);
    }
  }
}

TEST(JBIG2Halftone, RotatedGridFromANegativeOriginWithSkippedCells) {
  REQUIRE_TOOL("jbig2dec");
  const auto patterns = Patterns(4, 5, 5);
  for (bool skip : {false, true}) {
    for (bool mmr : {false, true}) {
      if (skip && mmr) continue;  // skipping is for arithmetic coding only
      SCOPED_TRACE(std::string(skip ? "skip " : "") + (mmr ? "MMR" : "arithmetic"));
      HalftoneOptions o;
      o.MMR = mmr;
      o.Skip = skip;
      o.GridWidth = 20;
      o.GridHeight = 20;
      // A grid turned by about 14 degrees, starting above and left of the region.
      o.GridX = -30 * 256;
      o.GridY = -10 * 256 + 77;
      o.StepX = uint16_t(4 * 256 + 40);
      o.StepY = uint16_t(1 * 256 + 10);
      Check(patterns, false, 0, o, Values(400, 4, 9), 70, 60);
    }
  }
}

TEST(JBIG2Halftone, GrayValuesPastTheLastPatternDrawTheLastPattern) {
  REQUIRE_TOOL("jbig2dec");
  // Five patterns take three bit planes: values 5 to 7 name no pattern.
  const auto patterns = Patterns(5, 4, 4);
  HalftoneOptions o;
  o.GridWidth = 10;
  o.GridHeight = 6;
  o.StepX = 4 * 256;
  Check(patterns, false, 1, o, Values(60, 8, 4), 40, 24);
}
