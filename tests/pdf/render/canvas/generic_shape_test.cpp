// Recorded shapes: growth of the item array, replay under a matrix, and replay onto both
// raster back ends.
#include "pdf/render/canvas/generic_canvas.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"

using canvastest::RecordingCanvas;

TEST(GenericShape, StartsWithTwentyItemsAndGrowsByTwentyWhenFull) {
  TPDFGenericShape shape;
  EXPECT_EQ(shape.Count(), 0);
  EXPECT_EQ(shape.Capacity(), 20);
  for (int i = 0; i < 19; ++i) shape.LineTo(i, i);
  EXPECT_EQ(shape.Capacity(), 20);
  shape.LineTo(19, 19);  // the 20th item
  EXPECT_EQ(shape.Count(), 20);
  EXPECT_EQ(shape.Capacity(), 40);
  for (int i = 20; i < 39; ++i) shape.LineTo(i, i);
  EXPECT_EQ(shape.Capacity(), 40);
  shape.LineTo(39, 39);  // the 40th
  EXPECT_EQ(shape.Capacity(), 60);
  // Items survive the growth.
  for (int i = 0; i < 40; ++i) EXPECT_EQ(shape.Item(i).X1, i);
}

TEST(GenericShape, EmptyShapeMakesNoCall) {
  TPDFGenericShape shape;
  RecordingCanvas canvas;
  shape.DrawTo(canvas, {2, 0, 0, 2, 5, 5});
  EXPECT_TRUE(canvas.calls.empty());
}

TEST(GenericShape, ReplaysUnderTheMatrix) {
  struct Case {
    TPDFMatrix m;
    std::vector<std::string> expected;
  };
  TPDFGenericShape shape;
  shape.MoveTo(1, 1);
  shape.LineTo(3, 1);
  shape.CurveTo(1, 2, 3, 4, 5, 6);
  shape.QuadCurveTo(7, 8, 9, 10);
  shape.ClosePath();
  const Case cases[] = {
      {{1, 0, 0, 1, 0, 0}, {"M 1 1", "L 3 1", "C 1 2 3 4 5 6", "Q 7 8 9 10", "Z"}},
      {{2, 0, 0, -2, 10, 20}, {"M 12 18", "L 16 18", "C 12 16 16 12 20 8", "Q 24 4 28 0", "Z"}},
      // A quarter turn: (x, y) -> (-y, x).
      {{0, 1, -1, 0, 0, 0}, {"M -1 1", "L -1 3", "C -2 1 -4 3 -6 5", "Q -8 7 -10 9", "Z"}},
  };
  for (const Case& c : cases) {
    RecordingCanvas canvas;
    shape.DrawTo(canvas, c.m);
    EXPECT_EQ(canvas.calls, c.expected);
  }
  // The static form replays the same way.
  RecordingCanvas canvas;
  TPDFGenericShape::DrawTo(canvas, shape, kIdentityMatrix);
  EXPECT_EQ(canvas.calls.size(), 5u);
}

TEST(GenericShape, ReplaysPaintingKindsAndSkipsUnknownOnes) {
  TPDFGenericShape shape;
  shape.AddItem({kShapeNewPath, 0, 0, 0, 0, 0, 0});
  shape.MoveTo(0, 0);
  shape.AddItem({9, 1, 1, 1, 1, 1, 1});
  shape.AddItem({200, 1, 1, 1, 1, 1, 1});
  shape.AddItem({kShapeStroke, 0, 0, 0, 0, 0, 0});
  shape.AddItem({kShapeFill, 0, 0, 0, 0, 0, 0});
  shape.AddItem({kShapeFillAndStroke, 0, 0, 0, 0, 0, 0});
  RecordingCanvas canvas;
  shape.DrawTo(canvas, kIdentityMatrix);
  EXPECT_EQ(canvas.calls, (std::vector<std::string>{"N", "M 0 0", "S", "F", "B"}));
}

TEST(GenericShape, LargeTranslationsKeepPrecision) {
  TPDFGenericShape shape;
  shape.MoveTo(0.1, 0.2);
  RecordingCanvas canvas;
  shape.DrawTo(canvas, {1e-3, 0, 0, 1e-3, 1e6, -1e6});
  EXPECT_EQ(canvas.calls, (std::vector<std::string>{"M 1e+06 -1e+06"}));
}

// A glyph-like square recorded in font units and replayed under a glyph matrix onto both
// back ends fills exactly the square the matrix makes of it.
TEST_P(BothBackEnds, RecordedShapeReplayedUnderAMatrixFillsItsImage) {
  auto bitmap = canvastest::WhiteBitmap(60, 60);
  auto canvas = canvastest::CanvasOn(*bitmap, GetParam());
  TPDFGenericShape square;
  square.MoveTo(0, 0);
  square.LineTo(100, 0);
  square.LineTo(100, 100);
  square.LineTo(0, 100);
  square.ClosePath();
  canvas->SetFillColor(0);
  canvas->SetFillRule(kFillRuleWinding);
  canvas->NewPath();
  square.DrawTo(*canvas, {0.2, 0, 0, -0.3, 10, 40});  // x 10..30, y 10..40
  canvas->Fill();
  canvas.reset();
  EXPECT_EQ(canvastest::CountNonWhite(*bitmap, 10, 10, 30, 40), 20 * 30);
  EXPECT_EQ(canvastest::CountNonWhite(*bitmap, 0, 0, 60, 60), 20 * 30);
}

INSTANTIATE_TEST_SUITE_P(Canvas, BothBackEnds, testing::Values(kBackEndGDI, kBackEndGDIPlus), BackEndName);
