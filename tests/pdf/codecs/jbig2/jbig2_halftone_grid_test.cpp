// The cells of a halftone row that reach their region, against a cell-by-cell test of each
// pattern's rectangle.
#include <gtest/gtest.h>

#include <random>

#include "pdf/codecs/jbig2/jbig2_halftone_grid.h"

using jbig2::TIndexRange;
using jbig2::THalftoneGrid;

namespace {

struct Shape {
  int64_t PatternWidth, PatternHeight, RegionWidth, RegionHeight;
};

bool Reaches(const THalftoneGrid& g, const Shape& s, int64_t mg, int64_t ng) {
  const int64_t x = g.CellX(mg, ng), y = g.CellY(mg, ng);
  return x + s.PatternWidth > 0 && x < s.RegionWidth && y + s.PatternHeight > 0 && y < s.RegionHeight;
}

// Also checks that the rows said to reach the region hold every cell that does.
void ExpectSameAsEveryCell(const THalftoneGrid& g, const Shape& s) {
  const TIndexRange rows = g.ReachingRows(s.PatternWidth, s.PatternHeight, s.RegionWidth, s.RegionHeight);
  ASSERT_LE(0, rows.Begin);
  ASSERT_LE(rows.Begin, rows.End);
  ASSERT_LE(rows.End, g.Height);
  for (int64_t mg = 0; mg < g.Height; ++mg) {
    const TIndexRange r = g.ReachingCells(mg, s.PatternWidth, s.PatternHeight, s.RegionWidth, s.RegionHeight);
    ASSERT_LE(0, r.Begin);
    ASSERT_LE(r.Begin, r.End);
    ASSERT_LE(r.End, g.Width);
    if (mg < rows.Begin || mg >= rows.End) { ASSERT_EQ(r.Begin, r.End) << "row " << mg << " left out"; }
    for (int64_t ng = 0; ng < g.Width; ++ng)
      ASSERT_EQ(Reaches(g, s, mg, ng), ng >= r.Begin && ng < r.End)
          << "row " << mg << " column " << ng << " grid at " << g.X << "," << g.Y << " steps " << g.StepX << ","
          << g.StepY;
  }
}

}  // namespace

TEST(JBIG2HalftoneGrid, ReachingCellsAreThoseWhosePatternOverlapsTheRegion) {
  const Shape s{4, 3, 40, 30};
  const THalftoneGrid grids[] = {
      {12, 9, 0, 0, 4 * 256, 0},                   // upright, cells side by side
      {12, 9, -5 * 256, 2 * 256 + 17, 4 * 256, 0},  // shifted by fractions of a pixel
      {30, 30, -20 * 256, 3 * 256, 181, 181},       // turned 45 degrees
      {30, 30, 10 * 256, 10 * 256, 0, 0},           // every cell on one spot
      {30, 30, 100 * 256, 10 * 256, 0, 0},          // every cell on one spot outside
      {30, 5, 0, 0, 0, 1024},                       // rows along x, cells upwards
      {6, 40, 0, 0, 4, 0x99F0},                     // the fuzz finding's steep small steps
      {25, 25, -65536, -65536, 300, 70},            // from far above and left
      {25, 25, int64_t{INT32_MIN}, int64_t{INT32_MAX}, 65535, 65535},
  };
  for (const THalftoneGrid& g : grids) ExpectSameAsEveryCell(g, s);
  // Patterns without width or height reach nothing; empty regions are reached by nothing.
  ExpectSameAsEveryCell(grids[0], {0, 3, 40, 30});
  ExpectSameAsEveryCell(grids[2], {4, 0, 40, 30});
  ExpectSameAsEveryCell(grids[2], {4, 3, 0, 0});
}

TEST(JBIG2HalftoneGrid, RandomGridsMatchCellByCell) {
  std::mt19937 rng(2026);
  for (int round = 0; round < 300; ++round) {
    THalftoneGrid g;
    g.Width = 1 + rng() % 40;
    g.Height = 1 + rng() % 20;
    g.X = int64_t(rng() % 20000) - 10000;
    g.Y = int64_t(rng() % 20000) - 10000;
    g.StepX = rng() % 3 == 0 ? 0 : rng() % 2000;
    g.StepY = rng() % 3 == 0 ? 0 : rng() % 2000;
    const Shape s{int64_t(rng() % 9), int64_t(rng() % 9), int64_t(rng() % 50), int64_t(rng() % 50)};
    ExpectSameAsEveryCell(g, s);
    if (HasFatalFailure()) return;
  }
}
