// Pattern brushes of the GDI+ back end: an axial shading as a line gradient with its stops,
// a tiling cell as a texture, and the plain colour when a pattern cannot be used.
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/patterns/zrx_pattern.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"

using namespace canvastest;

namespace {

void FillRect(TPDFDaubrix& c, double x0, double y0, double x1, double y1) {
  c.NewPath();
  RectFigure(c, x0, y0, x1, y1);
  c.Fill();
}

int Red(uint32_t c) { return int(c >> 16 & 0xFF); }
int Green(uint32_t c) { return int(c >> 8 & 0xFF); }
int Blue(uint32_t c) { return int(c & 0xFF); }

void ThreeStops(TZRXPattern& p) {
  p.Kind = TZRXPattern::kAxial;
  p.Coords = {0, 0, 100, 0};
  p.Colors = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
}

}  // namespace

TEST(DaubrixPatterns, ThreeStopAxialPatternBlendsThroughEachStop) {
  auto bitmap = WhiteBitmap(100, 4);
  auto canvas = CanvasOn(*bitmap, kBackEndGDIPlus);
  TZRXPattern pattern(nullptr);
  ThreeStops(pattern);
  canvas->SetFillPattern(&pattern);
  FillRect(*canvas, 0, 0, 100, 4);
  canvas.reset();
  const uint32_t left = Pixel(*bitmap, 0, 2), middle = Pixel(*bitmap, 50, 2), right = Pixel(*bitmap, 99, 2);
  EXPECT_GT(Red(left), 240);
  EXPECT_LT(Green(left) + Blue(left), 15);
  EXPECT_GT(Green(middle), 240);
  EXPECT_LT(Red(middle) + Blue(middle), 15);
  EXPECT_GT(Blue(right), 240);
  EXPECT_LT(Red(right) + Green(right), 15);
  // A quarter of the way along: half red, half green.
  EXPECT_NEAR(Red(Pixel(*bitmap, 25, 2)), 128, 12);
  EXPECT_NEAR(Green(Pixel(*bitmap, 25, 2)), 128, 12);
}

TEST(DaubrixPatterns, AxialPatternFollowsTheCanvasMatrix) {
  auto bitmap = WhiteBitmap(100, 4);
  auto canvas = CanvasOn(*bitmap, kBackEndGDIPlus);
  TZRXPattern pattern(nullptr);
  ThreeStops(pattern);
  pattern.Coords = {0, 0, 50, 0};
  pattern.Matrix = {1, 0, 0, 1, 25, 0};
  canvas->SetMatrix(1, 0, 0, 1, 25, 0);  // the axis runs from x = 50 to 100
  canvas->SetFillPattern(&pattern);
  FillRect(*canvas, 0, 0, 100, 4);
  canvas.reset();
  EXPECT_GT(Red(Pixel(*bitmap, 50, 2)), 240);
  EXPECT_GT(Green(Pixel(*bitmap, 75, 2)), 240);
  EXPECT_GT(Blue(Pixel(*bitmap, 99, 2)), 240);
}

TEST(DaubrixPatterns, TilingPatternRepeatsItsCell) {
  Picture cell;
  cell.width = 2, cell.height = 2;
  cell.rgb = {0xFF0000, 0x0000FF, 0x0000FF, 0xFF0000};
  auto bitmap = WhiteBitmap(8, 8);
  auto canvas = CanvasOn(*bitmap, kBackEndGDIPlus);
  TZRXPattern pattern(nullptr);
  pattern.Kind = TZRXPattern::kTiling;
  pattern.CellImage.WriteString(EncodePng(cell));
  canvas->SetFillPattern(&pattern);
  FillRect(*canvas, 0, 0, 8, 8);
  canvas.reset();
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(Pixel(*bitmap, x, y), cell.At(x % 2, y % 2)) << x << "," << y;
}

// A pattern of kind 0 fills with the plain colour; a pattern of a drawable kind that cannot
// become a brush (no gradient or texture brushes, a tiling cell without an image, an axis
// without samples) fills nothing.
TEST(DaubrixPatterns, UnusablePatternsFillWithTheColourLostOnesFillNothing) {
  struct Case {
    const char* name;
    bool lacksBrushes;  // the binding's gradient and texture entries emptied
    uint8_t kind;
    uint32_t colour;
  };
  const Case cases[] = {
      {"kind 0", false, TZRXPattern::kUnusable, 0x008000},
      {"axial without gradient brushes", true, TZRXPattern::kAxial, 0xFFFFFF},
      {"tiling without textures", true, TZRXPattern::kTiling, 0xFFFFFF},
      {"tiling with an empty cell", false, TZRXPattern::kTiling, 0xFFFFFF},
      {"axial without samples", false, TZRXPattern::kAxial, 0xFFFFFF},
  };
  for (const Case& c : cases) {
    auto bitmap = WhiteBitmap(10, 10);
    TPDFDaubrix canvas;
    canvas.Setup(&bitmap->Canvas(), SettingsFor(ProviderPath()));
    ASSERT_EQ(canvas.BackEnd(), kBackEndGDIPlus);
    if (c.lacksBrushes) {
      canvas.GDIPlus()->GdipCreateLineBrush = nullptr;
      canvas.GDIPlus()->GdipCreateTexture2 = nullptr;
    }
    TZRXPattern pattern(nullptr);
    ThreeStops(pattern);
    pattern.Kind = c.kind;
    if (std::string(c.name) == "axial without samples") pattern.Colors.clear();
    canvas.SetFillColor(RGB(0, 128, 0));
    canvas.SetFillPattern(&pattern);
    FillRect(canvas, 0, 0, 10, 10);
    EXPECT_EQ(Pixel(*bitmap, 5, 5), c.colour) << c.name;
  }
}

TEST(DaubrixPatterns, SettingAColourDropsThePattern) {
  auto bitmap = WhiteBitmap(10, 4);
  auto canvas = CanvasOn(*bitmap, kBackEndGDIPlus);
  TZRXPattern pattern(nullptr);
  ThreeStops(pattern);
  canvas->SetFillPattern(&pattern);
  canvas->SetFillColor(RGB(1, 2, 3));
  FillRect(*canvas, 0, 0, 10, 4);
  canvas.reset();
  EXPECT_EQ(Pixel(*bitmap, 5, 2), 0x010203u);
}

// A cell drawn by the renderer comes as ARGB words: a clear pixel leaves what lies below, a
// half-clear one blends with it, and an uncoloured cell paints in the fill colour.
TEST(DaubrixPatterns, TilingCellPixelsKeepTheirAlphaAndAnUncolouredCellTakesTheColour) {
  for (const uint8_t paintType : {1, 2}) {
    auto bitmap = WhiteBitmap(6, 2);
    auto canvas = CanvasOn(*bitmap, kBackEndGDIPlus);
    canvas->SetFillColor(RGB(0, 0, 0));
    FillRect(*canvas, 0, 0, 6, 1);  // black below the top row, white below the other
    TZRXPattern pattern(nullptr);
    pattern.Kind = TZRXPattern::kTiling;
    pattern.PaintType = paintType;
    pattern.CellWidth = 3, pattern.CellHeight = 1;
    pattern.CellPixels = {0xFFFF0000u, 0x00000000u, 0x80000000u};
    canvas->SetFillColor(RGB(0, 0, 255));
    canvas->SetFillPattern(&pattern);
    FillRect(*canvas, 0, 0, 6, 2);
    canvas.reset();
    const uint32_t painted = paintType == 1 ? 0xFF0000u : 0x0000FFu;
    for (int x : {0, 3}) {
      EXPECT_EQ(Pixel(*bitmap, x, 0), painted) << int(paintType);
      EXPECT_EQ(Pixel(*bitmap, x, 1), painted) << int(paintType);
      EXPECT_EQ(Pixel(*bitmap, x + 1, 0), 0x000000u) << int(paintType);
      EXPECT_EQ(Pixel(*bitmap, x + 1, 1), 0xFFFFFFu) << int(paintType);
      // Half of black over white; an uncoloured cell's half of blue.
      const uint32_t half = Pixel(*bitmap, x + 2, 1);
      EXPECT_NEAR(int(half >> 16), 127, 2) << int(paintType);
      EXPECT_NEAR(int(half & 0xFF), paintType == 1 ? 127 : 255, 2) << int(paintType);
    }
  }
}
