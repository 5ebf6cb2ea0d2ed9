// The GDI+ clip stack as the renderer drives it: q pushes (SaveClip), W sets a pending clip
// that the next paint or n installs, Q pops (RestoreClip with the handle q got).
#include "pdf/render/canvas/daubrix.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"

using namespace canvastest;

namespace {

void Rect(TPDFDaubrix& c, double x0, double y0, double x1, double y1) {
  c.NewPath();
  RectFigure(c, x0, y0, x1, y1);
}

// "x0 y0 x1 y1 re W n"
void ClipTo(TPDFDaubrix& c, double x0, double y0, double x1, double y1) {
  Rect(c, x0, y0, x1, y1);
  c.SetClip(kFillRuleWinding);
  c.EndPath();
}

// Fills the whole 40 x 40 page in `color` and answers how many pixels took it.
int FillPage(TPDFDaubrix& c, TBitmap& bitmap, uint32_t color) {
  c.SetFillColor(color);
  Rect(c, 0, 0, 40, 40);
  c.Fill();
  const uint32_t rgb = (color & 0xFF) << 16 | (color & 0xFF00) | (color >> 16 & 0xFF);
  int n = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) n += Pixel(bitmap, x, y) == rgb;
  return n;
}

class Clip : public testing::Test {
 protected:
  void SetUp() override {
    bitmap = WhiteBitmap(40, 40);
    canvas = CanvasOn(*bitmap, kBackEndGDIPlus);
  }
  std::unique_ptr<TBitmap> bitmap;
  std::unique_ptr<TPDFDaubrix> canvas;
};

}  // namespace

TEST_F(Clip, ClipOfWnDoesNotSurviveItsQ) {
  TDaubrixClip saved = canvas->SaveClip();  // q
  ClipTo(*canvas, 10, 10, 20, 20);          // W n
  EXPECT_EQ(FillPage(*canvas, *bitmap, RGB(255, 0, 0)), 100);
  canvas->RestoreClip(saved);  // Q
  EXPECT_EQ(FillPage(*canvas, *bitmap, RGB(0, 0, 255)), 1600);
}

TEST_F(Clip, ClipInstalledByAPaintDoesNotSurviveItsQ) {
  TDaubrixClip saved = canvas->SaveClip();
  Rect(*canvas, 0, 0, 20, 40);
  canvas->SetClip(kFillRuleWinding);
  canvas->SetFillColor(RGB(0, 255, 0));
  canvas->Fill();  // W f: paints, then clips
  EXPECT_EQ(FillPage(*canvas, *bitmap, RGB(255, 0, 0)), 800);
  canvas->RestoreClip(saved);
  EXPECT_EQ(FillPage(*canvas, *bitmap, RGB(0, 0, 255)), 1600);
}

TEST_F(Clip, NestedSavesRestoreEachLevel) {
  TDaubrixClip outer = canvas->SaveClip();  // q
  ClipTo(*canvas, 0, 0, 30, 30);            // W n
  TDaubrixClip inner = canvas->SaveClip();  // q
  ClipTo(*canvas, 20, 20, 40, 40);          // W n: 20..30 square left
  EXPECT_EQ(FillPage(*canvas, *bitmap, RGB(255, 0, 0)), 100);
  TDaubrixClip again = canvas->SaveClip();  // q Q with nothing changed in between
  canvas->RestoreClip(again);
  EXPECT_EQ(FillPage(*canvas, *bitmap, RGB(0, 255, 0)), 100);
  canvas->RestoreClip(inner);  // Q
  EXPECT_EQ(FillPage(*canvas, *bitmap, RGB(0, 0, 255)), 900);
  canvas->RestoreClip(outer);  // Q
  EXPECT_EQ(FillPage(*canvas, *bitmap, RGB(255, 255, 0)), 1600);
}

TEST_F(Clip, SaveAfterAClipThatCrossedAQRestoresTheRightClip) {
  // W q n Q: the pending clip is installed inside the q and goes with its Q; a q Q pair
  // after it still restores what it saved.
  Rect(*canvas, 0, 0, 10, 40);
  canvas->SetClip(kFillRuleWinding);
  TDaubrixClip a = canvas->SaveClip();
  canvas->EndPath();
  TDaubrixClip b = canvas->SaveClip();  // q
  ClipTo(*canvas, 0, 0, 5, 5);          // W n
  EXPECT_EQ(FillPage(*canvas, *bitmap, RGB(255, 0, 0)), 25);
  canvas->RestoreClip(b);  // Q
  EXPECT_EQ(FillPage(*canvas, *bitmap, RGB(0, 255, 0)), 400);
  canvas->RestoreClip(a);  // Q
  EXPECT_EQ(FillPage(*canvas, *bitmap, RGB(0, 0, 255)), 1600);
}

TEST_F(Clip, RestoreOfAStateNeverSavedChangesNothing) {
  ClipTo(*canvas, 0, 0, 10, 10);
  canvas->RestoreClip(nullptr);  // Q with an empty stack and the initial state
  EXPECT_EQ(FillPage(*canvas, *bitmap, RGB(255, 0, 0)), 100);
  // A handle of another canvas is not one of ours.
  auto other = WhiteBitmap(4, 4);
  auto second = CanvasOn(*other, kBackEndGDIPlus);
  TDaubrixClip foreign = second->SaveClip();
  canvas->RestoreClip(foreign);
  EXPECT_EQ(FillPage(*canvas, *bitmap, RGB(0, 255, 0)), 100);
}

TEST_F(Clip, PathBeyondTheLimitsClipsWhenPaintedButNotWhenEnded) {
  // A line to (200000, 5) as a clipping path ended with n leaves the clip alone.
  canvas->NewPath();
  canvas->MoveTo(0, 0);
  canvas->LineTo(200000, 5);
  canvas->LineTo(0, 10);
  canvas->ClosePath();
  canvas->SetClip(kFillRuleWinding);
  canvas->EndPath();
  EXPECT_EQ(FillPage(*canvas, *bitmap, RGB(255, 0, 0)), 1600);
  // Used with a fill it does clip.
  canvas->NewPath();
  canvas->MoveTo(0, 0);
  canvas->LineTo(200000, 0);
  canvas->LineTo(200000, 10);
  canvas->LineTo(0, 10);
  canvas->ClosePath();
  canvas->SetClip(kFillRuleWinding);
  canvas->SetFillColor(RGB(0, 255, 0));
  canvas->Fill();
  EXPECT_EQ(FillPage(*canvas, *bitmap, RGB(0, 0, 255)), 400);
}

TEST_F(Clip, ClipWithPathsOffIgnoresEndedClips) {
  TGDIPlusSettings s = SettingsFor(ProviderPath());
  s.ClipWithPaths = 0;
  TPDFDaubrix c;
  c.Setup(&bitmap->Canvas(), s);
  ASSERT_EQ(c.BackEnd(), kBackEndGDIPlus);
  ClipTo(c, 0, 0, 10, 10);
  EXPECT_EQ(FillPage(c, *bitmap, RGB(255, 0, 0)), 1600);
}

TEST_F(Clip, EvenOddClipLeavesTheHole) {
  canvas->NewPath();
  for (auto [x0, x1] : {std::pair{0.0, 40.0}, std::pair{10.0, 30.0}}) {
    canvas->MoveTo(x0, x0);
    canvas->LineTo(x1, x0);
    canvas->LineTo(x1, x1);
    canvas->LineTo(x0, x1);
    canvas->ClosePath();
  }
  canvas->SetClip(kFillRuleEvenOdd);
  canvas->EndPath();
  EXPECT_EQ(FillPage(*canvas, *bitmap, RGB(255, 0, 0)), 1600 - 400);
}

TEST_F(Clip, FillClipBoundsFillsTheClipRectangle) {
  ClipTo(*canvas, 5, 5, 15, 25);
  canvas->SetFillColor(RGB(255, 0, 0));
  canvas->FillClipBounds();
  EXPECT_EQ(CountNonWhite(*bitmap, 0, 0, 40, 40), 200);
  EXPECT_EQ(Pixel(*bitmap, 10, 10), 0xFF0000u);
}

TEST_F(Clip, RepeatedQWnQReusesTheSavedRegion) {
  for (int i = 0; i < 150; ++i) {
    TDaubrixClip s = canvas->SaveClip();
    ClipTo(*canvas, 0, 0, 10 + i % 5, 10);
    canvas->RestoreClip(s);
  }
  // Each Q puts back the region its q saved, so the next q finds the clip unchanged.
  EXPECT_EQ(canvas->SavedClipCount(), 1u);
  EXPECT_EQ(FillPage(*canvas, *bitmap, RGB(255, 0, 0)), 1600);
}
