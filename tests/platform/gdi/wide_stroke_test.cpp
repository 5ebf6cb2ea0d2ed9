// Wide round-joined strokes against the disc-sweep reference: a pixel whose centre lies within
// half the pen width of the outline is covered, one clearly farther out is not. Only a thin band
// at the edge (where the circles are polygons) may differ.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>

#include "platform/gdi/raster.h"

namespace {

double SegmentDistance(PointF p, PointF a, PointF b) {
  const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

double OutlineDistance(PointF p, const std::vector<PointF>& pts, bool closed) {
  double best = 1e300;
  const size_t segs = closed ? pts.size() : pts.size() - 1;
  for (size_t i = 0; i < segs; ++i) best = std::min(best, SegmentDistance(p, pts[i], pts[(i + 1) % pts.size()]));
  return best;
}

// Pixels the stroke gets wrong beyond a one-pixel band at its edge.
int Misses(const std::vector<PointF>& pts, bool closed, double width, int32_t top, int32_t bottom, int32_t left,
           int32_t right) {
  const Spans spans = WideStrokeSpans(pts, closed, width, LineCap::Round, LineJoin::Round, 10.0, top, bottom);
  std::set<std::pair<int, int>> covered;
  for (const Region::Span& s : spans)
    for (int32_t x = std::max(s.x0, left); x < std::min(s.x1, right); ++x) covered.insert({x, s.y});
  int misses = 0;
  for (int32_t y = top; y < bottom; ++y)
    for (int32_t x = left; x < right; ++x) {
      const double d = OutlineDistance(PointF{x + 0.5, y + 0.5}, pts, closed);
      const bool in = covered.count({x, y}) != 0;
      if ((d < width / 2 - 1 && !in) || (d > width / 2 + 1 && in)) ++misses;
    }
  return misses;
}

std::vector<PointF> Ellipse(double cx, double cy, double rx, double ry, int n) {
  std::vector<PointF> p;
  for (int i = 0; i < n; ++i) {
    const double t = 2 * 3.14159265358979323846 * i / n;
    p.push_back(PointF{cx + rx * std::cos(t), cy + ry * std::sin(t)});
  }
  return p;
}

TEST(WideStroke, RoundJoinsMatchTheDiscSweep) {
  struct Case {
    const char* name;
    std::vector<PointF> pts;
    bool closed;
    double width;
  };
  const std::vector<Case> cases = {
      {"left and right turns", {{10, 10}, {60, 15}, {30, 60}, {80, 70}}, false, 14},
      {"sharp hairpin", {{10, 40}, {90, 42}, {12, 46}}, false, 10},
      {"reversal", {{20, 50}, {80, 50}, {40, 50}}, false, 16},
      {"closed triangle", {{20, 20}, {80, 30}, {40, 80}}, true, 12},
      {"closed triangle the other way", {{40, 80}, {80, 30}, {20, 20}}, true, 12},
      {"dense ellipse, pen wider than its segments", Ellipse(50, 50, 30, 20, 720), true, 25},
      {"dense ellipse, pen wider than the ellipse", Ellipse(50, 50, 10, 6, 720), true, 90},
  };
  for (const Case& c : cases) EXPECT_EQ(Misses(c.pts, c.closed, c.width, 0, 100, 0, 100), 0) << c.name;
}

TEST(WideStroke, RandomPolylines) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> coord(5, 95), width(2, 40);
  for (int round = 0; round < 40; ++round) {
    std::vector<PointF> pts;
    const int n = 2 + int(rng() % 8);
    for (int i = 0; i < n; ++i) pts.push_back(PointF{coord(rng), coord(rng)});
    const bool closed = round % 2;
    EXPECT_EQ(Misses(pts, closed, width(rng), 0, 100, 0, 100), 0) << "round " << round;
  }
}

TEST(WideStroke, RowsOutsideTheClipCostNothingAndChangeNothingInside) {
  const std::vector<PointF> pts = Ellipse(50, 50, 40, 30, 200);
  const Spans all = WideStrokeSpans(pts, true, 12, LineCap::Round, LineJoin::Round, 10.0, 0, 100);
  const Spans band = WideStrokeSpans(pts, true, 12, LineCap::Round, LineJoin::Round, 10.0, 40, 45);
  Spans expected;
  for (const Region::Span& s : all)
    if (s.y >= 40 && s.y < 45) expected.push_back(s);
  ASSERT_EQ(band.size(), expected.size());
  for (size_t i = 0; i < band.size(); ++i) {
    EXPECT_EQ(band[i].y, expected[i].y);
    EXPECT_EQ(band[i].x0, expected[i].x0);
    EXPECT_EQ(band[i].x1, expected[i].x1);
  }
  // An outline of a hundred thousand vertices far below the rows asked for gives nothing.
  std::vector<PointF> far;
  for (int i = 0; i < 100000; ++i) far.push_back(PointF{double(i % 100), 1e6 + (i % 7)});
  EXPECT_TRUE(WideStrokeSpans(far, false, 20, LineCap::Round, LineJoin::Round, 10.0, 0, 100).empty());
}

}  // namespace
