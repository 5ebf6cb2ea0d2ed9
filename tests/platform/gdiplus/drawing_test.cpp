// Drawing on a device context of plain pixels: paths against their expected coverage, pens,
// brushes, clipping, and images copied pixel for pixel at identity scale.
#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <optional>
#include <random>

#include "tests/platform/gdiplus/provider.h"
#include "tests/support/allocation_watch.h"
#include "tests/support/limited_child.h"

namespace gptest {
namespace {

constexpr uint32_t kWhite = 0xffffff, kRed = 0xff0000;

struct PathHolder {
  GpPath* p = nullptr;
  explicit PathHolder(GpFillMode mode = FillModeAlternate) { EXPECT_EQ(GP(GdipCreatePath)(mode, &p), Ok); }
  ~PathHolder() { GP(GdipDeletePath)(p); }
  void Rect(REAL x0, REAL y0, REAL x1, REAL y1) {
    GP(GdipStartPathFigure)(p);
    GP(GdipAddPathLine)(p, x0, y0, x1, y0);
    GP(GdipAddPathLine)(p, x1, y0, x1, y1);
    GP(GdipAddPathLine)(p, x1, y1, x0, y1);
    GP(GdipClosePathFigure)(p);
  }
};

void FillSolid(GpGraphics* g, GpPath* path, ARGB color) {
  GpSolidFill* brush = nullptr;
  ASSERT_EQ(GP(GdipCreateSolidFill)(color, &brush), Ok);
  EXPECT_EQ(GP(GdipFillPath)(g, reinterpret_cast<GpBrush*>(brush), path), Ok);
  GP(GdipDeleteBrush)(reinterpret_cast<GpBrush*>(brush));
}

// Settings of the graphics a test draws with; the graphics' own defaults where not given.
struct Modes {
  std::optional<SmoothingMode> smoothing = std::nullopt;
  std::optional<PixelOffsetMode> offset = std::nullopt;
};

// Rectangles (left, top, right, bottom), as the figures of one path, filled in a solid colour
// on a white surface.
void FillRects(FakeDC& dc, std::initializer_list<std::array<REAL, 4>> rects, ARGB colour, const Modes& modes = {},
               GpFillMode fillMode = FillModeAlternate) {
  dc.Fill(kWhite);
  DcGraphics g(dc);
  if (modes.smoothing) GP(GdipSetSmoothingMode)(g.get(), *modes.smoothing);
  if (modes.offset) GP(GdipSetPixelOffsetMode)(g.get(), *modes.offset);
  PathHolder path(fillMode);
  for (const auto& r : rects) path.Rect(r[0], r[1], r[2], r[3]);
  FillSolid(g.get(), path.p, colour);
}

int CountColor(FakeDC& dc, uint32_t rgb) {
  int n = 0;
  for (int y = 0; y < dc.height; ++y)
    for (int x = 0; x < dc.width; ++x) n += dc.Pixel(x, y) == rgb;
  return n;
}

TEST(GdiplusPaths, AliasedRectangleCoversExactlyItsPixelCentres) {
  for (PixelOffsetMode offset : {PixelOffsetModeHalf, PixelOffsetModeNone}) {
    FakeDC dc(20, 14);
    FillRects(dc, {{2, 3, 12, 9}}, 0xffff0000, {.smoothing = SmoothingModeNone, .offset = offset});
    for (int y = 0; y < dc.height; ++y)
      for (int x = 0; x < dc.width; ++x) {
        const bool inside = x >= 2 && x < 12 && y >= 3 && y < 9;
        ASSERT_EQ(dc.Pixel(x, y), inside ? kRed : kWhite) << x << "," << y << " offset " << offset;
      }
    EXPECT_EQ(dc.releases, 1);
    EXPECT_TRUE(dc.modified);
  }
}

TEST(GdiplusPaths, AntialiasedEdgesFollowCoverage) {
  FakeDC dc(16, 8);
  // Column 2 is three quarters covered.
  FillRects(dc, {{2.25f, 1, 6, 5}}, 0xff000000, {.smoothing = SmoothingModeAntiAlias, .offset = PixelOffsetModeHalf});
  EXPECT_EQ(dc.Pixel(3, 2), 0u);
  EXPECT_EQ(dc.Pixel(6, 2), kWhite);
  const int grey = int(dc.Pixel(2, 2) & 0xff);
  EXPECT_NEAR(grey, 64, 3);  // 255 x (1 - 0.75)

  // Without the half-pixel offset pixel centres sit on integers: whole-number edges cut
  // their pixels in half.
  FakeDC dc2(16, 8);
  FillRects(dc2, {{2, 1, 6, 5}}, 0xff000000, {.smoothing = SmoothingModeAntiAlias, .offset = PixelOffsetModeNone});
  EXPECT_NEAR(int(dc2.Pixel(2, 3) & 0xff), 128, 3);
  EXPECT_NEAR(int(dc2.Pixel(6, 3) & 0xff), 128, 3);
  EXPECT_EQ(dc2.Pixel(4, 3), 0u);
}

TEST(GdiplusPaths, FillModesDecideOverlaps) {
  for (GpFillMode mode : {FillModeAlternate, FillModeWinding}) {
    FakeDC dc(20, 20);
    // Both in the same direction: winding number 2 in the overlap.
    FillRects(dc, {{2, 2, 12, 12}, {6, 6, 16, 16}}, 0xffff0000, {.offset = PixelOffsetModeHalf}, mode);
    EXPECT_EQ(dc.Pixel(3, 3), kRed);
    EXPECT_EQ(dc.Pixel(14, 14), kRed);
    EXPECT_EQ(dc.Pixel(8, 8), mode == FillModeWinding ? kRed : kWhite) << mode;
  }
}

TEST(GdiplusPaths, PointCountAndFigures) {
  PathHolder path;
  int32_t count = -1;
  GP(GdipStartPathFigure)(path.p);
  GP(GdipAddPathLine)(path.p, 1, 1, 5, 5);
  GP(GdipGetPointCount)(path.p, &count);
  EXPECT_EQ(count, 2);
  GP(GdipAddPathLine)(path.p, 5, 5, 5, 5);  // a zero-length line continues the figure
  GP(GdipGetPointCount)(path.p, &count);
  EXPECT_EQ(count, 3);
  GP(GdipAddPathBezier)(path.p, 5, 5, 6, 6, 7, 7, 8, 5);
  GP(GdipClosePathFigure)(path.p);
  GP(GdipGetPointCount)(path.p, &count);
  EXPECT_EQ(count, 6);
  // Read back as they were added, the figure's end marked closed; a shorter array is refused.
  std::vector<GpPointF> points(6);
  std::vector<uint8_t> types(6);
  ASSERT_EQ(GP(GdipGetPathPoints)(path.p, points.data(), 6), Ok);
  ASSERT_EQ(GP(GdipGetPathTypes)(path.p, types.data(), 6), Ok);
  EXPECT_EQ(points[1].X, 5);
  EXPECT_EQ(points[5].X, 8);
  EXPECT_EQ(types, (std::vector<uint8_t>{PathPointTypeStart, PathPointTypeLine, PathPointTypeLine, PathPointTypeBezier,
                                         PathPointTypeBezier, PathPointTypeBezier | PathPointTypeCloseSubpath}));
  EXPECT_EQ(GP(GdipGetPathPoints)(path.p, points.data(), 5), InsufficientBuffer);
  EXPECT_EQ(GP(GdipGetPathTypes)(path.p, nullptr, 6), InvalidParameter);
  EXPECT_EQ(GP(GdipSetPathFillMode)(path.p, FillModeWinding), Ok);
  EXPECT_EQ(GP(GdipSetPathFillMode)(path.p, GpFillMode(2)), InvalidParameter);
}

struct StrokeCase {
  const char* what;
  GpLineCap cap;
  std::vector<REAL> dashes;
  int firstColumn, lastColumn;  // expected extent on the line's row
  std::vector<int> gaps;        // columns inside the extent left white
};

// A black line two pixels wide along row 5, with its caps and dashes, on a white surface.
void DrawRow(FakeDC& dc, GpLineCap cap, const std::vector<REAL>& dashes, REAL from, REAL to) {
  dc.Fill(kWhite);
  DcGraphics g(dc);
  GP(GdipSetPixelOffsetMode)(g.get(), PixelOffsetModeHalf);
  GpPen* pen = nullptr;
  ASSERT_EQ(GP(GdipCreatePen1)(0xff000000, 2, UnitPixel, &pen), Ok);
  GP(GdipSetPenStartCap)(pen, cap);
  GP(GdipSetPenEndCap)(pen, cap);
  if (!dashes.empty()) {
    ASSERT_EQ(GP(GdipSetPenDashArray)(pen, dashes.data(), int32_t(dashes.size())), Ok);
  }
  PathHolder path;
  GP(GdipAddPathLine)(path.p, from, 5, to, 5);
  EXPECT_EQ(GP(GdipDrawPath)(g.get(), pen, path.p), Ok);
  GP(GdipDeletePen)(pen);
}

TEST(GdiplusPens, WidthCapsAndDashes) {
  const StrokeCase cases[] = {
      {"flat", LineCapFlat, {}, 2, 19, {}},
      {"square", LineCapSquare, {}, 1, 20, {}},
      {"dashed", LineCapFlat, {2, 1}, 2, 19, {6, 7, 12, 13, 18, 19}},
  };
  for (const StrokeCase& c : cases) {
    FakeDC dc(24, 10);
    DrawRow(dc, c.cap, c.dashes, 2, 20);
    for (int y : {4, 5}) {
      for (int x = 0; x < dc.width; ++x) {
        const bool gap = std::find(c.gaps.begin(), c.gaps.end(), x) != c.gaps.end();
        const bool inked = x >= c.firstColumn && x <= c.lastColumn && !gap;
        EXPECT_EQ(dc.Pixel(x, y), inked ? 0u : kWhite) << c.what << " at " << x << "," << y;
      }
    }
    EXPECT_EQ(dc.Pixel(10, 3), kWhite) << c.what;
    EXPECT_EQ(dc.Pixel(10, 6), kWhite) << c.what;
  }
}

TEST(GdiplusPens, DashesFinerThanThePathCanHoldDrawSolid) {
  // Millions of dashes a pixel apart would be stepped through one by one, on the surface or
  // not: the line is drawn solid. A short line keeps its dashes.
  struct Case {
    double from, to;
    bool solid;
  };
  for (const Case& c : {Case{-4e6, 4e6, true}, Case{2, 20, false}}) {
    FakeDC dc(24, 10);
    DrawRow(dc, LineCapFlat, {1, 1}, REAL(c.from), REAL(c.to));
    int inked = 0;
    for (int x = 2; x < 20; ++x) inked += dc.Pixel(x, 5) == 0u;
    EXPECT_EQ(inked == 18, c.solid) << c.from << " " << inked;
  }
}

TEST(GdiplusPens, DashesOfPensThinnerThanAPixelAreMultiplesOfTheirOwnWidth) {
  // The pen is drawn a pixel wide, its dashes as long as its own width makes them: 13.5 on,
  // 4.5 off, from x = 2 along row 5 (and shifted by the offset, in widths too).
  struct Case {
    REAL width, offset;
  };
  for (const Case& c : {Case{0.75f, 0}, Case{0.5f, 0}, Case{0.1f, 0}, Case{0.5f, 6}, Case{1.5f, 1}}) {
    SCOPED_TRACE(testing::Message() << "width " << c.width << " offset " << c.offset);
    FakeDC dc(64, 12);
    dc.Fill(kWhite);
    DcGraphics g(dc);
    GP(GdipSetPixelOffsetMode)(g.get(), PixelOffsetModeHalf);
    GP(GdipSetSmoothingMode)(g.get(), SmoothingModeAntiAlias);
    GpPen* pen = nullptr;
    ASSERT_EQ(GP(GdipCreatePen1)(0xff000000, c.width, UnitPixel, &pen), Ok);
    const std::vector<REAL> dashes = {13.5f / c.width, 4.5f / c.width};
    ASSERT_EQ(GP(GdipSetPenDashArray)(pen, dashes.data(), 2), Ok);
    ASSERT_EQ(GP(GdipSetPenDashOffset)(pen, c.offset), Ok);
    PathHolder path;
    GP(GdipAddPathLine)(path.p, 2, 5.5f, 60, 5.5f);
    EXPECT_EQ(GP(GdipDrawPath)(g.get(), pen, path.p), Ok);
    GP(GdipDeletePen)(pen);
    const double shift = c.offset * c.width;
    for (int x = 0; x < dc.width; ++x) {
      // The share of the column [x, x + 1] that the dashes cover.
      double covered = 0;
      for (double on = 2 - shift; on < 60; on += 18)
        covered += std::max(0.0, std::min({on + 13.5, double(x + 1), 60.0}) - std::max({on, double(x), 2.0}));
      double ink = 0;
      for (int y = 0; y < dc.height; ++y) ink += (255 - int(dc.Pixel(x, y) & 0xff)) / 255.0;
      EXPECT_NEAR(ink / std::max(1.0, double(c.width)), covered, 0.2) << "column " << x;
    }
  }
}

// Pens whose outline reaches past the fixed-point range cairo keeps coordinates in (a pen 50
// million pixels wide, dashed, through a clip of two rectangles, as an EMF drew it; wider and
// narrower ones, square and flat caps, a pen widened by its transform), each drawn in a child
// process: the child ends normally and the stroke covers the clip and nothing else.
TEST(GdiplusPens, PensPastTheFixedPointRangeCoverTheClip) {
  struct Case {
    REAL width;
    GpLineCap cap;
    std::vector<REAL> dashes;
    REAL scale;  // of the pen's transform
  };
  const Case cases[] = {{50264976, LineCapRound, {0.01f, 0.01f}, 1}, {5e7f, LineCapRound, {1, 1}, 1},
                        {1.6e7f, LineCapRound, {0.01f, 0.01f}, 1},  {1e9f, LineCapSquare, {}, 1},
                        {3e7f, LineCapFlat, {0.5f, 0.25f}, 1},      {500, LineCapRound, {0.01f, 0.01f}, 1e5f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "width " << c.width << " cap " << c.cap << " scale " << c.scale);
    const testsupport::ChildEnd end = testsupport::RunLimited([&] {
      FakeDC dc(70, 54);
      dc.Fill(kWhite);
      {
        DcGraphics g(dc);
        GP(GdipSetSmoothingMode)(g.get(), SmoothingModeAntiAlias);
        GP(GdipSetPixelOffsetMode)(g.get(), PixelOffsetModeHalf);
        PathHolder clip(FillModeWinding);
        clip.Rect(1, 31, 30.9205685f, 1);
        clip.Rect(38.4007149f, 31, 68.3212891f, 1);
        GP(GdipSetClipPath)(g.get(), clip.p, CombineModeIntersect);
        GpPen* pen = nullptr;
        if (GP(GdipCreatePen1)(0xff00ff00, c.width, UnitPixel, &pen) != Ok) return 2;
        GP(GdipSetPenStartCap)(pen, c.cap);
        GP(GdipSetPenEndCap)(pen, c.cap);
        GP(GdipSetPenLineJoin)(pen, LineJoinRound);
        GP(GdipSetPenDashCap197819)(pen, DashCapRound);
        if (!c.dashes.empty()) GP(GdipSetPenDashArray)(pen, c.dashes.data(), int32_t(c.dashes.size()));
        GpMatrix* scale = nullptr;
        GP(GdipCreateMatrix2)(c.scale, 0, 0, c.scale, 0, 0, &scale);
        GP(GdipSetPenTransform)(pen, scale);
        GP(GdipDeleteMatrix)(scale);
        PathHolder path;
        GP(GdipAddPathLine)(path.p, 1, 1, 12.220212f, 38.4999962f);
        GP(GdipAddPathBezier)(path.p, 12.220212f, 38.4999962f, 12.220212f, 36.4289284f, 10.5457258f, 34.75f, 8.4801445f,
                              34.75f);
        GP(GdipAddPathBezier)(path.p, 8.4801445f, 34.75f, 6.41455841f, 34.75f, 4.74007225f, 36.4289284f, 4.74007225f,
                              38.4999962f);
        const GpStatus drawn = GP(GdipDrawPath)(g.get(), pen, path.p);
        GP(GdipDeletePen)(pen);
        if (drawn != Ok) return 3;
      }
      // The columns the clip's edges cut through are partly covered.
      for (int y = 0; y < dc.height; ++y)
        for (int x = 0; x < dc.width; ++x) {
          if (x == 30 || x == 38 || x == 68) continue;
          const bool clipped = y >= 1 && y < 31 && ((x >= 1 && x < 30) || (x > 38 && x < 68));
          if (dc.Pixel(x, y) != (clipped ? 0x00ff00u : kWhite)) return 4;
        }
      return 0;
    });
    EXPECT_TRUE(end.Normal()) << testsupport::Describe(end);
  }
}

// A miter limit far past the range (1e30) on a line 40 pixels wide that turns back on itself:
// its miter, 40,000 pixels long, is drawn, the line with it (cairo culled the whole stroke as
// lying beyond its range).
TEST(GdiplusPens, MiterLimitsPastTheFixedPointRangeKeepTheLine) {
  FakeDC dc(70, 54);
  dc.Fill(kWhite);
  {
    DcGraphics g(dc);
    GP(GdipSetPixelOffsetMode)(g.get(), PixelOffsetModeHalf);
    GpPen* pen = nullptr;
    ASSERT_EQ(GP(GdipCreatePen1)(0xff00ff00, 40, UnitPixel, &pen), Ok);
    GP(GdipSetPenLineJoin)(pen, LineJoinMiter);
    ASSERT_EQ(GP(GdipSetPenMiterLimit)(pen, 1e30f), Ok);
    PathHolder path;
    GP(GdipAddPathLine)(path.p, 10, 20, 60, 20);
    GP(GdipAddPathLine)(path.p, 60, 20, 10, 20.05f);
    EXPECT_EQ(GP(GdipDrawPath)(g.get(), pen, path.p), Ok);
    GP(GdipDeletePen)(pen);
  }
  for (int y = 0; y < dc.height; ++y)
    for (int x = 0; x < dc.width; ++x) {
      if (y == 40) continue;  // the line's lower edge, 0.05 pixels lower on its way back
      ASSERT_EQ(dc.Pixel(x, y), x >= 10 && y < 40 ? 0x00ff00u : kWhite) << x << "," << y;
    }
}

TEST(GdiplusPens, TranslucentColoursBlend) {
  FakeDC dc(10, 10);
  FillRects(dc, {{0, 0, 10, 10}}, 0x80ff0000);  // alpha 128
  const uint32_t c = dc.Pixel(5, 5);
  EXPECT_EQ(c >> 16, 255u);
  EXPECT_NEAR(int((c >> 8) & 0xff), 127, 1);
}

TEST(GdiplusClip, RectanglesRegionsAndSavedStates) {
  FakeDC dc(20, 20);
  dc.Fill(kWhite);
  DcGraphics g(dc);
  GP(GdipSetPixelOffsetMode)(g.get(), PixelOffsetModeHalf);
  PathHolder all;
  all.Rect(0, 0, 20, 20);

  ASSERT_EQ(GP(GdipSetClipRect)(g.get(), 4, 4, 5, 5, CombineModeReplace), Ok);
  GpRectF bounds{};
  ASSERT_EQ(GP(GdipGetVisibleClipBounds)(g.get(), &bounds), Ok);
  EXPECT_FLOAT_EQ(bounds.X, 4);
  EXPECT_FLOAT_EQ(bounds.Width, 5);
  GraphicsState state = 0;
  ASSERT_EQ(GP(GdipSaveGraphics)(g.get(), &state), Ok);
  GP(GdipSetClipRect)(g.get(), 6, 6, 1, 1, CombineModeExclude);  // a hole: drawn through a mask
  FillSolid(g.get(), all.p, 0xffff0000);
  EXPECT_EQ(CountColor(dc, kRed), 24);
  EXPECT_EQ(dc.Pixel(6, 6), kWhite);
  ASSERT_EQ(GP(GdipRestoreGraphics)(g.get(), state), Ok);
  EXPECT_EQ(GP(GdipRestoreGraphics)(g.get(), state), InvalidParameter);  // used up

  // The clip as a region, taken out and put back after a reset.
  GpRegion* region = nullptr;
  ASSERT_EQ(GP(GdipCreateRegion)(&region), Ok);
  ASSERT_EQ(GP(GdipGetClip)(g.get(), region), Ok);
  GP(GdipResetClip)(g.get());
  ASSERT_EQ(GP(GdipSetClipRegion)(g.get(), region, CombineModeReplace), Ok);
  FillSolid(g.get(), all.p, 0xff0000ff);
  EXPECT_EQ(CountColor(dc, 0x0000ff), 25);
  GP(GdipDeleteRegion)(region);

  // A clip path intersected with the rectangle.
  PathHolder left;
  left.Rect(0, 0, 6, 20);
  ASSERT_EQ(GP(GdipSetClipPath)(g.get(), left.p, CombineModeIntersect), Ok);
  EXPECT_EQ(GP(GdipGraphicsClear)(g.get(), 0xff00ff00), Ok);
  EXPECT_EQ(CountColor(dc, 0x00ff00), 10);
}

TEST(GdiplusBrushes, LineGradientAndPresetBlend) {
  FakeDC dc(11, 4);
  {
    DcGraphics g(dc);
    GP(GdipSetPixelOffsetMode)(g.get(), PixelOffsetModeHalf);
    const GpPointF a{0.5f, 0}, b{10.5f, 0};
    GpLineGradient* brush = nullptr;
    ASSERT_EQ(GP(GdipCreateLineBrush)(&a, &b, 0xff000000, 0xffffffff, WrapModeTile, &brush), Ok);
    const ARGB colors[3] = {0xffff0000, 0xff00ff00, 0xff0000ff};
    const REAL positions[3] = {0, 0.5f, 1};
    ASSERT_EQ(GP(GdipSetLinePresetBlend)(brush, colors, positions, 3), Ok);
    const REAL badPositions[3] = {0.1f, 0.5f, 1};
    EXPECT_EQ(GP(GdipSetLinePresetBlend)(brush, colors, badPositions, 3), InvalidParameter);
    PathHolder path;
    path.Rect(0, 0, 11, 4);
    EXPECT_EQ(GP(GdipFillPath)(g.get(), reinterpret_cast<GpBrush*>(brush), path.p), Ok);
    GP(GdipDeleteBrush)(reinterpret_cast<GpBrush*>(brush));
  }
  EXPECT_EQ(dc.Pixel(0, 1), 0xff0000u);
  EXPECT_EQ(dc.Pixel(5, 1), 0x00ff00u);
  const uint32_t late = dc.Pixel(9, 1);  // 0.9 along: four fifths from green to blue
  EXPECT_NEAR(int(late & 0xff), 204, 2);
  EXPECT_NEAR(int((late >> 8) & 0xff), 51, 2);
}

TEST(GdiplusBrushes, TextureTilesTheImage) {
  GpBitmap* tile = nullptr;
  uint8_t pixels[8] = {0, 0, 0xff, 0xff, 0xff, 0, 0, 0xff};  // 2 x 1, 32bppARGB: red, blue
  ASSERT_EQ(GP(GdipCreateBitmapFromScan0)(2, 1, 8, PixelFormat32bppARGB, pixels, &tile), Ok);
  GpTexture* brush = nullptr;
  ASSERT_EQ(GP(GdipCreateTexture2)(reinterpret_cast<GpImage*>(tile), WrapModeTile, 0, 0, 2, 1, &brush), Ok);
  GP(GdipDisposeImage)(reinterpret_cast<GpImage*>(tile));  // the brush keeps its own copy
  GpMatrix* m = nullptr;
  GP(GdipCreateMatrix2)(1, 0, 0, 1, 1, 0, &m);  // shifted by one pixel
  ASSERT_EQ(GP(GdipSetTextureTransform)(brush, m), Ok);
  GP(GdipDeleteMatrix)(m);
  FakeDC dc(8, 2);
  {
    DcGraphics g(dc);
    GP(GdipSetPixelOffsetMode)(g.get(), PixelOffsetModeHalf);
    GP(GdipSetInterpolationMode)(g.get(), InterpolationModeNearestNeighbor);
    PathHolder path;
    path.Rect(0, 0, 8, 2);
    EXPECT_EQ(GP(GdipFillPath)(g.get(), reinterpret_cast<GpBrush*>(brush), path.p), Ok);
  }
  GP(GdipDeleteBrush)(reinterpret_cast<GpBrush*>(brush));
  for (int x = 0; x < 8; ++x) EXPECT_EQ(dc.Pixel(x, 1), x % 2 ? kRed : 0x0000ffu) << x;
}

// A bitmap of random opaque pixels.
GpBitmap* RandomBitmap(int32_t w, int32_t h, std::vector<uint8_t>& bgr) {
  std::mt19937 rng(uint32_t(w * 131 + h));
  const int32_t stride = ((w * 3 + 3) / 4) * 4;
  bgr.assign(size_t(stride) * size_t(h), 0);
  for (auto& b : bgr) b = uint8_t(rng());
  GpBitmap* bitmap = nullptr;
  EXPECT_EQ(GP(GdipCreateBitmapFromScan0)(w, h, stride, PixelFormat24bppRGB, bgr.data(), &bitmap), Ok);
  return bitmap;
}

// The colour (0xRRGGBB) of a pixel of such a bitmap of width w.
uint32_t RgbAt(const std::vector<uint8_t>& bgr, int32_t w, int x, int y) {
  const size_t stride = size_t((w * 3 + 3) / 4) * 4;
  const uint8_t* p = bgr.data() + size_t(y) * stride + size_t(x) * 3;
  return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

TEST(GdiplusImages, IdentityDrawingCopiesPixelsExactly) {
  std::vector<uint8_t> bgr;
  GpBitmap* bitmap = RandomBitmap(37, 23, bgr);
  auto* image = reinterpret_cast<GpImage*>(bitmap);
  struct Mode {
    PixelOffsetMode offset;
    InterpolationMode interpolation;
    SmoothingMode smoothing;
  };
  const Mode modes[] = {
      {PixelOffsetModeHalf, InterpolationModeNearestNeighbor, SmoothingModeNone},
      {PixelOffsetModeNone, InterpolationModeBilinear, SmoothingModeAntiAlias},
      {PixelOffsetModeHighQuality, InterpolationModeHighQualityBicubic, SmoothingModeHighQuality},
      {PixelOffsetModeDefault, InterpolationModeDefault, SmoothingModeDefault},
  };
  for (const Mode& mode : modes) {
    for (int how = 0; how < 3; ++how) {
      for (int bpp : {24, 32}) {
        FakeDC dc(50, 40, bpp, bpp == 32);
        dc.Fill(0x123456);
        {
          DcGraphics g(dc);
          GP(GdipSetPixelOffsetMode)(g.get(), mode.offset);
          GP(GdipSetInterpolationMode)(g.get(), mode.interpolation);
          GP(GdipSetSmoothingMode)(g.get(), mode.smoothing);
          const GpPointF corners[3] = {{5, 7}, {42, 7}, {5, 30}};
          GpStatus st;
          if (how == 0) st = GP(GdipDrawImageRect)(g.get(), image, 5, 7, 37, 23);
          else if (how == 1) st = GP(GdipDrawImagePoints)(g.get(), image, corners, 3);
          else
            st = GP(GdipDrawImagePointsRect)(g.get(), image, corners, 3, 0, 0, 37, 23, UnitPixel, nullptr, nullptr,
                                             nullptr);
          ASSERT_EQ(st, Ok);
        }
        for (int y = 0; y < dc.height; ++y)
          for (int x = 0; x < dc.width; ++x) {
            uint32_t expected = 0x123456;
            if (x >= 5 && x < 42 && y >= 7 && y < 30) expected = RgbAt(bgr, 37, x - 5, y - 7);
            ASSERT_EQ(dc.Pixel(x, y), expected) << "at " << x << "," << y << " mode " << mode.offset << "/"
                                                << mode.interpolation << " call " << how << " bpp " << bpp;
          }
      }
    }
  }
  GP(GdipDisposeImage)(image);
}

// Pixel-for-pixel placements reaching past the target's edges, with and without a clip, on
// bottom-up and top-down 24-bit targets: exactly the picture's pixels where it lies inside the
// target and the clip, the target's own everywhere else.
TEST(GdiplusImages, PixelExactPlacementsStopAtEdgesAndClip) {
  std::vector<uint8_t> bgr;
  GpBitmap* bitmap = RandomBitmap(37, 23, bgr);
  auto* image = reinterpret_cast<GpImage*>(bitmap);
  struct Case {
    int ox, oy;
    bool clip;  // clipped to (10, 10)-(30, 20)
  };
  const Case cases[] = {{-5, -4, false}, {20, 25, false}, {60, 0, false}, {0, -30, false},
                        {5, 7, true},    {-5, -4, true},  {20, 25, true}};
  for (const Case& c : cases) {
    for (bool topDown : {false, true}) {
      FakeDC dc(50, 40, 24, topDown);
      dc.Fill(0x123456);
      {
        DcGraphics g(dc);
        if (c.clip) { ASSERT_EQ(GP(GdipSetClipRect)(g.get(), 10, 10, 20, 10, CombineModeReplace), Ok); }
        const GpPointF corners[3] = {{REAL(c.ox), REAL(c.oy)}, {REAL(c.ox + 37), REAL(c.oy)}, {REAL(c.ox), REAL(c.oy + 23)}};
        ASSERT_EQ(GP(GdipDrawImagePoints)(g.get(), image, corners, 3), Ok);
      }
      for (int y = 0; y < dc.height; ++y)
        for (int x = 0; x < dc.width; ++x) {
          uint32_t expected = 0x123456;
          const bool onImage = x >= c.ox && x < c.ox + 37 && y >= c.oy && y < c.oy + 23;
          const bool inClip = !c.clip || (x >= 10 && x < 30 && y >= 10 && y < 20);
          if (onImage && inClip) expected = RgbAt(bgr, 37, x - c.ox, y - c.oy);
          ASSERT_EQ(dc.Pixel(x, y), expected) << "at " << x << "," << y << " placed at " << c.ox << "," << c.oy
                                              << (c.clip ? " clipped" : "") << (topDown ? " top-down" : "");
        }
    }
  }
  GP(GdipDisposeImage)(image);
}

// Clips made of rectangles whose edges fall on whole pixels (after the pixel offset) let the
// picture's rows be copied straight through; clips on fractions go the general way. Either way
// exactly the pixels whose centres the clip holds take the picture's.
TEST(GdiplusImages, PixelExactPlacementsInsideRectangleClips) {
  std::vector<uint8_t> bgr;
  GpBitmap* bitmap = RandomBitmap(37, 23, bgr);
  auto* image = reinterpret_cast<GpImage*>(bitmap);
  struct Case {
    const char* name;
    PixelOffsetMode offset;
    std::vector<std::array<REAL, 4>> rects;  // x, y, width, height, intersected
    bool downFirst;                          // the first as a path going down its left side first
    std::array<int, 4> box;                  // the pixels let through: x0, y0, x1, y1
  };
  const Case cases[] = {
      {"one rectangle", PixelOffsetModeHalf, {{10, 10, 20, 10}}, false, {10, 10, 30, 20}},
      {"two rectangles", PixelOffsetModeHalf, {{10, 10, 20, 10}, {15, 5, 30, 12}}, false, {15, 10, 30, 17}},
      {"whole after the offset", PixelOffsetModeNone, {{9.5f, 9.5f, 20, 10}}, false, {10, 10, 30, 20}},
      {"on fractions", PixelOffsetModeHalf, {{10.25f, 10.25f, 20, 10}}, false, {10, 10, 30, 20}},
      {"a path going down first", PixelOffsetModeHalf, {{12, 8, 28, 22}}, true, {12, 8, 40, 30}},
      {"rectangles apart", PixelOffsetModeHalf, {{0, 0, 5, 5}, {30, 30, 5, 5}}, false, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    for (const std::array<int, 2> at : {std::array<int, 2>{5, 7}, std::array<int, 2>{-5, -4}}) {
      for (bool topDown : {false, true}) {
        FakeDC dc(50, 40, 24, topDown);
        dc.Fill(0x123456);
        {
          DcGraphics g(dc);
          GP(GdipSetPixelOffsetMode)(g.get(), c.offset);
          for (size_t i = 0; i < c.rects.size(); ++i) {
            const auto& r = c.rects[i];
            const CombineMode mode = i == 0 ? CombineModeReplace : CombineModeIntersect;
            if (i == 0 && c.downFirst) {
              PathHolder path;
              GP(GdipAddPathLine)(path.p, r[0], r[1], r[0], r[1] + r[3]);
              GP(GdipAddPathLine)(path.p, r[0], r[1] + r[3], r[0] + r[2], r[1] + r[3]);
              GP(GdipAddPathLine)(path.p, r[0] + r[2], r[1] + r[3], r[0] + r[2], r[1]);
              GP(GdipClosePathFigure)(path.p);
              ASSERT_EQ(GP(GdipSetClipPath)(g.get(), path.p, mode), Ok);
            } else {
              ASSERT_EQ(GP(GdipSetClipRect)(g.get(), r[0], r[1], r[2], r[3], mode), Ok);
            }
          }
          const GpPointF corners[3] = {{REAL(at[0]), REAL(at[1])}, {REAL(at[0] + 37), REAL(at[1])}, {REAL(at[0]), REAL(at[1] + 23)}};
          ASSERT_EQ(GP(GdipDrawImagePoints)(g.get(), image, corners, 3), Ok);
        }
        for (int y = 0; y < dc.height; ++y)
          for (int x = 0; x < dc.width; ++x) {
            uint32_t expected = 0x123456;
            const bool onImage = x >= at[0] && x < at[0] + 37 && y >= at[1] && y < at[1] + 23;
            const bool inClip = x >= c.box[0] && x < c.box[2] && y >= c.box[1] && y < c.box[3];
            if (onImage && inClip) expected = RgbAt(bgr, 37, x - at[0], y - at[1]);
            ASSERT_EQ(dc.Pixel(x, y), expected) << c.name << " at " << x << "," << y << " placed at " << at[0] << ","
                                                << at[1] << (topDown ? " top-down" : "");
          }
      }
    }
  }
  GP(GdipDisposeImage)(image);
}

// A picture drawn onto its own pixels, one row down, reads each source row before it is
// overwritten: the rows come out as they were before the drawing.
TEST(GdiplusImages, PictureDrawnOntoItselfKeepsItsRows) {
  std::vector<uint8_t> bgr;
  GpBitmap* bitmap = RandomBitmap(8, 6, bgr);
  const std::vector<uint8_t> before = bgr;
  GpGraphics* g = nullptr;
  ASSERT_EQ(GP(GdipGetImageGraphicsContext)(reinterpret_cast<GpImage*>(bitmap), &g), Ok);
  const GpPointF corners[3] = {{0, 1}, {8, 1}, {0, 7}};
  ASSERT_EQ(GP(GdipDrawImagePoints)(g, reinterpret_cast<GpImage*>(bitmap), corners, 3), Ok);
  GP(GdipDeleteGraphics)(g);
  const size_t stride = ((8 * 3 + 3) / 4) * 4;
  for (size_t y = 1; y < 6; ++y)
    EXPECT_TRUE(std::equal(before.begin() + (y - 1) * stride, before.begin() + (y - 1) * stride + 24,
                           bgr.begin() + y * stride))
        << "row " << y;
  GP(GdipDisposeImage)(reinterpret_cast<GpImage*>(bitmap));
}

TEST(GdiplusImages, ScaledNearestNeighbourRepeatsPixels) {
  uint8_t pixels[8] = {0, 0, 0xff, 0xff, 0xff, 0, 0, 0xff};  // red, blue
  GpBitmap* bitmap = nullptr;
  ASSERT_EQ(GP(GdipCreateBitmapFromScan0)(2, 1, 8, PixelFormat32bppARGB, pixels, &bitmap), Ok);
  FakeDC dc(8, 4);
  {
    DcGraphics g(dc);
    GP(GdipSetPixelOffsetMode)(g.get(), PixelOffsetModeHalf);
    GP(GdipSetInterpolationMode)(g.get(), InterpolationModeNearestNeighbor);
    ASSERT_EQ(GP(GdipDrawImageRect)(g.get(), reinterpret_cast<GpImage*>(bitmap), 0, 0, 8, 4), Ok);
  }
  for (int x = 0; x < 8; ++x) EXPECT_EQ(dc.Pixel(x, 2), x < 4 ? kRed : 0x0000ffu) << x;
  GP(GdipDisposeImage)(reinterpret_cast<GpImage*>(bitmap));
}

TEST(GdiplusImages, ColourKeyLeavesKeyedPixelsTransparent) {
  // 3 x 1: near black, mid grey, white; the 24-bit plane goes another way to the surface.
  struct Case {
    PixelFormat format;
    std::vector<uint8_t> pixels;
  };
  const Case cases[] = {
      {PixelFormat32bppARGB, {5, 5, 5, 0xff, 128, 128, 128, 0xff, 255, 255, 255, 0xff}},
      {PixelFormat24bppRGB, {5, 5, 5, 128, 128, 128, 255, 255, 255, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    std::vector<uint8_t> pixels = c.pixels;
    GpBitmap* bitmap = nullptr;
    ASSERT_EQ(GP(GdipCreateBitmapFromScan0)(3, 1, 12, c.format, pixels.data(), &bitmap), Ok);
    GpImageAttributes* attributes = nullptr;
    ASSERT_EQ(GP(GdipCreateImageAttributes)(&attributes), Ok);
    ASSERT_EQ(GP(GdipSetImageAttributesColorKeys)(attributes, ColorAdjustTypeBitmap, 1, 0xff000000, 0xff0a0a0a), Ok);
    FakeDC dc(3, 1);
    dc.Fill(kRed);
    {
      DcGraphics g(dc);
      const GpPointF corners[3] = {{0, 0}, {3, 0}, {0, 1}};
      ASSERT_EQ(GP(GdipDrawImagePointsRect)(g.get(), reinterpret_cast<GpImage*>(bitmap), corners, 3, 0, 0, 3, 1,
                                            UnitPixel, attributes, nullptr, nullptr),
                Ok);
    }
    EXPECT_EQ(dc.Pixel(0, 0), kRed);
    EXPECT_EQ(dc.Pixel(1, 0), 0x808080u);
    EXPECT_EQ(dc.Pixel(2, 0), kWhite);
    GP(GdipDisposeImageAttributes)(attributes);
    GP(GdipDisposeImage)(reinterpret_cast<GpImage*>(bitmap));
  }
}

TEST(GdiplusImages, GraphicsOnABitmapWritesTheCallersMemory) {
  std::vector<uint8_t> memory(4 * 4 * 4, 0);
  GpBitmap* bitmap = nullptr;
  ASSERT_EQ(GP(GdipCreateBitmapFromScan0)(4, 4, 16, PixelFormat32bppARGB, memory.data(), &bitmap), Ok);
  GpGraphics* g = nullptr;
  ASSERT_EQ(GP(GdipGetImageGraphicsContext)(reinterpret_cast<GpImage*>(bitmap), &g), Ok);
  EXPECT_EQ(GP(GdipGraphicsClear)(g, 0x80ff0000), Ok);
  GP(GdipDeleteGraphics)(g);
  EXPECT_EQ(memory[0], 0);  // B
  EXPECT_EQ(memory[2], 0xff);  // R, straight alpha
  EXPECT_EQ(memory[3], 0x80);
  GP(GdipDisposeImage)(reinterpret_cast<GpImage*>(bitmap));

  GpBitmap* indexed = nullptr;
  ASSERT_EQ(GP(GdipCreateBitmapFromScan0)(4, 4, 0, PixelFormat8bppIndexed, nullptr, &indexed), Ok);
  EXPECT_EQ(GP(GdipGetImageGraphicsContext)(reinterpret_cast<GpImage*>(indexed), &g), InvalidParameter);
  GP(GdipDisposeImage)(reinterpret_cast<GpImage*>(indexed));
}

TEST(GdiplusImages, LockBitsConvertsAndWritesBack) {
  GpBitmap* bitmap = nullptr;
  ASSERT_EQ(GP(GdipCreateBitmapFromScan0)(3, 2, 0, PixelFormat24bppRGB, nullptr, &bitmap), Ok);
  BitmapData data{};
  GpRect r{1, 0, 2, 2};
  ASSERT_EQ(GP(GdipBitmapLockBits)(bitmap, &r, ImageLockModeWrite, PixelFormat32bppARGB, &data), Ok);
  BitmapData again{};
  EXPECT_EQ(GP(GdipBitmapLockBits)(bitmap, &r, ImageLockModeRead, PixelFormat32bppARGB, &again), WrongState);
  auto* row = static_cast<uint32_t*>(data.Scan0);
  row[0] = 0xff112233;
  ASSERT_EQ(GP(GdipBitmapUnlockBits)(bitmap, &data), Ok);
  EXPECT_EQ(GP(GdipBitmapUnlockBits)(bitmap, &data), WrongState);
  const Pixels px = ReadPixels(reinterpret_cast<GpImage*>(bitmap));
  ASSERT_EQ(px.argb.size(), 6u);
  EXPECT_EQ(px.argb[0], 0xff000000u);
  EXPECT_EQ(px.argb[1], 0xff112233u);
  GP(GdipDisposeImage)(reinterpret_cast<GpImage*>(bitmap));
}

TEST(GdiplusImages, BitmapsFromAHandleAndFromADib) {
  FakeDC source(3, 2, 24);
  source.Fill(0x102030);
  source.Row(1)[0] = 0xff;  // blue at (0, 1)
  GpBitmap* bitmap = nullptr;
  ASSERT_EQ(GP(GdipCreateBitmapFromHBITMAP)(&source, nullptr, &bitmap), Ok);
  EXPECT_EQ(source.releases, 1);
  Pixels px = ReadPixels(reinterpret_cast<GpImage*>(bitmap));
  EXPECT_EQ(px.argb[0], 0xff102030u);
  EXPECT_EQ(px.argb[3], 0xff1020ffu);
  GP(GdipDisposeImage)(reinterpret_cast<GpImage*>(bitmap));

  // An 8-bit DIB: header, two palette entries, bottom-up rows.
  std::vector<uint8_t> info(40 + 8, 0);
  const uint32_t header[] = {40, 2, 2};
  std::memcpy(info.data(), header, sizeof(header));
  info[12] = 1;
  info[14] = 8;
  info[32] = 2;  // colours used
  const uint8_t palette[8] = {0, 0, 255, 0, 0, 255, 0, 0};  // red, green
  std::memcpy(info.data() + 40, palette, 8);
  uint8_t bits[8] = {0, 1, 0, 0, 1, 1, 0, 0};  // bottom row: red green; top row: green green
  ASSERT_EQ(GP(GdipCreateBitmapFromGdiDib)(info.data(), bits, &bitmap), Ok);
  PixelFormat format = 0;
  GP(GdipGetImagePixelFormat)(reinterpret_cast<GpImage*>(bitmap), &format);
  EXPECT_EQ(format, PixelFormat8bppIndexed);
  px = ReadPixels(reinterpret_cast<GpImage*>(bitmap));
  EXPECT_EQ(px.argb, (std::vector<uint32_t>{0xff00ff00, 0xff00ff00, 0xffff0000, 0xff00ff00}));
  GP(GdipDisposeImage)(reinterpret_cast<GpImage*>(bitmap));
}

}  // namespace

namespace {

// A bottom-up BMP file of palette indexes (1 or 8 bits) with the given palette (0x00RRGGBB).
std::string PaletteBmp(int32_t w, int32_t h, int bits, const std::vector<uint32_t>& palette,
                       const std::vector<uint8_t>& indexes) {
  const int32_t stride = ((w * bits + 31) / 32) * 4;
  const uint32_t offset = 14 + 40 + uint32_t(palette.size()) * 4;
  std::string f;
  auto u16 = [&f](uint32_t v) { f += char(v & 0xFF), f += char(v >> 8); };
  auto u32 = [&u16](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
  f += "BM";
  u32(offset + uint32_t(stride * h)), u32(0), u32(offset);
  u32(40), u32(uint32_t(w)), u32(uint32_t(h)), u16(1), u16(uint32_t(bits)), u32(0), u32(uint32_t(stride * h));
  u32(2835), u32(2835), u32(uint32_t(palette.size())), u32(0);
  for (uint32_t c : palette) u32(c);
  for (int32_t y = h - 1; y >= 0; --y) {
    std::string row(size_t(stride), '\0');
    for (int32_t x = 0; x < w; ++x) {
      const uint8_t i = indexes[size_t(y) * size_t(w) + size_t(x)];
      if (bits == 8) row[size_t(x)] = char(i);
      else if (i) row[size_t(x / 8)] = char(uint8_t(row[size_t(x / 8)]) | (0x80 >> (x % 8)));
    }
    f += row;
  }
  return f;
}

}  // namespace

// Palette pictures whose every colour is opaque (a fax page, a palette BMP) placed pixel for
// pixel go onto the target as their colours, with no working surface of four bytes a pixel
// for the picture or the target; pictures with transparent palette entries keep the general
// way.
TEST(GdiplusImages, OpaquePalettePicturesPlacedPixelForPixelMakeNoSurface) {
  REQUIRE_ALLOCATION_WATCH();
  std::mt19937 rng(48);
  const int32_t w = 1203, h = 1001;
  for (const int bits : {1, 8}) {
    std::vector<uint32_t> palette(size_t(1) << bits);
    for (uint32_t& c : palette) c = rng() & 0xFFFFFF;
    std::vector<uint8_t> indexes(size_t(w) * h);
    for (uint8_t& i : indexes) i = uint8_t(rng() % palette.size());
    MemoryStream stream(PaletteBmp(w, h, bits, palette, indexes));
    GpImage* image = nullptr;
    ASSERT_EQ(GP(GdipLoadImageFromStream)(&stream, &image), Ok) << bits;
    FakeDC dc(w + 9, h + 5, 24, false);
    dc.Fill(0x123456);
    size_t largest = 0;
    {
      DcGraphics g(dc);
      const GpPointF corners[3] = {{4, 3}, {REAL(4 + w), 3}, {4, REAL(3 + h)}};
      testsupport::AllocationWatch watch;
      ASSERT_EQ(GP(GdipDrawImagePoints)(g.get(), image, corners, 3), Ok);
      largest = watch.Largest();
    }
    EXPECT_LT(largest, size_t(w) * h) << bits;
    for (int32_t y = 0; y < dc.height; ++y)
      for (int32_t x = 0; x < dc.width; ++x) {
        const bool on = x >= 4 && x < 4 + w && y >= 3 && y < 3 + h;
        const uint32_t expected = on ? palette[indexes[size_t(y - 3) * w + size_t(x - 4)]] : 0x123456;
        ASSERT_EQ(dc.Pixel(x, y), expected) << bits << " bits at " << x << "," << y;
      }
    GP(GdipDisposeImage)(image);
  }
}

}  // namespace gptest
