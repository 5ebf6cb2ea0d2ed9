// Paths filled and stroked on both raster back ends, compared with what the geometry says
// (exact for whole-pixel edges, by coverage within anti-aliasing tolerance otherwise), and the
// values the canvas hands each back end.
#include <cmath>

#include "pdf/render/canvas/daubrix.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"

using namespace canvastest;

namespace {

// A circle of radius r around (cx, cy) from four cubic quarter arcs.
void Circle(TPDFDaubrix& c, double cx, double cy, double r) {
  const double k = 0.5522847498 * r;
  c.MoveTo(cx + r, cy);
  c.CurveTo(cx + r, cy + k, cx + k, cy + r, cx, cy + r);
  c.CurveTo(cx - k, cy + r, cx - r, cy + k, cx - r, cy);
  c.CurveTo(cx - r, cy - k, cx - k, cy - r, cx, cy - r);
  c.CurveTo(cx + k, cy - r, cx + r, cy - k, cx + r, cy);
  c.ClosePath();
}

class PathsOnBothBackEnds : public testing::TestWithParam<uint8_t> {};

}  // namespace

TEST_P(PathsOnBothBackEnds, WholePixelRectangleFillsExactlyItsPixels) {
  auto bitmap = WhiteBitmap(40, 30);
  auto canvas = CanvasOn(*bitmap, GetParam());
  canvas->SetFillColor(RGB(255, 0, 0));  // pure red: the value 255
  canvas->SetFillRule(kFillRuleWinding);
  canvas->NewPath();
  RectFigure(*canvas, 10, 5, 30, 25);
  canvas->Fill();
  canvas.reset();
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const bool inside = x >= 10 && x < 30 && y >= 5 && y < 25;
      ASSERT_EQ(Pixel(*bitmap, x, y), inside ? 0xFF0000u : 0xFFFFFFu) << x << "," << y;
    }
}

TEST_P(PathsOnBothBackEnds, CurvedFillCoversTheCircleArea) {
  auto bitmap = WhiteBitmap(100, 100);
  auto canvas = CanvasOn(*bitmap, GetParam());
  canvas->SetFillColor(0);
  canvas->NewPath();
  Circle(*canvas, 50, 50, 30);
  canvas->Fill();
  canvas.reset();
  const double area = M_PI * 30 * 30;
  // Flattening and whole-pixel sampling (GDI) or anti-aliasing (GDI+) stay within a ring of
  // about one pixel around the outline.
  EXPECT_NEAR(Coverage(*bitmap), area, 2 * M_PI * 30 * 1.0);
  EXPECT_EQ(Pixel(*bitmap, 50, 50), 0u);
  EXPECT_EQ(Pixel(*bitmap, 50, 15), 0xFFFFFFu);
  EXPECT_EQ(Pixel(*bitmap, 15, 15), 0xFFFFFFu);
}

TEST_P(PathsOnBothBackEnds, StrokeCoversLineTimesWidth) {
  auto bitmap = WhiteBitmap(100, 40);
  auto canvas = CanvasOn(*bitmap, GetParam());
  canvas->SetStrokeColor(0);
  canvas->SetLineWidth(4);
  canvas->NewPath();
  canvas->MoveTo(10, 20);
  canvas->LineTo(90, 20);
  canvas->Stroke();
  canvas.reset();
  // 80 long and 4 wide, with caps of at most half the width at each end.
  EXPECT_NEAR(Coverage(*bitmap), 320, 2 * 4 * 2 + 8);
  EXPECT_EQ(Pixel(*bitmap, 50, 19), 0u);
  EXPECT_EQ(Pixel(*bitmap, 50, 20), 0u);
  EXPECT_EQ(Pixel(*bitmap, 50, 25), 0xFFFFFFu);
  EXPECT_EQ(Pixel(*bitmap, 50, 14), 0xFFFFFFu);
}

TEST_P(PathsOnBothBackEnds, FillAndStrokePaintsBothColours) {
  auto bitmap = WhiteBitmap(40, 40);
  auto canvas = CanvasOn(*bitmap, GetParam());
  canvas->SetFillColor(RGB(0, 0, 255));
  canvas->SetStrokeColor(RGB(0, 255, 0));
  canvas->SetLineWidth(2);
  canvas->NewPath();
  RectFigure(*canvas, 10, 10, 30, 30);
  canvas->FillAndStroke();
  canvas.reset();
  EXPECT_EQ(Pixel(*bitmap, 20, 20), 0x0000FFu);
  EXPECT_EQ(Pixel(*bitmap, 20, 10), 0x00FF00u);
  EXPECT_EQ(Pixel(*bitmap, 10, 20), 0x00FF00u);
}

TEST_P(PathsOnBothBackEnds, QuadraticSegmentDrawsAsItsCubic) {
  // The quadratic from (10, 60) through (50, -20) to (90, 60), closed, has the area 2/3 of
  // its control triangle: 2/3 x 80 x 80 / 2 x ... = 2/3 x (80 x 80 / 2) = 2133.3.
  auto bitmap = WhiteBitmap(100, 70);
  auto canvas = CanvasOn(*bitmap, GetParam());
  canvas->SetFillColor(0);
  canvas->NewPath();
  canvas->MoveTo(10, 60);
  canvas->QuadCurveTo(50, -20, 90, 60);
  canvas->ClosePath();
  canvas->Fill();
  canvas.reset();
  EXPECT_NEAR(Coverage(*bitmap), 2.0 / 3.0 * 80 * 80 / 2, 80);
}

INSTANTIATE_TEST_SUITE_P(Canvas, PathsOnBothBackEnds, testing::Values(kBackEndGDI, kBackEndGDIPlus), BackEndName);

TEST(DaubrixPaths, QuadraticIsRaisedToTheCubicWithTheSameCurve) {
  struct Spy : TPDFDaubrix {
    std::vector<double> got;
    void CurveTo(double x1, double y1, double x2, double y2, double x3, double y3) override {
      got = {x1, y1, x2, y2, x3, y3};
      TPDFDaubrix::CurveTo(x1, y1, x2, y2, x3, y3);
    }
  } spy;
  spy.MoveTo(0, 0);
  spy.QuadCurveTo(3, 3, 6, 0);
  const std::vector<double> expected = {2, 2, 4, 2, 6, 0};
  ASSERT_EQ(spy.got.size(), 6u);
  for (size_t i = 0; i < 6; ++i) EXPECT_NEAR(spy.got[i], expected[i], 1e-12);
  EXPECT_EQ(spy.CurrentX(), 6);
  EXPECT_EQ(spy.CurrentY(), 0);
}

TEST(DaubrixPaths, GdiRoundsHalvesToEven) {
  // x = 2.5 goes to column 2 and x = 6.5 to 6; 3.5 goes to 4.
  struct Case {
    double x0, x1;
    int first, end;
  };
  for (const Case& c : {Case{2.5, 6.5, 2, 6}, Case{3.5, 7.5, 4, 8}}) {
    auto bitmap = WhiteBitmap(12, 4);
    TPDFDaubrix canvas;
    canvas.SetTarget(&bitmap->Canvas());
    canvas.SetFillColor(0);
    canvas.NewPath();
    RectFigure(canvas, c.x0, 0, c.x1, 4);
    canvas.Fill();
    for (int x = 0; x < 12; ++x)
      EXPECT_EQ(Pixel(*bitmap, x, 1), x >= c.first && x < c.end ? 0u : 0xFFFFFFu) << c.x0 << " " << x;
  }
}

TEST(DaubrixPaths, EvenOddLeavesTheHoleThatWindingFills) {
  for (uint8_t rule : {kFillRuleWinding, kFillRuleEvenOdd}) {
    auto bitmap = WhiteBitmap(40, 40);
    auto canvas = CanvasOn(*bitmap, kBackEndGDIPlus);
    canvas->SetFillColor(0);
    canvas->NewPath();
    RectFigure(*canvas, 5, 5, 35, 35);
    RectFigure(*canvas, 15, 15, 25, 25);  // same direction
    canvas->SetFillRule(rule);      // applied to the path already being built
    canvas->Fill();
    canvas.reset();
    EXPECT_EQ(Pixel(*bitmap, 20, 20), rule == kFillRuleWinding ? 0u : 0xFFFFFFu) << int(rule);
    EXPECT_EQ(Pixel(*bitmap, 8, 8), 0u);
  }
}

TEST(DaubrixPaths, ColoursReachGdiplusAsArgbWithRoundedAlpha) {
  TPDFDaubrix canvas;
  struct Case {
    uint32_t color;
    double alpha;
    uint32_t argb;
  };
  const Case cases[] = {
      {RGB(255, 0, 0), 1.0, 0xFFFF0000u}, {RGB(0, 0, 255), 1.0, 0xFF0000FFu}, {RGB(1, 2, 3), 0.5, 0x80010203u},
      {RGB(1, 2, 3), 0.0, 0x00010203u},   {RGB(9, 9, 9), 2.0, 0xFF090909u},   {RGB(9, 9, 9), -1, 0x00090909u},
      {RGB(9, 9, 9), NAN, 0xFF090909u},   {RGB(9, 9, 9), 1.5 / 255, 0x02090909u},
  };
  for (const Case& c : cases) {
    canvas.SetStrokeColor(c.color);
    canvas.SetStrokeAlpha(c.alpha);
    canvas.SetFillColor(c.color);
    canvas.SetFillAlpha(c.alpha);
    EXPECT_EQ(canvas.StrokeARGB(), c.argb) << c.alpha;
    EXPECT_EQ(canvas.FillARGB(), c.argb) << c.alpha;
  }
}

TEST(DaubrixPaths, AlphaBlendsOnGdiplusAndIsIgnoredByGdi) {
  for (uint8_t backEnd : {kBackEndGDI, kBackEndGDIPlus}) {
    auto bitmap = WhiteBitmap(20, 20);
    auto canvas = CanvasOn(*bitmap, backEnd);
    canvas->SetFillColor(0);
    canvas->SetFillAlpha(0.5);
    canvas->NewPath();
    RectFigure(*canvas, 0, 0, 10, 10);
    canvas->Fill();
    canvas.reset();
    const uint32_t p = Pixel(*bitmap, 5, 5);
    if (backEnd == kBackEndGDI) EXPECT_EQ(p, 0u);
    else EXPECT_NEAR(double(p & 0xFF), 127.5, 1.5);
  }
}

TEST(DaubrixPaths, DashesInPenWidthsWithEntriesClampedAboveZero) {
  struct Case {
    TGPDashArray dash;
    bool gaps;
  };
  // Width 2: (5, 3) is 10 pixels on, 6 off. The renderer turns a gap shorter than the caps
  // into a negative entry; kept at a small positive length, the pattern still applies.
  const Case cases[] = {{{}, false}, {{5, 3}, true}, {{5, -0.49f, 5, 3}, true}, {{5, 0, 5, 3}, true}};
  for (const Case& c : cases) {
    auto bitmap = WhiteBitmap(120, 10);
    auto canvas = CanvasOn(*bitmap, kBackEndGDIPlus);
    canvas->SetStrokeColor(0);
    canvas->SetLineWidth(2);
    canvas->SetDash(c.dash, 0);
    canvas->NewPath();
    canvas->MoveTo(0, 5);
    canvas->LineTo(120, 5);
    canvas->Stroke();
    canvas.reset();
    int white = 0;
    for (int x = 0; x < 120; ++x) white += Pixel(*bitmap, x, 5) == 0xFFFFFFu;
    if (c.gaps) EXPECT_GE(white, 12) << c.dash.size();
    else EXPECT_EQ(white, 0);
  }
}

TEST(DaubrixPaths, CapsAndJoinsReachThePen) {
  // A square cap extends the line by half the width; a butt cap does not.
  for (int32_t cap : {0, 2}) {
    auto bitmap = WhiteBitmap(40, 20);
    auto canvas = CanvasOn(*bitmap, kBackEndGDIPlus);
    canvas->SetStrokeColor(0);
    canvas->SetLineWidth(6);
    canvas->SetLineCap(cap);
    canvas->NewPath();
    canvas->MoveTo(10, 10);
    canvas->LineTo(30, 10);
    canvas->Stroke();
    canvas.reset();
    EXPECT_EQ(Pixel(*bitmap, 8, 10), cap == 2 ? 0u : 0xFFFFFFu) << cap;
    EXPECT_EQ(Pixel(*bitmap, 31, 10), cap == 2 ? 0u : 0xFFFFFFu) << cap;
  }
}

TEST(DaubrixPaths, ZeroLengthSubpathStrokesAsADotWithRoundCaps) {
  // One move and one line to the same point: the two-point path gets a zero-length line at
  // the current point so that GDI+ draws the round cap.
  auto bitmap = WhiteBitmap(20, 20);
  auto canvas = CanvasOn(*bitmap, kBackEndGDIPlus);
  canvas->SetStrokeColor(0);
  canvas->SetLineWidth(6);
  canvas->SetLineCap(1);
  canvas->NewPath();
  canvas->MoveTo(10, 10);
  canvas->LineTo(10, 10);
  canvas->Stroke();
  canvas.reset();
  EXPECT_GT(Coverage(*bitmap), 10);
}

TEST(DaubrixPaths, NoBackEndDrawsNothingAndKeepsTheCurrentPoint) {
  TPDFDaubrix canvas;
  canvas.NewPath();
  canvas.MoveTo(1, 2);
  canvas.LineTo(3, 4);
  canvas.CurveTo(0, 0, 0, 0, 7, 8);
  EXPECT_EQ(canvas.CurrentX(), 7);
  EXPECT_EQ(canvas.CurrentY(), 8);
  canvas.Stroke();
  canvas.Fill();
  canvas.EndPath();
  canvas.FillClipBounds();
  EXPECT_EQ(canvas.SaveClip(), nullptr);
  canvas.RestoreClip(nullptr);
  EXPECT_TRUE(canvas.LastError().empty());
}

TEST(DaubrixPaths, SaveAndRestoreStateStayBalanced) {
  TPDFDaubrix canvas;
  canvas.RestoreState();  // a restore without a save
  EXPECT_EQ(canvas.SaveDepth(), 0);
  canvas.SaveState();
  canvas.SaveState();
  EXPECT_EQ(canvas.SaveDepth(), 2);
  canvas.RestoreState();
  canvas.RestoreState();
  canvas.RestoreState();
  EXPECT_EQ(canvas.SaveDepth(), 0);
}
