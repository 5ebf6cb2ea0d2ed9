#include "pdf/render/colour/color_manager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct CMYKCase {
  double c, m, y, k;
  bool polynomial;
  double r, g, b;
  COLORREF packed;
};

TEST(ColorManager, CMYKToRGB) {
  const CMYKCase cases[] = {
      {0, 0, 0, 0, true, 1, 1, 1, 0xFFFFFF},
      {0, 0, 0, 1, true, 0.1373, 0.1216, 0.1255, 0x201F23},
      {0, 0, 0, 1, false, 0, 0, 0, 0x000000},
      {1, 0, 0, 0, false, 0, 1, 1, 0xFFFF00},
      {0.5, 0, 0, 0.5, false, 0.25, 0.5, 0.5, 0x808040},  // 0.5 * 255 = 127.5 rounds to 128
      // 1 - c - 0.8627 k - 0.0745 m + 0.2549 c m + ... at c = m = 1: red 0.1804
      {1, 1, 0, 0, true, 0.1804, 1 - 1 - 0.3216 + 0.5138, 1 - 0.451 - 0.0627 + 0.0862, 0},
      // Red and green overprints keep the blue the press gives them (poppler and Ghostscript
      // agree): (237, 28, 36) and (0, 166, 80).
      {0, 1, 1, 0, true, 1 - 0.0745 + 0.0039, 1 - 1 - 0.051 + 0.1608, 1 - 1 - 0.451 + 0.5922, 0x241CED},
      {1, 0, 1, 0, true, 0, 1 - 0.051 - 0.3216 + 0.0236, 1 - 1 - 0.0627 + 0.3764, 0x50A600},
  };
  TPDFSimpleColorManager cm;
  for (const auto& t : cases) {
    cm.PolynomialCMYK = t.polynomial ? 1 : 0;
    double r, g, b;
    cm.CMYKToRGB(t.c, t.m, t.y, t.k, r, g, b);
    EXPECT_NEAR(r, t.r, 1e-9) << t.c << t.m << t.y << t.k;
    EXPECT_NEAR(g, t.g, 1e-9);
    EXPECT_NEAR(b, t.b, 1e-9);
    if (t.packed || (t.c == 0 && t.m == 0 && t.y == 0 && t.k == 1 && !t.polynomial)) {
      EXPECT_EQ(cm.RGBToColor(r, g, b), t.packed);
    }
  }
}

TEST(ColorManager, RGBToColorClampsInPlaceAndRoundsHalfToEven) {
  TPDFSimpleColorManager cm;
  double r = 1.2, g = -0.1, b = 0.5;
  EXPECT_EQ(cm.RGBToColor(r, g, b), 0x8000FFu);
  EXPECT_EQ(r, 1.0);
  EXPECT_EQ(g, 0.0);
  EXPECT_EQ(b, 0.5);
  // 0.5/255 steps: 2.5 rounds to 2, 3.5 to 4.
  double r2 = 2.5 / 255, g2 = 3.5 / 255, b2 = 0;
  EXPECT_EQ(cm.RGBToColor(r2, g2, b2), 0x000402u);
  // A value without a number packs as 0 instead of reaching the rounding.
  double n = std::numeric_limits<double>::quiet_NaN(), one = 1, zero = 0;
  EXPECT_EQ(cm.RGBToColor(n, one, zero), 0x00FF00u);
}

// The neutral axis lands on equal components with the sRGB tone curve; the sRGB primaries, in
// Lab under their D65 white, come back as themselves.
TEST(ColorManager, LabToRGBNeutralAxisAndHues) {
  TPDFSimpleColorManager cm;
  struct {
    double l, a, b;
    double r, g, bl;
  } cases[] = {
      {100, 0, 0, 1, 1, 1},
      {0, 0, 0, 0, 0, 0},
      {53.5850, 0, 0, 0.5, 0.5, 0.5},  // middle grey (sRGB 128)
      {21.2467, 0, 0, 0.2, 0.2, 0.2},  // sRGB 51
      {53.2408, 80.0925, 67.2032, 1, 0, 0},
      {87.7347, -86.1827, 83.1793, 0, 1, 0},
      {32.2970, 79.1875, -107.8602, 0, 0, 1},
  };
  for (const auto& t : cases) {
    double l = t.l, a = t.a, b = t.b, r, g, bl;
    cm.LabToRGB(l, a, b, r, g, bl);
    EXPECT_NEAR(r, t.r, 0.01) << t.l << " " << t.a << " " << t.b;
    EXPECT_NEAR(g, t.g, 0.01);
    EXPECT_NEAR(bl, t.bl, 0.01);
  }
  struct {
    double l, a, b;
    int dominant;
  } hues[] = {{53, 80, 67, 0}, {87, -86, 83, 1}, {32, 79, -107, 2}};
  for (const auto& t : hues) {
    double l = t.l, a = t.a, b = t.b, rgb[3];
    cm.LabToRGB(l, a, b, rgb[0], rgb[1], rgb[2]);
    for (int i = 0; i < 3; ++i)
      if (i != t.dominant) { EXPECT_GT(rgb[t.dominant], rgb[i] + 0.3) << t.a << " " << t.b; }
  }
}

TEST(ColorManager, LabInputsAreClamped) {
  TPDFSimpleColorManager cm;
  double l = 150, a = -200, b = 300, r, g, bl;
  cm.LabToRGB(l, a, b, r, g, bl);
  EXPECT_EQ(l, 100);
  EXPECT_EQ(a, -128);
  EXPECT_EQ(b, 127);
  cm.SetRanges(-100, 100, -50, 50);
  a = -200, b = 300;
  cm.LabToRGB(l, a, b, r, g, bl);
  EXPECT_EQ(a, -100);
  EXPECT_EQ(b, 50);
  for (double v : {r, g, bl}) {
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 1);
  }
}

TEST(ColorManager, WhitePoint) {
  TPDFSimpleColorManager cm;
  EXPECT_TRUE(cm.SetWhitePoint(0.9642, 1.0, 0.8249));
  EXPECT_EQ(cm.WhitePointX, 0.9642);
  EXPECT_EQ(cm.WhitePointZ, 0.8249);
  EXPECT_FALSE(cm.SetWhitePoint(0.9642, 0.99, 0.8249));
  EXPECT_EQ(cm.WhitePointX, 0.9505);
  EXPECT_EQ(cm.WhitePointY, 1.0);
  EXPECT_EQ(cm.WhitePointZ, 1.089);
  EXPECT_FALSE(cm.SetWhitePoint(0, 1, 1));
  EXPECT_FALSE(cm.SetWhitePoint(std::numeric_limits<double>::infinity(), 1, 1));
}

TEST(ColorManager, UsableThroughTheAbstractClass) {
  TPDFSimpleColorManager simple;
  simple.PolynomialCMYK = 0;
  const TPDFColorManager& cm = simple;
  double r, g, b;
  cm.CMYKToRGB(0, 1, 0, 0, r, g, b);
  EXPECT_EQ(cm.RGBToColor(r, g, b), 0xFF00FFu);
}

}  // namespace
