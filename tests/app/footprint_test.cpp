// Footprint values, the property string and the master's bounds.
#include <gtest/gtest.h>

#include <limits>
#include <sstream>

#include "app/candidate_match.h"
#include "app/footprint.h"
#include "tests/app/support/locale_text.h"
#include "tests/support/test_support.h"

using namespace Tarnwick1;

TEST(Footprint, AspectRatioText) {
  struct Case {
    int w, h;
    const char* text;
  } cases[] = {
      {640, 480, "1.330"},   {1920, 1080, "1.780"},  {300, 300, "1.000"},    {480, 640, "0.750"},
      {1080, 1920, "0.563"}, {9, 8, "1.130"},        {2499, 250, "10.000"},  {2469, 200, "12.300"},
      {9996, 100, "100.000"}, {1234, 10, "123.000"}, {9996, 10, "1000.000"}, {2469, 2, "1234.500"},
      {40000, 1, "40000.000"}, {0, 5, "0.000"},      {9996, 10000, "1.000"}, {1, 3000, "0.000"},
      {1, 2000, "0.001"},    {2, 3, "0.667"},        {5, 0, "0.000"},
      {2147483647, 1, "2147483647.000"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatAspectRatio(c.w, c.h), apptest::Localised(c.text)) << c.w << "/" << c.h;
}

TEST(Footprint, SizeOrientationAndType) {
  struct Case {
    int w, h;
    const char* orientation;
    double pixels;
  } cases[] = {{640, 480, "L", 307200}, {480, 640, "P", 307200}, {300, 300, "Q", 90000}, {0, 0, "", 0},
               {16384, 16384, "Q", 268435456.0},
               // Past the 32-bit product: 2^31 pixels, not a negative count.
               {65536, 32768, "L", 2147483648.0}, {2147483647, 2, "L", 4294967294.0}};
  for (const auto& c : cases) {
    TFootprint f;
    SetFootprintSize(f, c.w, c.h);
    EXPECT_EQ(f.Orientation, c.orientation) << c.w << "x" << c.h;
    EXPECT_EQ(f.NumberOfPixels, c.pixels);
    EXPECT_EQ(f.AspectRatio, c.h ? double(c.w) / c.h : 0.0);
  }
  EXPECT_EQ(ImageTypeOf("/a/b/photo.Jpg"), ".JPG");
  EXPECT_EQ(ImageTypeOf("/a/b.dir/photo.tiff"), ".TIFF");
  EXPECT_EQ(ImageTypeOf("/a/b.dir/noext"), "");
  EXPECT_EQ(ImageTypeOf("/a/x.jpeg"), ".JPEG");
}

TEST(Footprint, PropertyString) {
  TFootprint f;
  SetFootprintSize(f, 640, 480);
  f.ImageType = ".JPG";
  for (int i = 0; i < kGridValues; ++i) f.ColourDistribution[size_t(i)] = i % 3 == 0 ? 33 : i % 3 == 1 ? 33 : 34;
  f.ColourDistribution[45] = 40;
  f.ColourDistribution[46] = 35;
  f.ColourDistribution[47] = 25;
  f.ColourClass = "CO";
  std::string grid;
  for (int i = 0; i < 15; ++i) grid += "-33-33-34";
  EXPECT_EQ(PropertyString(f), apptest::Localised("640 - 480 - 1.330 - L - 307200 - .JPG") + grid + "-40-35-25 - CO");

  // An image the library could not read.
  TFootprint none;
  none.ImageType = ".PNG";
  std::string zeros;
  for (int i = 0; i < kGridValues; ++i) zeros += "-0";
  EXPECT_EQ(PropertyString(none), apptest::Localised("0 - 0 - 0.000 -  - 0 - .PNG") + zeros + " - ");
}

TEST(Footprint, BoundsOfTheMaster) {
  TFootprint m;
  SetFootprintSize(m, 640, 480);
  m.ColourDistribution[0] = 33;
  m.ColourDistribution[1] = 0;
  TMasterBounds b = ComputeBounds(m, 75);
  EXPECT_EQ(b.Width.Min, 480);
  EXPECT_EQ(b.Width.Max, 853);
  EXPECT_EQ(b.Height.Min, 360);
  EXPECT_EQ(b.Height.Max, 640);
  // The ratio 4 / 3 gives 1 .. 16 / 9, both ends included.
  EXPECT_TRUE(b.Ratio.Contains(1, 1));
  EXPECT_TRUE(b.Ratio.Contains(300, 300));
  EXPECT_FALSE(b.Ratio.Contains(999, 1000));
  EXPECT_TRUE(b.Ratio.Contains(1600, 900));
  EXPECT_FALSE(b.Ratio.Contains(16001, 9000));
  EXPECT_TRUE(b.Pixels.Contains(230400));
  EXPECT_FALSE(b.Pixels.Contains(230399));
  EXPECT_TRUE(b.Pixels.Contains(409600));
  EXPECT_FALSE(b.Pixels.Contains(409601));
  // 33 gives 24.75 .. 44.
  EXPECT_TRUE(b.Colour[0].Contains(99, 4));
  EXPECT_FALSE(b.Colour[0].Contains(98, 4));
  EXPECT_FALSE(b.Colour[0].Contains(24));
  EXPECT_TRUE(b.Colour[0].Contains(25));
  EXPECT_TRUE(b.Colour[0].Contains(44));
  EXPECT_FALSE(b.Colour[0].Contains(45));
  EXPECT_TRUE(b.Colour[1].Contains(0));  // a value of 0 must be met exactly
  EXPECT_FALSE(b.Colour[1].Contains(1));

  // Halves of the integer bounds go to the even neighbour: 5 * 0.5 = 2.5 -> 2, 7 * 0.5 -> 4.
  SetFootprintSize(m, 5, 7);
  b = ComputeBounds(m, 50);
  EXPECT_EQ(b.Width.Min, 2);
  EXPECT_EQ(b.Height.Min, 4);
  EXPECT_EQ(b.Width.Max, 10);

  // Precision 0: no maximum, so every range holds.
  b = ComputeBounds(m, 0);
  EXPECT_EQ(b.Width.Min, 0);
  EXPECT_TRUE(b.Width.Contains(std::numeric_limits<int32_t>::max()));
  EXPECT_TRUE(b.Pixels.Contains(int64_t(1e18)));
  EXPECT_TRUE(b.Colour[5].Contains(100));

  // Precision 100: the bounds are the values themselves.
  b = ComputeBounds(m, 100);
  EXPECT_TRUE(b.Width.Contains(5));
  EXPECT_FALSE(b.Width.Contains(4));
  EXPECT_FALSE(b.Width.Contains(6));
  EXPECT_TRUE(b.Ratio.Contains(50, 70));
  EXPECT_FALSE(b.Ratio.Contains(5000001, 7000000));

  // Ends that fall on a whole number are met exactly, where a product in doubles misses them
  // (35 * 0.8 is 28.000000000000004, 21 / 0.56 is 37.49999999999999).
  m.ColourDistribution[2] = 35;
  b = ComputeBounds(m, 80);
  EXPECT_TRUE(b.Colour[2].Contains(28));
  SetFootprintSize(m, 21, 110);
  b = ComputeBounds(m, 56);
  EXPECT_EQ(b.Width.Max, 38);
  b = ComputeBounds(m, 55);
  EXPECT_EQ(b.Height.Min, 60);

  // Precisions past the usual range neither overflow nor turn a range around.
  SetFootprintSize(m, std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max());
  b = ComputeBounds(m, std::numeric_limits<int32_t>::max());
  EXPECT_FALSE(b.Pixels.Contains(0));
  EXPECT_EQ(b.Width.Max, 100);
  b = ComputeBounds(m, -50);
  EXPECT_FALSE(b.Width.Contains(std::numeric_limits<int32_t>::max()));
  EXPECT_FALSE(b.Ratio.Contains(1, 1));
}

namespace {

// Python's exact fractions (round() of a Fraction takes halves to the even neighbour) give
// every integer bound over widths 1 to 4,000 and precisions 0 to 100, the colour share needed,
// and the smallest and largest whole values within v * p .. v / p for every colour value.
const char* kBoundsOracle = R"PY(
from fractions import Fraction as F
import math, random, sys
out = []
for p in range(1, 101):
    for w in range(1, 4001):
        out.append('W %d %d %d %d' % (w, p, round(F(w * p, 100)), round(F(w * 100, p))))
for p in range(0, 101):
    out.append('N %d %d' % (p, round(F(48 * p, 100))))
    for v in range(0, 101):
        hi = math.floor(F(100 * v, p)) if p else -1
        out.append('C %d %d %d %d' % (v, p, math.ceil(F(v * p, 100)), hi))
# Ratios: candidates just on and just off both ends of a master's range.
rnd = random.Random(49)
for _ in range(20000):
    W, H, p = rnd.randint(1, 5000), rnd.randint(1, 5000), rnd.randint(1, 100)
    for end in (F(W * p, H * 100), F(W * 100, H * p)):
        k = rnd.randint(1, 3)
        a, b = end.numerator * k, end.denominator * k
        for da in (-1, 0, 1):
            x = F(a + da, b)
            inside = F(W * p, H * 100) <= x <= F(W * 100, H * p)
            out.append('R %d %d %d %d %d %d' % (W, H, p, a + da, b, inside))
sys.stdout.write('\n'.join(out) + '\n')
)PY";

}  // namespace

TEST(Footprint, EveryBoundAgreesWithExactFractions) {
  REQUIRE_TOOL("/usr/bin/python3");
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("oracle.py"), kBoundsOracle);
  std::string table;
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("oracle.py"), &table), 0);
  std::istringstream in(table);
  std::string kind;
  int rows = 0, wrong = 0;
  while (in >> kind) {
    ++rows;
    if (kind == "W") {
      int w, p;
      int64_t lo, hi;
      in >> w >> p >> lo >> hi;
      TFootprint m;
      SetFootprintSize(m, w, w);
      const TMasterBounds b = ComputeBounds(m, p);
      if (b.Width.Min != lo || b.Width.Max != hi || b.Height.Min != lo || b.Height.Max != hi) {
        if (++wrong <= 10) ADD_FAILURE() << "width " << w << " precision " << p << ": " << b.Width.Min << " .. "
                                         << b.Width.Max << ", exactly " << lo << " .. " << hi;
      }
    } else if (kind == "N") {
      int p, needed;
      in >> p >> needed;
      const TFootprint c = [] {
        TFootprint f;
        f.Loaded = true;
        return f;
      }();
      TTestSelection colour{};
      colour[6] = true;
      MatchesMaster(c, c, ComputeBounds(c, p), p, colour);
      EXPECT_EQ(ColourNeeded, needed) << "precision " << p;
    } else if (kind == "C") {
      int v, p;
      int64_t lo, hi;
      in >> v >> p >> lo >> hi;
      TFootprint m;
      m.ColourDistribution[3] = v;
      const TExactBounds b = ComputeBounds(m, p).Colour[3];
      const bool ok = b.Contains(lo) && !b.Contains(lo - 1) && (hi < 0 ? b.Contains(1000000) : b.Contains(hi) && !b.Contains(hi + 1));
      if (!ok && ++wrong <= 10) ADD_FAILURE() << "colour value " << v << " precision " << p;
    } else {
      int w, h, p, inside;
      int64_t a, d;
      in >> w >> h >> p >> a >> d >> inside;
      TFootprint m;
      SetFootprintSize(m, w, h);
      if (ComputeBounds(m, p).Ratio.Contains(a, d) != bool(inside) && ++wrong <= 10)
        ADD_FAILURE() << "ratio " << a << "/" << d << " against " << w << "x" << h << " at " << p;
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(rows, 400000 + 101 * 102 + 20000 * 6);
}
