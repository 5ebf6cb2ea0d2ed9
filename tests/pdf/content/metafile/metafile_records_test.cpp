// The converter's record handling where a literal reading of the records would go wrong: arcs
// of any sweep, open figures and the current position, the path bracket, nested clips and
// region fills, objects that only count once selected, bounded gradients, zero extents and
// denominators. Drawn through our renderer; a logical unit is one pixel of the page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "pdf/content/metafile/pdf_metafile.h"
#include "tests/pdf/content/metafile/metafile_test_support.h"
#include "tests/support/test_support.h"

namespace {

using namespace mftest;

constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kYellow = 0x00FFFF;  // COLORREF
constexpr uint32_t kRedRGB = 0xFF0000, kGreenRGB = 0x00FF00, kBlueRGB = 0x0000FF, kYellowRGB = 0xFFFF00,
                   kWhite = 0xFFFFFF, kBlack = 0;
constexpr uint32_t kNullBrush = 0x80000005;

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Content holds only finite numbers.
bool Finite(const std::string& content) {
  return content.find("nan") == std::string::npos && content.find("inf") == std::string::npos;
}

Record Poly16(uint32_t type, const std::vector<std::pair<int, int>>& points) {
  Bytes p;
  p.Rect(0, 0, 0, 0).U32(uint32_t(points.size()));
  for (auto [x, y] : points) p.I16(int16_t(x)).I16(int16_t(y));
  return Rec(type, p);
}
// Region data of device rectangles (left, top, right, bottom).
Bytes Region(const std::vector<std::array<int, 4>>& rects) {
  Bytes r;
  r.U32(32).U32(1).U32(uint32_t(rects.size())).U32(uint32_t(rects.size() * 16)).Rect(0, 0, 0, 0);
  for (const auto& q : rects) r.Rect(q[0], q[1], q[2], q[3]);
  return r;
}
Record FillRgn(uint32_t brush, const std::vector<std::array<int, 4>>& rects) {
  const Bytes data = Region(rects);
  return Rec(71, Bytes().Rect(0, 0, 0, 0).U32(uint32_t(data.b.size())).U32(brush).Raw(data.b));
}
Record ClipRgn(uint32_t mode, const std::vector<std::array<int, 4>>& rects) {
  const Bytes data = Region(rects);
  return Rec(75, Bytes().U32(uint32_t(data.b.size())).U32(mode).Raw(data.b));
}
// An anisotropic mapping: window (0, 0, wx, wy) onto viewport (0, 0, vx, vy).
std::vector<Record> Anisotropic(int wx, int wy, int vx, int vy) {
  return {One(17, 8), Two(9, wx, wy), Two(11, vx, vy)};
}
std::vector<Record> Join(std::vector<std::vector<Record>> parts) {
  std::vector<Record> all;
  for (auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// --- Arcs

// A radial point far out at angle a (degrees, counter-clockwise on the device) from (46, 36).
std::pair<int, int> Radial(double a) {
  const double r = a * 3.14159265358979 / 180;
  return {int(std::lround(46 + 60 * std::cos(r))), int(std::lround(36 - 60 * std::sin(r)))};
}

TEST(MetafileRecords, ArcSweepsOfAnySizeComeInQuarters) {
  struct Case {
    double from, to;
    int direction;  // 1 counter-clockwise, 2 clockwise
    int curves;     // pieces of at most 90 degrees
    double inside, outside;  // angles of a point of the pie and of one left out
  } cases[] = {
      {0, 90, 1, 1, 45, 225},   {0, 180, 1, 2, 135, 270},  {0, 270, 1, 3, 200, 315},
      {0, 30, 2, 4, 180, 15},   {0, 90, 2, 3, 300, 45},    {90, 0, 2, 1, 45, 225},
      {10, 350, 1, 4, 180, 0},  {350, 10, 1, 1, 0, 180},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + " to " + std::to_string(c.to) + " direction " + std::to_string(c.direction));
    const auto [sx, sy] = Radial(c.from);
    const auto [ex, ey] = Radial(c.to);
    std::string content;
    const auto r = Draw({SolidBrush(1, kRed), Select(1), Select(kNullPen), One(57, uint32_t(c.direction)),
                         Rec(47, Bytes().Rect(16, 6, 76, 66).Pt(sx, sy).Pt(ex, ey))},
                        96, 72, &content);
    EXPECT_EQ(Count(content, " c\n"), c.curves) << content;
    auto at = [&](double a) {
      const double rad = a * 3.14159265358979 / 180;
      return Pixel(r, int(std::lround(46 + 20 * std::cos(rad))), int(std::lround(36 - 20 * std::sin(rad))));
    };
    EXPECT_EQ(at(c.inside), kRedRGB);
    EXPECT_EQ(at(c.outside), kWhite);
  }
}

TEST(MetafileRecords, ArcEndsLieWhereTheRadialLinesCrossAnEllipse) {
  // A flat box, 60 x 20: the radial line to the box's upper-right corner meets the ellipse at
  // 45 degrees of its parameter, not at the corner's own angle of 18 degrees.
  std::string content;
  const auto r = Draw({SolidBrush(1, kRed), Select(1), Select(kNullPen),
                       Rec(47, Bytes().Rect(16, 26, 76, 46).Pt(76, 26).Pt(16, 36))},
                      96, 72, &content);
  // The pie's straight edge runs from the centre (46, 36) to (67.2, 28.9): the pie lies above
  // it (at the corner's own angle the edge would pass below (54, 34)).
  EXPECT_EQ(Pixel(r, 58, 29), kRedRGB);
  EXPECT_EQ(Pixel(r, 54, 34), kWhite);
  EXPECT_EQ(Pixel(r, 40, 31), kRedRGB);
  EXPECT_EQ(Pixel(r, 40, 41), kWhite);
  EXPECT_TRUE(Finite(content));
}

// --- Open figures, the current position and the path bracket

TEST(MetafileRecords, ToRecordsOfBothWidthsMoveTheCurrentPositionForTheNextRecord) {
  // From (10, 60) a figure ends at (80, 60); a LINETO then goes up to (80, 10).
  struct Case {
    const char* name;
    Record figure;
  } cases[] = {
      {"POLYLINETO", Poly(6, {{40, 60}, {80, 60}})},
      {"POLYLINETO16", Poly16(89, {{40, 60}, {80, 60}})},
      {"POLYBEZIERTO", Poly(5, {{30, 40}, {60, 40}, {80, 60}})},
      {"POLYBEZIERTO16", Poly16(88, {{30, 40}, {60, 40}, {80, 60}})},
      {"ARCTO", Rec(55, Bytes().Rect(10, 40, 80, 80).Pt(10, 60).Pt(80, 60))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string content;
    const auto r = Draw({SolidBrush(1, kRed), Select(1), Pen(2, 0, 3, kBlue), Select(2), Two(27, 10, 60), c.figure,
                         Two(54, 80, 10)},
                        96, 72, &content);
    EXPECT_GT(CountColor(r, 77, 15, 84, 55, kBlueRGB, 60), 40) << "LINETO from the figure's end";
    EXPECT_EQ(CountColor(r, 0, 0, 96, 72, kRedRGB), 0) << "open figures are never filled";
  }
}

TEST(MetafileRecords, OpenFiguresAreStrokedInBothWidths) {
  for (uint32_t type : {87u /*POLYLINE16*/, 85u /*POLYBEZIER16*/}) {
    SCOPED_TRACE(type);
    const std::vector<std::pair<int, int>> pts =
        type == 87 ? std::vector<std::pair<int, int>>{{10, 60}, {48, 10}, {86, 60}}
                   : std::vector<std::pair<int, int>>{{10, 60}, {30, 10}, {66, 10}, {86, 60}};
    const auto r = Draw({SolidBrush(1, kRed), Select(1), Pen(2, 0, 3, kBlue), Select(2), Poly16(type, pts)}, 96, 72);
    EXPECT_EQ(CountColor(r, 0, 0, 96, 72, kRedRGB), 0);
    EXPECT_GT(CountColor(r, 0, 0, 96, 72, kBlueRGB, 60), 40);
  }
}

TEST(MetafileRecords, InsideAPathRecordsOnlyAddFigures) {
  Bytes pp;
  pp.Rect(0, 0, 0, 0).U32(2).U32(6).U32(3).U32(3);
  for (auto [x, y] : std::vector<std::pair<int, int>>{{5, 60}, {25, 10}, {45, 60}, {50, 60}, {70, 10}, {90, 60}})
    pp.Pt(x, y);
  const std::vector<Record> figures = {SolidBrush(1, kRed), Select(1), Pen(2, 0, 3, kBlue), Select(2),
                                       Rec(59) /*BEGINPATH*/, Rec(8, pp), Poly(4, {{5, 65}, {90, 65}}),
                                       Box(43, 60, 2, 90, 8), Rec(60) /*ENDPATH*/};
  // Without a paint record nothing is drawn.
  Converter c;
  const std::string content = c.Convert(figures, 96, 72);
  EXPECT_EQ(Count(content, "\nf"), 0) << content;
  EXPECT_EQ(Count(content, "\nS"), 0) << content;
  EXPECT_EQ(Count(content, "\nB"), 0) << content;
  // FILLPATH fills every figure, the polyline's closed too, and strokes none.
  std::vector<Record> filled = figures;
  filled.push_back(Rec(62, Bytes().Rect(0, 0, 0, 0)));
  const auto r = Draw(filled, 96, 72);
  EXPECT_EQ(Pixel(r, 25, 50), kRedRGB);
  EXPECT_EQ(Pixel(r, 70, 50), kRedRGB);
  EXPECT_EQ(Pixel(r, 75, 5), kRedRGB);
  EXPECT_EQ(Pixel(r, 47, 50), kWhite);
  EXPECT_EQ(CountColor(r, 0, 0, 96, 72, kBlueRGB, 60), 0);
  // Each POLYGON of a path is a closed figure of its own: stroked, the first shows its closing
  // side and no line joins it to the second.
  const auto two = Draw({Select(kNullBrush), Pen(2, 0, 3, kBlue), Select(2), Rec(59), Poly(3, {{5, 60}, {25, 10}, {45, 60}}),
                         Poly(3, {{50, 30}, {70, 5}, {90, 30}}), Rec(60), Rec(64, Bytes().Rect(0, 0, 0, 0))},
                        96, 72);
  EXPECT_GT(CountColor(two, 12, 58, 38, 62, kBlueRGB, 60), 30);
  EXPECT_EQ(CountColor(two, 46, 40, 49, 52, kBlueRGB, 60), 0);
}

TEST(MetafileRecords, PolyPolygonClosesEveryFigureWhenStroked) {
  Bytes pp;
  pp.Rect(0, 0, 0, 0).U32(2).U32(6).U32(3).U32(3);
  for (auto [x, y] : std::vector<std::pair<int, int>>{{5, 60}, {25, 10}, {45, 60}, {50, 60}, {70, 10}, {90, 60}})
    pp.Pt(x, y);
  const auto r = Draw({Select(kNullBrush), Pen(2, 0, 3, kBlue), Select(2), Rec(8, pp)}, 96, 72);
  // The closing sides along y = 60 of both triangles.
  EXPECT_GT(CountColor(r, 12, 58, 38, 62, kBlueRGB, 60), 30);
  EXPECT_GT(CountColor(r, 57, 58, 83, 62, kBlueRGB, 60), 30);
}

// --- Clipping and region fills

TEST(MetafileRecords, IntersectedClipsNestAndRestoreLevelByLevel) {
  const Record fill = Box(43, 0, 0, 96, 72);
  const std::vector<Record> records = {
      SolidBrush(1, kRed), SolidBrush(2, kBlue), SolidBrush(3, kGreen), Select(kNullPen), Rec(33) /*SAVEDC*/,
      Box(30, 10, 10, 60, 60), Rec(33), Box(30, 30, 30, 90, 70), Select(1), fill,  // only (30, 30) - (60, 60)
      One(34, uint32_t(-1)), Select(2), Box(43, 0, 0, 20, 72),                      // (10, 10) - (20, 60)
      One(34, uint32_t(-1)), Select(3), Box(43, 0, 64, 96, 72)};                    // the whole width again
  const auto r = Draw(records, 96, 72);
  EXPECT_EQ(Pixel(r, 45, 45), kRedRGB);
  EXPECT_EQ(Pixel(r, 20, 45), kWhite);  // outside the second rectangle
  EXPECT_EQ(Pixel(r, 70, 45), kWhite);  // outside the first
  EXPECT_EQ(Pixel(r, 45, 20), kWhite);
  EXPECT_EQ(Pixel(r, 15, 30), kBlueRGB);
  EXPECT_EQ(Pixel(r, 5, 30), kWhite);
  EXPECT_EQ(Pixel(r, 5, 68), kGreenRGB);
  EXPECT_EQ(Pixel(r, 90, 68), kGreenRGB);
}

// SAVEDC keeps the selected objects, colours and modes with the rest of the device context,
// and RESTOREDC brings them back (the player's rule): the rectangle after the restore has the
// blue brush and the red pen of before the save.
TEST(MetafileRecords, RestoringAStateBringsBackItsObjects) {
  const auto r = Draw({SolidBrush(1, kBlue), Select(1), Pen(2, 0, 4, kRed), Select(2), Rec(33) /*SAVEDC*/,
                       SolidBrush(3, kGreen), Select(3), Select(kNullPen), Box(43, 60, 10, 90, 30),
                       One(34, uint32_t(-1)), Box(43, 10, 10, 50, 50)},
                      96, 72);
  EXPECT_EQ(Pixel(r, 75, 20), kGreenRGB);
  EXPECT_EQ(Pixel(r, 30, 30), kBlueRGB);
  EXPECT_GT(CountColor(r, 8, 8, 52, 12, kRedRGB, 60), 30) << "the red pen is back";
}

TEST(MetafileRecords, FillRgnFillsLogicalRectanglesOnlyAndKeepsTheSelection) {
  // The logical units are half pixels; the rectangles of a region fill are logical units, as
  // the player's (those of a clip region are device pixels whatever the mapping).
  const std::vector<Record> records =
      Join({Anisotropic(100, 100, 50, 50),
            {SolidBrush(1, kBlue), Select(1), Pen(2, 0, 4, kRed), Select(2), SolidBrush(3, kGreen),
             FillRgn(3, {{10, 10, 30, 30}, {40, 10, 60, 20}}), Box(43, 100, 80, 180, 130)}});
  std::string content;
  const auto r = Draw(records, 96, 72, &content);
  EXPECT_EQ(CountColor(r, 5, 5, 15, 15, kGreenRGB), 10 * 10);
  EXPECT_EQ(CountColor(r, 20, 5, 30, 10, kGreenRGB), 10 * 5);
  EXPECT_EQ(CountColor(r, 0, 0, 96, 72, kGreenRGB), 10 * 10 + 10 * 5) << "nothing beyond the mapped rectangles";
  EXPECT_EQ(CountColor(r, 3, 3, 32, 17, kRedRGB, 60), 0) << "the region is not outlined";
  EXPECT_EQ(Pixel(r, 17, 8), kWhite);
  EXPECT_EQ(Pixel(r, 35, 25), kWhite);
  // The rectangle after it: the selected blue brush and red pen, at (50, 40) - (90, 65).
  EXPECT_EQ(Pixel(r, 70, 52), kBlueRGB);
  EXPECT_GT(CountColor(r, 48, 38, 92, 43, kRedRGB, 60), 40);
  // A region clip maps the same way.
  const auto c = Draw(Join({Anisotropic(100, 100, 50, 50),
                            {SolidBrush(1, kBlue), Select(1), Select(kNullPen), ClipRgn(5, {{10, 10, 30, 30}}),
                             Box(43, 0, 0, 200, 150)}}),
                      96, 72);
  EXPECT_EQ(CountColor(c, 0, 0, 96, 72, kBlueRGB), 20 * 20);
  EXPECT_EQ(Pixel(c, 20, 20), kBlueRGB);
}

// --- Objects

TEST(MetafileRecords, CreatedObjectsCountOnlyOnceSelected) {
  // Made, never selected: the rectangle keeps the white brush and the black pen.
  std::string content;
  const auto r = Draw({SolidBrush(1, kRed), Pen(2, 0, 5, kBlue), Box(43, 10, 10, 80, 60)}, 96, 72, &content);
  EXPECT_EQ(Pixel(r, 40, 35), kWhite);
  EXPECT_EQ(Pixel(r, 10, 35), kBlack);
  EXPECT_EQ(CountColor(r, 0, 0, 96, 72, kRedRGB), 0);
  EXPECT_EQ(CountColor(r, 0, 0, 96, 72, kBlueRGB, 60), 0);
  // Selected, then deleted and made again under the same index: the selection keeps the old.
  const auto s = Draw({SolidBrush(1, kRed), Select(1), Select(kNullPen), One(40, 1), SolidBrush(1, kGreen),
                       Box(43, 10, 10, 80, 60)},
                      96, 72);
  EXPECT_EQ(Pixel(s, 40, 35), kRedRGB);
}

// Extended pens as files carry them, on both roads of a file (the converter's content and the
// platform's player drawing into a bitmap): a pen record whose absent bitmap has its offsets at
// the record's end is a pen, and a wide pen's user style dashes the line at the lengths it
// gives in logical units (two pixels here), flat caps ending each dash where it ends.
TEST(MetafileRecords, ExtendedPensDrawAlikeOnBothRoads) {
  constexpr uint32_t kGeometric = 0x10000, kUserStyle = 7, kFlatCaps = 0x200;
  auto pen = [](uint32_t index, uint32_t style, uint32_t width, uint32_t colour, std::vector<uint32_t> dashes,
                bool offsetsAtTheEnd) {
    Bytes p;
    const uint32_t size = 52 + 4 * uint32_t(dashes.size()), at = offsetsAtTheEnd ? size : 0;
    p.U32(index).U32(at).U32(0).U32(at).U32(0).U32(style).U32(width).U32(0).U32(colour).U32(0);
    p.U32(uint32_t(dashes.size()));
    for (uint32_t d : dashes) p.U32(d);
    return Rec(95, p);
  };
  const std::vector<Record> records = Join(
      {Anisotropic(48, 36, 96, 72),
       {pen(1, kGeometric | kFlatCaps, 3, kBlue, {}, true), Select(1), Two(27, 5, 5), Two(54, 45, 5),
        pen(2, kGeometric | kUserStyle | kFlatCaps, 2, kRed, {6, 3}, false), Select(2), Two(27, 5, 15),
        Two(54, 25, 15), pen(3, kGeometric | kUserStyle | kFlatCaps, 2, kGreen, {6, 3}, true), Select(3),
        Poly(4 /*POLYLINE*/, {{30, 20}, {35, 20}, {35, 35}})}});
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("pens.emf"), EmfFile(records, 96, 72));
  for (const int options : {0, -1}) {
    SCOPED_TRACE(options == 0 ? "converted" : "played");
    std::string message;
    const auto r = RenderThroughApi(dir.File("pens.emf"), options == 0 ? 96 : 72, 0, &message, "", options);
    ASSERT_EQ(r.Width, 96) << message;
    // The blue pen, six pixels wide, is the one selected: no thin black line of the pen before.
    for (int x : {12, 50, 88}) {
      EXPECT_EQ(Pixel(r, x, 8), kBlueRGB) << x;
      EXPECT_EQ(Pixel(r, x, 12), kBlueRGB) << x;
    }
    // Dashes of 12 pixels and gaps of 6 from x = 10: on [10, 22), off [22, 28), on [28, 40) ...
    for (int x = 10; x < 50; ++x) {
      const int phase = (x - 10) % 18;
      if (phase == 0 || phase == 11 || phase == 12 || phase == 17) continue;  // edges: either look is fine
      EXPECT_EQ(Pixel(r, x, 30), phase < 12 ? kRedRGB : kWhite) << x;
    }
    // The pattern runs on round a corner: 10 pixels to the right from (60, 40), the first dash's
    // last 2 on the way down (to y = 42), a gap to y = 48, the next dash to y = 60.
    EXPECT_EQ(Pixel(r, 65, 40), kGreenRGB);
    EXPECT_EQ(Pixel(r, 70, 45), kWhite);
    EXPECT_EQ(Pixel(r, 70, 54), kGreenRGB);
  }
}

TEST(MetafileRecords, FillsInAColourOfTheirOwnLeaveTheBrushAlone) {
  Bytes gradient;
  gradient.Rect(0, 0, 0, 0).U32(2).U32(1).U32(0);
  gradient.I32(0).I32(0).U16(0xFF00).U16(0).U16(0).U16(0).I32(20).I32(20).U16(0).U16(0).U16(0xFF00).U16(0);
  gradient.U32(0).U32(1);
  const Record pixel = Rec(15, Bytes().I32(90).I32(5).U32(kYellow));
  for (const Record& own : {pixel, Rec(118, gradient), FillRgn(0x80000004, {{85, 60, 95, 70}}),
                            Rec(76, Bytes().Rect(0, 0, 0, 0).I32(85).I32(60).I32(10).I32(10).U32(0x00FF0062)
                                        .I32(0).I32(0).F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(0)
                                        .U32(0).U32(0).U32(0).U32(0))}) {
    const auto r = Draw({SolidBrush(1, kBlue), Select(1), Select(kNullPen), own, Box(43, 30, 30, 70, 50)}, 96, 72);
    EXPECT_EQ(Pixel(r, 50, 40), kBlueRGB);
  }
  // The pixel itself is yellow, one device pixel.
  const auto p = Draw({pixel}, 96, 72);
  EXPECT_EQ(Pixel(p, 90, 5), kYellowRGB);
  EXPECT_EQ(Pixel(p, 92, 5), kWhite);
  EXPECT_EQ(Pixel(p, 89, 5), kWhite);
  EXPECT_EQ(Pixel(p, 90, 4), kWhite);
}

// --- Gradients

TEST(MetafileRecords, GradientsStayWithinWhatTheOutputShows) {
  auto vertex = [](Bytes& b, int32_t x, int32_t y, uint16_t r, uint16_t g, uint16_t bl) {
    b.I32(x).I32(y).U16(r).U16(g).U16(bl).U16(0);
  };
  struct Case {
    const char* name;
    Bytes params;
  };
  std::vector<Case> cases;
  {
    Bytes b;
    b.Rect(0, 0, 0, 0).U32(2).U32(1).U32(0);
    vertex(b, -2000000000, 0, 0xFF00, 0, 0);
    vertex(b, 2000000000, 72, 0, 0, 0xFF00);
    b.U32(0).U32(1);
    cases.push_back({"horizontal over the whole range", b});
  }
  {
    Bytes b;
    b.Rect(0, 0, 0, 0).U32(2).U32(1).U32(1);
    vertex(b, 0, -2000000000, 0xFF00, 0, 0);
    vertex(b, 96, 2000000000, 0, 0xFF00, 0);
    b.U32(0).U32(1);
    cases.push_back({"vertical over the whole range", b});
  }
  {
    Bytes b;
    b.Rect(0, 0, 0, 0).U32(3).U32(1).U32(2);
    vertex(b, -2000000000, -2000000000, 0xFF00, 0, 0);
    vertex(b, 2000000000, -2000000000, 0, 0xFF00, 0);
    vertex(b, 0, 2000000000, 0, 0, 0xFF00);
    b.U32(0).U32(1).U32(2);
    cases.push_back({"huge triangle", b});
  }
  {
    // Ten thousand rectangles of one record.
    Bytes b;
    b.Rect(0, 0, 0, 0).U32(2).U32(10000).U32(0);
    vertex(b, 0, 0, 0xFF00, 0, 0);
    vertex(b, 96, 72, 0, 0, 0xFF00);
    for (int i = 0; i < 10000; ++i) b.U32(0).U32(1);
    cases.push_back({"many rectangles", b});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Converter conv;
    const std::string content = conv.Convert({Rec(118, c.params)}, 96, 72);
    // The content made is the measure of the work: bands beyond the output cost nothing.
    EXPECT_LE(content.size(), TPDFMetafile::kMaxContentBytes + (64 << 10));
    EXPECT_TRUE(Finite(content));
  }
  // One horizontal rectangle over the picture, from red and blue channels to others.
  auto across = [&](uint16_t red0, uint16_t blue0, uint16_t red1, uint16_t blue1) {
    Bytes g;
    g.Rect(0, 0, 0, 0).U32(2).U32(1).U32(0);
    vertex(g, 0, 0, red0, 0, blue0);
    vertex(g, 96, 72, red1, 0, blue1);
    g.U32(0).U32(1);
    return g;
  };
  // A gradient of 96 pixels needs no more than a band a level.
  const Bytes b = across(0xFF00, 0, 0, 0xFF00);
  Converter conv;
  const std::string content = conv.Convert({Rec(118, b)}, 96, 72);
  EXPECT_LE(Count(content, "\nf"), 256);
  EXPECT_LT(content.size(), 64000u);
  const auto r = Draw({Rec(118, b)}, 96, 72);
  EXPECT_GT(r.At(3, 36)[0], 240);
  EXPECT_GT(r.At(92, 36)[2], 240);
  EXPECT_NEAR(r.At(48, 36)[0], 128, 12);
  // A channel's 8-bit value is its high byte: 0x80FF is 128, not rounded up to 129.
  Converter one;
  const std::string level = one.Convert({Rec(118, across(0x80FF, 0, 0x80FF, 0))}, 96, 72);
  EXPECT_NE(level.find("0.502 0 0 rg"), std::string::npos) << level;
}

// --- Values the player ignores

TEST(MetafileRecords, ZeroExtentsDenominatorsFramesAndFontHeightsAreIgnored) {
  const Record red = SolidBrush(1, kRed), pick = Select(1), noPen = Select(kNullPen);
  const Record rect = Box(43, 10, 10, 50, 40);
  struct Case {
    const char* name;
    std::vector<Record> records;
  } cases[] = {
      {"window extent 0", Join({Anisotropic(96, 72, 96, 72), {Two(9, 0, 0), Two(9, 0, 72)}})},
      {"viewport extent 0", Join({Anisotropic(96, 72, 96, 72), {Two(11, 96, 0), Two(11, 0, 0)}})},
      {"zero denominators",
       Join({Anisotropic(96, 72, 96, 72),
             {Rec(32, Bytes().I32(5).I32(0).I32(5).I32(0)), Rec(31, Bytes().I32(0).I32(0).I32(0).I32(0))}})},
      // The fixed modes keep their extents, as the player ignores extent records in them.
      {"fixed mode extents",
       {One(17, 1), Two(9, 5, 5), Two(11, 0, 0), Rec(31, Bytes().I32(3).I32(1).I32(3).I32(1)),
        Rec(32, Bytes().I32(1).I32(2).I32(1).I32(2))}},
      {"font height 0 and text",
       {Rec(82, Bytes().U32(4).Raw(std::vector<uint8_t>(92, 0))), Select(4),
        Rec(84, Bytes().Rect(0, 0, 0, 0).U32(1).F32(0).F32(0).Pt(5, 5).U32(1).U32(76).U32(0).Rect(0, 0, 0, 0).U32(0)
                    .U32(0x41))}},
      {"unusable world transforms",
       {Rec(35, Bytes().F32(NAN).F32(0).F32(0).F32(1).F32(0).F32(0)),
        Rec(36, Bytes().F32(INFINITY).F32(0).F32(0).F32(1).F32(0).F32(0).U32(2))}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Record> records = c.records;
    for (const Record& r : {red, pick, noPen, rect}) records.push_back(r);
    std::string content;
    const auto r = Draw(records, 96, 72, &content);
    EXPECT_TRUE(Finite(content)) << content;
    EXPECT_EQ(CountColor(r, 11, 11, 49, 39, kRedRGB), 38 * 28);
    EXPECT_EQ(Pixel(r, 55, 20), kWhite);
  }
  // A header whose frame and reference device are 0: the picture keeps its pixels.
  Converter c;
  c.converter->Begin(96, 72);
  const Record header = Rec(1, Bytes().Rect(0, 0, 0, 0).Rect(0, 0, 0, 0).U32(0x464D4520).U32(0x10000).U32(0).U32(0)
                                   .U32(0).U32(0).U32(0).U32(0).Pt(0, 0).Pt(0, 0));
  c.converter->HandleRecord({1, header});
  for (const Record& r : {red, pick, noPen, rect}) c.converter->HandleRecord({uint32_t(r[0]), r});
  const std::string content = c.converter->Finish();
  EXPECT_TRUE(Finite(content)) << content;
  const auto r = RenderContent(content, 96, 72);
  EXPECT_EQ(CountColor(r, 11, 11, 49, 39, kRedRGB), 38 * 28);
}

// The scalable modes take scaled extents; a scaled extent that comes out 0 becomes 1.
TEST(MetafileRecords, ScaledExtentsCountInTheScalableModes) {
  const Record red = SolidBrush(1, kRed), pick = Select(1), noPen = Select(kNullPen);
  // Anisotropic, the viewport doubled: the box lands on (20, 20) - (60, 40).
  const auto doubled = Draw(Join({Anisotropic(96, 72, 96, 72),
                                  {Rec(31, Bytes().I32(2).I32(1).I32(2).I32(1)), red, pick, noPen,
                                   Box(43, 10, 10, 30, 20)}}),
                            96, 72);
  EXPECT_EQ(CountColor(doubled, 21, 21, 59, 39, kRedRGB), 38 * 18);
  EXPECT_EQ(Pixel(doubled, 15, 15), kWhite);
  // The window scaled by 1/200 comes out 0 by 0 and becomes 1 by 1: one logical unit spans
  // the whole picture.
  const auto whole = Draw(Join({Anisotropic(96, 72, 96, 72),
                                {Rec(32, Bytes().I32(1).I32(200).I32(1).I32(200)), red, pick, noPen,
                                 Box(43, 0, 0, 1, 1)}}),
                          96, 72);
  EXPECT_EQ(CountColor(whole, 2, 2, 94, 70, kRedRGB), 92 * 68);
}

}  // namespace
