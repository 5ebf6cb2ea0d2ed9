// Shapes, lines and curves of the converter, drawn through our renderer: where the player
// draws them, filled or only stroked as the player does.
#include <gtest/gtest.h>

#include "tests/pdf/content/metafile/metafile_test_support.h"

namespace {

using namespace mftest;

constexpr uint32_t kRed = 0x0000FF, kBlue = 0xFF0000;  // COLORREF
constexpr uint32_t kRedRGB = 0xFF0000, kBlueRGB = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0;

TEST(MetafileShapes, EmptyPictureWritesTheScaleAndNothingElse) {
  Converter c;
  const std::string content = c.Convert({}, 96, 72);
  EXPECT_EQ(content, "0.001 0 0 0.001 0 0 cm\n");
}

TEST(MetafileShapes, RectangleLandsOnItsLogicalPixels) {
  const auto r = Draw({SolidBrush(1, kRed), Select(1), Select(0x80000008), Rectangle(10, 20, 50, 40)}, 96, 72);
  ASSERT_EQ(r.Width, 96);
  ASSERT_EQ(r.Height, 72);
  EXPECT_EQ(CountColor(r, 11, 21, 49, 39, kRedRGB), 38 * 18);
  EXPECT_EQ(Pixel(r, 5, 5), kWhite);
  EXPECT_EQ(Pixel(r, 55, 30), kWhite);
  EXPECT_EQ(Pixel(r, 30, 45), kWhite);
}

TEST(MetafileShapes, OpenFiguresAreStrokedNeverFilled) {
  // A polyline that would enclose a triangle: only its two sides are drawn.
  for (uint32_t type : {4u /*POLYLINE*/, 2u /*POLYBEZIER*/}) {
    SCOPED_TRACE(type);
    std::vector<std::pair<int, int>> pts =
        type == 4 ? std::vector<std::pair<int, int>>{{10, 60}, {48, 10}, {86, 60}}
                  : std::vector<std::pair<int, int>>{{10, 60}, {30, 10}, {66, 10}, {86, 60}};
    const auto r = Draw({SolidBrush(1, kRed), Select(1), Pen(2, 0, 3, kBlue), Select(2), Poly(type, pts)}, 96, 72);
    EXPECT_EQ(CountColor(r, 40, 45, 56, 55, kRedRGB), 0) << "filled";
    EXPECT_GT(CountColor(r, 0, 0, 96, 72, kBlueRGB, 60), 40) << "not stroked";
  }
}

TEST(MetafileShapes, PolygonsAreFilledAndEveryPolyPolygonFigureIsClosed) {
  Bytes p;
  p.Rect(0, 0, 0, 0).U32(2).U32(6).U32(3).U32(3);
  for (auto [x, y] : std::vector<std::pair<int, int>>{{5, 60}, {25, 10}, {45, 60}, {50, 60}, {70, 10}, {90, 60}})
    p.Pt(x, y);
  const auto r = Draw({SolidBrush(1, kRed), Select(1), Select(0x80000008), Rec(8, p)}, 96, 72);
  EXPECT_EQ(Pixel(r, 25, 50), kRedRGB);
  EXPECT_EQ(Pixel(r, 70, 50), kRedRGB);
  EXPECT_EQ(Pixel(r, 47, 50), kWhite);
}

TEST(MetafileShapes, ToRecordsStartAtTheCurrentPositionAndMoveIt) {
  // MOVETOEX (10, 10); POLYLINETO (10, 60) (40, 60); LINETO (40, 10): an open "U" turned over.
  const auto r = Draw({Pen(1, 0, 4, kBlue), Select(1), Rec(27, Bytes().Pt(10, 10)), Poly(6, {{10, 60}, {40, 60}}),
                       Rec(54, Bytes().Pt(40, 10))},
                      96, 72);
  EXPECT_GT(CountColor(r, 8, 15, 13, 55, kBlueRGB, 60), 60) << "first leg from the current position";
  EXPECT_GT(CountColor(r, 37, 15, 43, 55, kBlueRGB, 60), 60) << "LINETO from where POLYLINETO ended";
  // The pen stays on for later records, even after a horizontal first segment.
  const auto s = Draw({Pen(1, 0, 4, kBlue), Select(1), Rec(27, Bytes().Pt(10, 30)), Poly(6, {{50, 30}, {80, 30}}),
                       Rec(54, Bytes().Pt(80, 60))},
                      96, 72);
  EXPECT_GT(CountColor(s, 77, 35, 83, 58, kBlueRGB, 60), 40);
}

struct ArcCase {
  const char* name;
  uint32_t type;
  int direction;  // 1 counter-clockwise, 2 clockwise
  int qx, qy;     // a point inside the quarter that must be painted (pie, chord) or near the arc
  int ox, oy;     // a point of the opposite side that must stay white
};

TEST(MetafileShapes, ArcsChordsAndPiesLandWhereThePlayerDrawsThem) {
  // Box (16, 6) - (76, 66): centre (46, 36), radius 30. Start radial point to the right,
  // end radial point above: counter-clockwise on the device is the upper-right quarter.
  const ArcCase cases[] = {
      {"pie ccw", 47, 1, 56, 26, 36, 46},
      {"pie cw", 47, 2, 36, 46, 56, 26},
      {"chord ccw", 46, 1, 62, 20, 30, 52},
      {"chord cw", 46, 2, 30, 52, 62, 20},
  };
  for (const ArcCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto r = Draw({SolidBrush(1, kRed), Select(1), Select(0x80000008), Rec(57, Bytes().I32(c.direction)),
                         Rec(c.type, Bytes().Rect(16, 6, 76, 66).Pt(90, 36).Pt(46, 0))},
                        96, 72);
    EXPECT_EQ(Pixel(r, c.qx, c.qy), kRedRGB);
    EXPECT_EQ(Pixel(r, c.ox, c.oy), kWhite);
  }
}

TEST(MetafileShapes, ArcIsOnlyStrokedAndAngleArcIgnoresTheArcDirection) {
  const auto r = Draw({SolidBrush(1, kRed), Select(1), Pen(2, 0, 3, kBlue), Select(2),
                       Rec(45, Bytes().Rect(16, 6, 76, 66).Pt(90, 36).Pt(46, 0))},
                      96, 72);
  EXPECT_EQ(CountColor(r, 0, 0, 96, 72, kRedRGB), 0);
  EXPECT_GT(CountColor(r, 46, 4, 80, 38, kBlueRGB, 60), 30);  // upper-right quarter
  EXPECT_EQ(CountColor(r, 10, 36, 46, 70, kBlueRGB, 60), 0);
  // ANGLEARC from 0 sweeping 90 degrees: the upper-right quarter in either arc direction,
  // joined to the current position by a line.
  for (int dir : {1, 2}) {
    const auto a = Draw({Pen(2, 0, 3, kBlue), Select(2), Rec(57, Bytes().I32(dir)), Rec(27, Bytes().Pt(46, 36)),
                         Rec(41, Bytes().Pt(46, 36).U32(30).F32(0).F32(90))},
                        96, 72);
    EXPECT_GT(CountColor(a, 50, 4, 80, 34, kBlueRGB, 60), 20) << dir;
    EXPECT_EQ(CountColor(a, 10, 40, 46, 70, kBlueRGB, 60), 0) << dir;
    EXPECT_GT(CountColor(a, 55, 33, 74, 39, kBlueRGB, 60), 10) << "line to the arc's start";
  }
}

TEST(MetafileShapes, EllipseAndRoundRectangleFillTheirBoxes) {
  const auto r = Draw({SolidBrush(1, kRed), Select(1), Select(0x80000008), Rec(42, Bytes().Rect(10, 10, 50, 50)),
                       Rec(44, Bytes().Rect(55, 10, 90, 60).Pt(10, 10))},
                      96, 72);
  EXPECT_EQ(Pixel(r, 30, 30), kRedRGB);
  EXPECT_EQ(Pixel(r, 12, 12), kWhite);  // outside the circle, inside its box
  EXPECT_EQ(Pixel(r, 47, 30), kRedRGB);
  EXPECT_EQ(Pixel(r, 55, 10), kWhite);  // the rounded corner
  EXPECT_EQ(Pixel(r, 60, 30), kRedRGB);
  // A box of odd width keeps its ellipse inside it: (1, 1) - (8, 6) at ten pixels a unit is
  // (10, 10) - (80, 60), its centre at x = 45.
  const auto odd = Draw({Rec(17, Bytes().U32(8)), Rec(9, Bytes().I32(10).I32(10)), Rec(11, Bytes().I32(100).I32(100)),
                         SolidBrush(1, kRed), Select(1), Select(0x80000008), Rec(42, Bytes().Rect(1, 1, 8, 6))},
                        96, 72);
  EXPECT_EQ(Pixel(odd, 77, 35), kRedRGB);
  EXPECT_EQ(Pixel(odd, 7, 35), kWhite);
  EXPECT_EQ(Pixel(odd, 13, 35), kRedRGB);
  // A corner ellipse of 5 units has radii of 2 whole units (20 pixels here, not 25).
  const auto corner = Draw({Rec(17, Bytes().U32(8)), Rec(9, Bytes().I32(10).I32(10)), Rec(11, Bytes().I32(100).I32(100)),
                            SolidBrush(1, kRed), Select(1), Select(0x80000008), Rec(44, Bytes().Rect(1, 1, 8, 6).Pt(5, 5))},
                           96, 72);
  EXPECT_EQ(CountColor(corner, 16, 16, 17, 17, kRedRGB, 40), 1);
  EXPECT_EQ(Pixel(corner, 12, 12), kWhite);
}

// A thin pen counts in device pixels whatever the mapping, as the player draws it: a line
// of width 0 is one pixel wide, and a dashed one has dashes of 18 pixels and gaps of 6 (the
// same dash text in logical units would be a fraction of a pixel here, where a unit is a
// tenth of one).
TEST(MetafileShapes, ThinPensCountInDevicePixels) {
  const std::vector<Record> mapping = {Rec(17, Bytes().U32(8)), Rec(9, Bytes().I32(960).I32(720)),
                                       Rec(11, Bytes().I32(96).I32(72))};
  std::vector<Record> records = mapping;
  for (const Record& r : {Pen(1, 1 /*PS_DASH*/, 0, kBlue), Select(1), Rec(27, Bytes().I32(40).I32(360)),
                          Rec(54, Bytes().I32(920).I32(360))})
    records.push_back(r);
  const auto r = Draw(records, 96, 72);
  int ink = 0, gaps = 0;
  bool inGap = false;
  for (int x = 6; x < 90; ++x) {
    const bool drawn = CountColor(r, x, 35, x + 1, 38, kBlueRGB, 60) > 0;
    ink += drawn;
    if (!drawn && !inGap) ++gaps;
    inGap = !drawn;
  }
  EXPECT_GE(gaps, 3) << "dashes";
  EXPECT_GT(ink, 84 * 18 / 24 - 4);
  EXPECT_EQ(CountColor(r, 0, 0, 96, 34, kBlueRGB, 60), 0) << "one pixel wide";
  EXPECT_EQ(CountColor(r, 0, 39, 96, 72, kBlueRGB, 60), 0);
  // The alternate style sets every other pixel.
  records = mapping;
  for (const Record& rec : {Pen(1, 8 /*PS_ALTERNATE*/, 0, kBlue), Select(1), Rec(27, Bytes().I32(40).I32(360)),
                            Rec(54, Bytes().I32(920).I32(360))})
    records.push_back(rec);
  const auto alternate = Draw(records, 96, 72);
  const int set = CountColor(alternate, 6, 35, 90, 38, kBlueRGB, 60);
  EXPECT_GT(set, 84 / 2 - 6);
  EXPECT_LT(set, 84 / 2 + 6);
}

}  // namespace
