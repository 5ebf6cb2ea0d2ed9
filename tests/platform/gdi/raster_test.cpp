// Rectangles along the axes made without a scan must hold exactly the pixels the polygon scan
// gives them, so that a clip rectangle of any size can skip the scan.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/gdi/raster.h"

TEST(AxisAlignedPixels, MatchTheScanOfTheSamePolygon) {
  const struct Case {
    const char* name;
    std::vector<PointF> corners;
  } cases[] = {
      {"whole pixels", {{2, 3}, {9, 3}, {9, 7}, {2, 7}}},
      {"centres on the edges", {{2.5, 3.5}, {9.5, 3.5}, {9.5, 7.5}, {2.5, 7.5}}},
      {"fractions", {{2.2, 3.7}, {9.6, 3.7}, {9.6, 7.4}, {2.2, 7.4}}},
      {"drawn backwards", {{9, 7}, {2, 7}, {2, 3}, {9, 3}}},
      {"first side down", {{2, 3}, {2, 7}, {9, 7}, {9, 3}}},
      {"negative", {{-20, -6}, {-4, -6}, {-4, -1}, {-20, -1}}},
      {"no height", {{2, 3}, {9, 3}, {9, 3}, {2, 3}}},
      {"no width", {{2, 3}, {2, 3}, {2, 7}, {2, 7}}},
      {"thinner than a pixel", {{2, 3.1}, {9, 3.1}, {9, 3.4}, {2, 3.4}}},
  };
  for (const Case& c : cases) {
    const std::optional<RECT> box = AxisAlignedPixels(c.corners);
    ASSERT_TRUE(box) << c.name;
    EXPECT_EQ(Region::FromRect(*box), Region::FromSpans(FillPolygonSpans({c.corners}, false))) << c.name;
  }
}

TEST(AxisAlignedPixels, OtherShapesAreLeftToTheScan) {
  const std::vector<PointF> shapes[] = {
      {{0, 0}, {10, 0}, {12, 5}, {2, 5}},       // slanted sides
      {{5, 0}, {10, 5}, {5, 10}, {0, 5}},       // turned a quarter
      {{0, 0}, {10, 10}, {10, 10}, {0, 0}},     // a diagonal line whose corners bound a box
      {{0, 0}, {10, 0}, {10, 5}},               // three corners
      {{0, 0}, {NAN, 0}, {NAN, 5}, {0, 5}},     // not finite
  };
  for (const auto& s : shapes) EXPECT_FALSE(AxisAlignedPixels(s));
}
