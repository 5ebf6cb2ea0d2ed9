// Shapes, pens, paths and the canvas, checked pixel by pixel where the platform's rules fix
// the result (edges left out, null-pen rectangles, fill modes, XOR focus rectangles).
#include <gtest/gtest.h>

#include <cmath>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/canvas.h"
#include "platform/gdi/colors.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/path.h"
#include "platform/gdi/shapes.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = 0, kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);

struct Canvas24 {
  TBitmap bmp;
  explicit Canvas24(int w, int h) {
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(w, h);
  }
  HDC dc() { return bmp.Canvas().Handle(); }
  COLORREF At(int x, int y) { return bmp.Dib().GetColor(x, y); }
  int Count(COLORREF c) {
    int n = 0;
    for (int y = 0; y < bmp.Height(); ++y)
      for (int x = 0; x < bmp.Width(); ++x) n += At(x, y) == c;
    return n;
  }
};

}  // namespace

TEST(Shapes, RectangleLeavesOutRightAndBottom) {
  Canvas24 c(10, 10);
  c.bmp.Canvas().Brush().SetColor(clBlue);
  c.bmp.Canvas().Pen().SetColor(clRed);
  c.bmp.Canvas().Rectangle(1, 1, 6, 5);
  EXPECT_EQ(c.At(1, 1), kRed);
  EXPECT_EQ(c.At(5, 4), kRed);  // last column and row inside are the outline
  EXPECT_EQ(c.At(6, 4), kWhite);
  EXPECT_EQ(c.At(5, 5), kWhite);
  EXPECT_EQ(c.At(3, 2), kBlue);
  EXPECT_EQ(c.Count(kRed), 14);
  EXPECT_EQ(c.Count(kBlue), 6);
}

TEST(Shapes, NullPenRectangleIsOnePixelSmaller) {
  Canvas24 c(10, 10);
  c.bmp.Canvas().Brush().SetColor(clBlue);
  c.bmp.Canvas().Pen().SetStyle(psClear);
  c.bmp.Canvas().Rectangle(0, 0, 4, 3);
  EXPECT_EQ(c.Count(kBlue), 3 * 2);
}

TEST(Shapes, FillRectAndFrameRectIgnoreThePen) {
  Canvas24 c(8, 8);
  RECT r{2, 2, 6, 6};
  FillRect(c.dc(), &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.Count(kBlack), 16);
  HBRUSH red = CreateSolidBrush(kRed);
  FrameRect(c.dc(), &r, red);
  EXPECT_EQ(c.Count(kRed), 12);
  EXPECT_EQ(c.Count(kBlack), 4);
  DeleteObject(red);
  // A system colour index + 1 stands for its brush.
  RECT one{0, 0, 1, 1};
  FillRect(c.dc(), &one, reinterpret_cast<HBRUSH>(uintptr_t(COLOR_BTNFACE + 1)));
  EXPECT_EQ(c.At(0, 0), GetSysColor(COLOR_BTNFACE));
}

TEST(Shapes, FocusRectTwiceRestores) {
  Canvas24 c(9, 7);
  RECT r{1, 1, 8, 6};
  DrawFocusRect(c.dc(), &r);
  EXPECT_EQ(c.At(1, 1), kBlack);
  EXPECT_EQ(c.At(2, 1), kWhite);
  EXPECT_EQ(c.At(3, 1), kBlack);
  EXPECT_EQ(c.At(4, 3), kWhite);  // inside untouched
  DrawFocusRect(c.dc(), &r);
  EXPECT_EQ(c.Count(kWhite), 63);
}

TEST(Shapes, LineToLeavesOutTheLastPixelAndXorMode) {
  Canvas24 c(10, 3);
  TCanvas& cv = c.bmp.Canvas();
  cv.Pen().SetColor(clBlack);
  cv.MoveTo(1, 1);
  cv.LineTo(5, 1);
  EXPECT_EQ(c.Count(kBlack), 4);
  EXPECT_EQ(c.At(5, 1), kWhite);
  EXPECT_EQ(cv.PenPos(), (POINT{5, 1}));
  cv.Pen().SetMode(pmXor);
  cv.Pen().SetColor(clWhite);
  cv.MoveTo(0, 1);
  cv.LineTo(10, 1);
  EXPECT_EQ(c.At(2, 1), kWhite);
  EXPECT_EQ(c.At(7, 1), kBlack);
}

TEST(Shapes, PolygonFillModes) {
  // A pentagram: its centre is outside with ALTERNATE and inside with WINDING.
  const POINT star[5] = {{20, 2}, {32, 38}, {1, 15}, {39, 15}, {8, 38}};
  for (int mode : {ALTERNATE, WINDING}) {
    Canvas24 c(40, 40);
    HDC dc = c.dc();
    SelectObject(dc, GetStockObject(NULL_PEN));
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    SetPolyFillMode(dc, mode);
    Polygon(dc, star, 5);
    EXPECT_EQ(c.At(20, 22), mode == WINDING ? kBlack : kWhite) << mode;
    EXPECT_EQ(c.At(20, 8), kBlack);
    EXPECT_EQ(c.At(2, 2), kWhite);
  }
}

TEST(Shapes, EllipseStaysInItsBox) {
  Canvas24 c(20, 12);
  c.bmp.Canvas().Brush().SetColor(clBlue);
  c.bmp.Canvas().Pen().SetColor(clBlue);
  c.bmp.Canvas().Ellipse(2, 2, 18, 10);
  EXPECT_EQ(c.At(10, 6), kBlue);
  EXPECT_EQ(c.At(2, 2), kWhite);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 20; ++x)
      if (x < 2 || y < 2 || x >= 18 || y >= 10) { ASSERT_EQ(c.At(x, y), kWhite) << x << "," << y; }
}

TEST(Shapes, WidePenRoundsItsEnds) {
  Canvas24 c(30, 20);
  HDC dc = c.dc();
  HPEN pen = CreatePen(PS_SOLID, 6, kRed);
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, 8, 10, nullptr);
  LineTo(dc, 22, 10);
  EXPECT_EQ(c.At(15, 8), kRed);
  EXPECT_EQ(c.At(15, 12), kRed);
  EXPECT_EQ(c.At(6, 10), kRed);   // round cap beyond the start
  EXPECT_EQ(c.At(5, 7), kWhite);  // but not its corner
  EXPECT_EQ(c.At(15, 14), kWhite);
  SelectObject(dc, old);
  DeleteObject(pen);
}

TEST(Paths, FillStrokeAndRegion) {
  Canvas24 c(20, 20);
  HDC dc = c.dc();
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  ASSERT_TRUE(BeginPath(dc));
  MoveToEx(dc, 2, 2, nullptr);
  LineTo(dc, 18, 2);
  LineTo(dc, 18, 18);
  CloseFigure(dc);
  ASSERT_TRUE(EndPath(dc));
  EXPECT_EQ(c.Count(kBlack), 0);  // nothing drawn while recording
  ASSERT_TRUE(FillPath(dc));
  EXPECT_EQ(c.At(16, 5), kBlack);
  EXPECT_EQ(c.At(5, 16), kWhite);
  EXPECT_FALSE(FillPath(dc));  // the path is used up
  // A curve: the cubic of a quadratic from (0, 0) over (3, 3) to (6, 0), as the canvas raises it.
  BeginPath(dc);
  MoveToEx(dc, 0, 10, nullptr);
  const POINT curve[3] = {{2, 12}, {4, 12}, {6, 10}};
  PolyBezierTo(dc, curve, 3);
  EndPath(dc);
  HRGN r = PathToRegion(dc);
  ASSERT_NE(r, nullptr);
  EXPECT_TRUE(PtInRegion(r, 3, 10));
  EXPECT_FALSE(PtInRegion(r, 3, 13));
  DeleteObject(r);
  // StrokeAndFillPath draws the outline with the pen as well.
  Canvas24 d(10, 10);
  HDC dc2 = d.dc();
  HPEN pen = CreatePen(PS_SOLID, 1, kRed);
  SelectObject(dc2, pen);
  SelectObject(dc2, GetStockObject(BLACK_BRUSH));
  BeginPath(dc2);
  MoveToEx(dc2, 1, 1, nullptr);
  LineTo(dc2, 8, 1);
  LineTo(dc2, 8, 8);
  LineTo(dc2, 1, 8);
  CloseFigure(dc2);
  EndPath(dc2);
  StrokeAndFillPath(dc2);
  EXPECT_EQ(d.At(1, 1), kRed);
  EXPECT_EQ(d.At(8, 8), kRed);
  EXPECT_EQ(d.At(4, 4), kBlack);
  SelectObject(dc2, GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(Paths, ClipPathsReachingFarClipTheSurfaceAlike) {
  // A triangle 2 * reach rows tall, five pixels wide across the surface's rows.
  auto tallTriangle = [](HDC dc, int32_t reach) {
    BeginPath(dc);
    MoveToEx(dc, 0, -reach, nullptr);
    LineTo(dc, 10, reach);
    LineTo(dc, 0, reach);
    CloseFigure(dc);
    EndPath(dc);
  };
  // As a clip only the surface's rows are worked out, however far the path reaches.
  Canvas24 c(20, 20);
  HDC dc = c.dc();
  tallTriangle(dc, 1000000000);
  ASSERT_TRUE(SelectClipPath(dc, RGN_COPY));
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, 0, 0, 21, 21);
  EXPECT_EQ(c.At(2, 10), kBlack);
  EXPECT_EQ(c.At(12, 10), kWhite);
  EXPECT_EQ(c.Count(kBlack), 5 * 20);
  // As a region it keeps its rows beyond the surface.
  tallTriangle(dc, 500000);
  HRGN r = PathToRegion(dc);
  ASSERT_NE(r, nullptr);
  EXPECT_TRUE(PtInRegion(r, 9, 499000));
  EXPECT_FALSE(PtInRegion(r, 9, -499000));
  DeleteObject(r);
}

TEST(Canvas, StretchDrawPointSamplesAndPixels) {
  TBitmap page;
  page.SetPixelFormat(pf24bit);
  page.SetSize(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) page.Dib().SetColor(x, y, RGB(uint8_t(x * 30), uint8_t(y * 30), 0));
  TBitmap square;
  square.SetSize(4, 4);
  square.Canvas().StretchDraw(TRect{0, 0, 4, 4}, page);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      const TColor c = square.Canvas().Pixel(x, y);
      // Every result is exactly one source pixel's colour.
      EXPECT_EQ(GetBValue(COLORREF(c)), 0);
      EXPECT_EQ(GetRValue(COLORREF(c)) % 30, 0);
      EXPECT_EQ(GetGValue(COLORREF(c)) % 30, 0);
    }
  EXPECT_EQ(square.Canvas().Pixel(9, 9), -1);
  // CopyRect of one cell.
  TBitmap cell;
  cell.SetSize(2, 2);
  cell.Canvas().CopyRect(TRect{0, 0, 2, 2}, square.Canvas(), TRect{2, 2, 4, 4});
  EXPECT_EQ(cell.Canvas().Pixel(1, 1), square.Canvas().Pixel(3, 3));
}

TEST(Canvas, TransparentBitmapDraw) {
  TBitmap sprite;
  sprite.SetPixelFormat(pf24bit);
  sprite.SetSize(2, 2);
  sprite.Canvas().Brush().SetColor(clFuchsia);
  sprite.Canvas().FillRect(TRect{0, 0, 2, 2});
  sprite.Dib().SetColor(0, 0, kBlue);
  sprite.SetTransparent(true);
  sprite.SetTransparentColor(clFuchsia);
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(3, 3);
  target.Canvas().Draw(1, 1, sprite);
  EXPECT_EQ(target.Dib().GetColor(1, 1), kBlue);
  EXPECT_EQ(target.Dib().GetColor(2, 2), kWhite);
  // The mask marks the transparent colour with 1.
  auto mask = LookupGdi<GdiBitmap>(sprite.MaskHandle());
  EXPECT_EQ(mask->GetRaw(0, 0), 0u);
  EXPECT_EQ(mask->GetRaw(1, 1), 1u);
}

TEST(Canvas, HandlesDoNotLeak) {
  size_t before = 0;
  for (int i = 0; i < 50; ++i) {
    if (i == 1) before = GdiHandleCount();  // after the stock objects' first use
    TBitmap b;
    b.SetSize(4, 4);
    b.Canvas().Brush().SetColor(TColor(i));
    b.Canvas().FillRect(TRect{0, 0, 4, 4});
    b.Canvas().Pen().SetWidth(2);
    b.Canvas().LineTo(3, 3);
  }
  EXPECT_EQ(GdiHandleCount(), before);
}

TEST(Shapes, WideOutlineOfAClosedShapeIsUnbroken) {
  Canvas24 c(100, 100);
  TCanvas& cv = c.bmp.Canvas();
  cv.Pen().SetColor(clRed);
  cv.Pen().SetWidth(3);
  cv.Brush().SetStyle(bsClear);
  cv.Ellipse(10, 10, 91, 91);
  for (int deg = 0; deg < 360; deg += 3) {
    const double a = deg * 3.14159265358979 / 180;
    const int x = int(std::lround(50 + 40 * std::cos(a))), y = int(std::lround(50 + 40 * std::sin(a)));
    EXPECT_EQ(c.At(x, y), kRed) << deg;
  }
  EXPECT_EQ(c.At(50, 50), kWhite);
}

TEST(Canvas, HatchedBrushLeavesItsGaps) {
  Canvas24 c(16, 16);
  TCanvas& cv = c.bmp.Canvas();
  cv.Brush().SetStyle(bsHorizontal);
  cv.Brush().SetColor(clGreen);
  cv.FillRect(TRect{0, 0, 16, 16});
  EXPECT_EQ(c.Count(RGB(0, 128, 0)), 2 * 16);  // one line in every eight rows
  EXPECT_EQ(c.Count(kWhite), 14 * 16);
}

// Each edge kind as the system colours draw it: the outer border's top-left and
// bottom-right, then the inner border's, and what BF_ADJUST and BF_MIDDLE do.
TEST(Shapes, DrawEdgeColoursAndAdjust) {
  struct Case {
    UINT edge;
    int outerTopLeft, outerBottomRight, innerTopLeft, innerBottomRight;
  };
  const Case cases[] = {
      {EDGE_RAISED, COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW},
      {EDGE_SUNKEN, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT},
  };
  for (const Case& k : cases) {
    Canvas24 c(20, 12);
    RECT r{2, 1, 18, 11};
    ASSERT_TRUE(DrawEdge(c.dc(), &r, k.edge, BF_RECT | BF_ADJUST | BF_MIDDLE));
    EXPECT_EQ(r.left, 4) << k.edge;
    EXPECT_EQ(r.top, 3) << k.edge;
    EXPECT_EQ(r.right, 16) << k.edge;
    EXPECT_EQ(r.bottom, 9) << k.edge;
    EXPECT_EQ(c.At(5, 1), GetSysColor(k.outerTopLeft)) << k.edge;
    EXPECT_EQ(c.At(2, 5), GetSysColor(k.outerTopLeft)) << k.edge;
    EXPECT_EQ(c.At(5, 10), GetSysColor(k.outerBottomRight)) << k.edge;
    EXPECT_EQ(c.At(17, 5), GetSysColor(k.outerBottomRight)) << k.edge;
    EXPECT_EQ(c.At(5, 2), GetSysColor(k.innerTopLeft)) << k.edge;
    EXPECT_EQ(c.At(3, 5), GetSysColor(k.innerTopLeft)) << k.edge;
    EXPECT_EQ(c.At(5, 9), GetSysColor(k.innerBottomRight)) << k.edge;
    EXPECT_EQ(c.At(16, 5), GetSysColor(k.innerBottomRight)) << k.edge;
    EXPECT_EQ(c.At(8, 5), GetSysColor(COLOR_BTNFACE)) << k.edge;  // BF_MIDDLE
    EXPECT_EQ(c.At(0, 0), kWhite) << k.edge;
    EXPECT_EQ(c.At(18, 11), kWhite) << k.edge;
  }
  // Only the sides asked for: a bottom edge alone leaves the rest.
  Canvas24 c(10, 10);
  RECT r{0, 0, 10, 10};
  DrawEdge(c.dc(), &r, BDR_SUNKENOUTER, BF_BOTTOM | BF_ADJUST);
  EXPECT_EQ(r.bottom, 9);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(c.At(5, 9), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(c.At(5, 0), kWhite);
  EXPECT_EQ(c.At(0, 5), kWhite);
}
