// The match test: selected property tests, the colour share and the precision rule.
#include <gtest/gtest.h>

#include "app/candidate_match.h"

using namespace Tarnwick1;

namespace {

TFootprint Print(int w, int h, const char* type, const char* colourClass, int grid) {
  TFootprint f;
  SetFootprintSize(f, w, h);
  f.ImageType = type;
  f.ColourClass = colourClass;
  f.ColourDistribution.fill(grid);
  f.Loaded = true;
  return f;
}

TTestSelection Boxes(std::initializer_list<int> checked) {
  TTestSelection t{};
  for (int b : checked) t[size_t(b - 1)] = true;
  return t;
}

}  // namespace

TEST(Match, SelectedTestsAndCounters) {
  const TFootprint master = Print(640, 480, ".JPG", "CO", 33);
  const TMasterBounds b = ComputeBounds(master, 75);
  struct Case {
    const char* name;
    TFootprint candidate;
    TTestSelection boxes;
    bool matches;
    int needed, hits;
  } cases[] = {
      {"no box: anything", Print(10, 9000, ".PNG", "BW", 0), Boxes({}), true, 0, 0},
      {"width at its minimum", Print(480, 1, ".PNG", "BW", 0), Boxes({1}), true, 1, 1},
      {"width below", Print(479, 1, ".PNG", "BW", 0), Boxes({1}), false, 1, 0},
      {"width at its maximum", Print(853, 1, ".PNG", "BW", 0), Boxes({1}), true, 1, 1},
      {"height above", Print(640, 641, ".JPG", "CO", 33), Boxes({2}), false, 1, 0},
      {"orientation", Print(100, 99, ".PNG", "BW", 0), Boxes({4}), true, 1, 1},
      {"portrait is not landscape", Print(99, 100, ".PNG", "BW", 0), Boxes({4}), false, 1, 0},
      {"type exact", Print(640, 480, ".JPG", "CO", 33), Boxes({6}), true, 1, 1},
      {"JPEG is JPG", Print(640, 480, ".JPEG", "CO", 33), Boxes({6}), true, 1, 1},
      {"TIFF is not JPG", Print(640, 480, ".TIFF", "CO", 33), Boxes({6}), false, 1, 0},
      {"JPE is no type of ours", Print(640, 480, ".JPE", "CO", 33), Boxes({6}), false, 1, 0},
      {"colour class", Print(640, 480, ".JPG", "GR", 33), Boxes({8}), false, 1, 0},
      {"all property tests", Print(600, 450, ".JPG", "CO", 0), Boxes({1, 2, 3, 4, 5, 6, 8}), true, 7, 7},
      {"one of seven fails", Print(600, 450, ".TIF", "CO", 0), Boxes({1, 2, 3, 4, 5, 6, 8}), false, 7, 6},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchesMaster(c.candidate, master, b, 75, c.boxes), c.matches) << c.name;
    EXPECT_EQ(Needed, c.needed) << c.name;
    EXPECT_EQ(Hits, c.hits) << c.name;
    EXPECT_EQ(ColourNeeded, 0) << c.name;
  }
}

TEST(Match, ColourDistributionNeedsTheShareOfThePrecision) {
  TFootprint master = Print(100, 100, ".PNG", "CO", 40);
  const TMasterBounds b = ComputeBounds(master, 75);  // each value 30 .. 53.3
  for (int inside : {48, 36, 35, 0}) {
    TFootprint c = Print(100, 100, ".PNG", "CO", 40);
    for (int i = inside; i < kGridValues; ++i) c.ColourDistribution[size_t(i)] = 90;
    EXPECT_EQ(MatchesMaster(c, master, b, 75, Boxes({7})), inside >= 36) << inside;
    EXPECT_EQ(ColourNeeded, 36);
    EXPECT_EQ(ColourHits, inside);
    EXPECT_EQ(Needed, 0);
  }
  // Precision 100: every value must equal the master's.
  const TMasterBounds exact = ComputeBounds(master, 100);
  TFootprint c = Print(100, 100, ".PNG", "CO", 40);
  EXPECT_TRUE(MatchesMaster(c, master, exact, 100, Boxes({7})));
  EXPECT_EQ(ColourNeeded, 48);
  c.ColourDistribution[7] = 41;
  EXPECT_FALSE(MatchesMaster(c, master, exact, 100, Boxes({7})));
  // Precision 0: nothing is needed and every range holds.
  const TMasterBounds open = ComputeBounds(master, 0);
  c = Print(7000, 3, ".PNG", "CO", 100);
  EXPECT_TRUE(MatchesMaster(c, master, open, 0, Boxes({1, 2, 3, 5, 7})));
  EXPECT_EQ(ColourNeeded, 0);
  EXPECT_EQ(Hits, 4);
}

// A file the library could not read never matches, whatever is selected.
TEST(Match, UnreadableCandidatesNeverMatch) {
  const TFootprint master = Print(640, 480, ".JPG", "CO", 33);
  TFootprint bad;
  bad.ImageType = ".JPG";
  for (const auto& boxes : {Boxes({}), Boxes({6}), Boxes({7}), Boxes({1, 2, 3, 4, 5, 6, 7, 8})}) {
    for (int p : {0, 75}) EXPECT_FALSE(MatchesMaster(bad, master, ComputeBounds(master, p), p, boxes));
  }
  // Before any master analysis the bounds are all 0: only a width of 0 would pass.
  EXPECT_FALSE(MatchesMaster(Print(1, 1, ".JPG", "CO", 0), TFootprint{}, TMasterBounds{}, 0, Boxes({1})));
  EXPECT_TRUE(MatchesMaster(Print(1, 1, ".JPG", "CO", 0), TFootprint{}, TMasterBounds{}, 0, Boxes({})));
}
