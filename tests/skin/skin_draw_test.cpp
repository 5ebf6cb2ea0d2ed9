// Drawing skin elements: nine-part scaling, bars, frames and regions, checked pixel by pixel
// against the source pixels each target pixel must come from.
#include <gtest/gtest.h>

#include "platform/forms/button.h"
#include "platform/forms/form.h"
#include "platform/gdi/blit.h"
#include "skin/forms/skin_draw.h"
#include "tests/skin/skin_test_support.h"

namespace {

using skintest::PixelOf;
using skintest::Rgb;

// Every pixel its own colour: Rgb(10 x, 10 y, tag).
void Numbered(TBitmap& b, int w, int h, int tag = 0) {
  b.SetPixelFormat(pf24bit);
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.Dib().SetColor(x, y, RGB(static_cast<uint8_t>(10 * x), static_cast<uint8_t>(10 * y), static_cast<uint8_t>(tag)));
}

TColor Source(int x, int y, int tag = 0) { return Rgb(10 * x, 10 * y, tag); }

// Where a target coordinate of a nine-part axis reads from: ends kept, middle stretched by a
// whole factor or tiled.
int Axis(int t, int target, int frame, int a, int b, bool tile) {
  if (t < a) return t;
  if (t >= target - b) return frame - (target - t);
  const int mid = frame - a - b, span = target - a - b;
  return a + (tile ? (t - a) % mid : (t - a) * mid / span);
}

TEST(SkinDraw, NinePartScalingKeepsCornersAndStretchesOrTilesTheRest) {
  TBitmap src;
  Numbered(src, 6, 6);
  for (bool tile : {false, true}) {
    auto out = NinePartScale(SIZE{10, 8}, src, TSkinMargins{2, 2, 2, 2}, false, tile, 1, 1);
    ASSERT_EQ(out->Width(), 10);
    ASSERT_EQ(out->Height(), 8);
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 10; ++x) {
        // Edges stretch along their length only; the middle is tiled when asked.
        const bool midX = x >= 2 && x < 8, midY = y >= 2 && y < 6;
        const int sx = Axis(x, 10, 6, 2, 2, tile && midX && midY);
        const int sy = Axis(y, 8, 6, 2, 2, tile && midX && midY);
        ASSERT_EQ(PixelOf(*out, x, y), Source(sx, sy)) << tile << " " << x << "," << y;
      }
  }
}

TEST(SkinDraw, FramesSideBySideOrStacked) {
  TBitmap src;
  Numbered(src, 8, 4);
  EXPECT_EQ(SkinFrameRect(src, false, 2, 2), (TRect{4, 0, 8, 4}));
  EXPECT_EQ(SkinFrameRect(src, true, 2, 2), (TRect{0, 2, 8, 4}));
  EXPECT_EQ(SkinFrameRect(src, false, 0, 5), (TRect{0, 0, 8, 4}));   // no count: one frame
  EXPECT_EQ(SkinFrameRect(src, false, 4, 9), (TRect{6, 0, 8, 4}));   // past the last: the last
  auto second = NinePartScale(SIZE{4, 4}, src, {}, false, false, 2, 2);
  EXPECT_EQ(PixelOf(*second, 0, 0), Source(4, 0));
  EXPECT_EQ(PixelOf(*second, 3, 3), Source(7, 3));
  auto lower = NinePartScale(SIZE{8, 2}, src, {}, true, false, 2, 2);
  EXPECT_EQ(PixelOf(*lower, 5, 1), Source(5, 3));
}

TEST(SkinDraw, MarginsThatDoNotFitAreDropped) {
  TBitmap src;
  Numbered(src, 4, 4);
  // Left and right together wider than the target: the frame is stretched edge to edge.
  // (Stretching takes the source pixel under each target pixel's centre.)
  auto narrow = NinePartScale(SIZE{2, 4}, src, TSkinMargins{2, 1, 1, 1}, false, false, 1, 1);
  EXPECT_EQ(PixelOf(*narrow, 0, 0), Source(1, 0));
  EXPECT_EQ(PixelOf(*narrow, 1, 0), Source(3, 0));
  EXPECT_EQ(PixelOf(*narrow, 1, 3), Source(3, 3));
  // Margins wider than the frame itself, and negative ones, count as none.
  auto wide = NinePartScale(SIZE{8, 8}, src, TSkinMargins{3, -5, 3, 65536}, false, false, 1, 1);
  EXPECT_EQ(PixelOf(*wide, 7, 7), Source(3, 3));
  EXPECT_EQ(PixelOf(*wide, 2, 2), Source(1, 1));
  // A frame count that leaves no pixels, and a target of no size.
  EXPECT_TRUE(NinePartScale(SIZE{5, 5}, src, {}, false, false, 100, 1)->Width() == 5);
  EXPECT_TRUE(NinePartScale(SIZE{0, -3}, src, {}, false, false, 1, 1)->Empty());
}

TEST(SkinDraw, ElementDrawingOpaqueTransparentAndInverted) {
  TBitmap src;
  src.SetPixelFormat(pf24bit);
  src.SetSize(2, 1);
  src.Dib().SetColor(0, 0, RGB(255, 0, 255));
  src.Dib().SetColor(1, 0, RGB(1, 2, 3));
  TBitmap dst;
  dst.SetPixelFormat(pf24bit);
  dst.SetSize(6, 2);
  dst.Dib().Fill(RGB(9, 9, 9));
  HDC dc = dst.Canvas().Handle();
  DrawSkinElement(dc, TRect{4, 0, 2, 2}, src, false, false, false, 1, 1, {});  // inverted: nothing
  EXPECT_EQ(PixelOf(dst, 3, 0), Rgb(9, 9, 9));
  DrawSkinElement(dc, TRect{0, 0, 4, 2}, src, false, false, true, 1, 1, {});
  EXPECT_EQ(PixelOf(dst, 0, 0), Rgb(9, 9, 9));
  EXPECT_EQ(PixelOf(dst, 1, 1), Rgb(9, 9, 9));
  EXPECT_EQ(PixelOf(dst, 2, 0), Rgb(1, 2, 3));
  EXPECT_EQ(PixelOf(dst, 3, 1), Rgb(1, 2, 3));
  DrawSkinElement(dc, TRect{4, 0, 6, 2}, src, false, false, false, 1, 1, {});
  EXPECT_EQ(PixelOf(dst, 4, 0), Rgb(255, 0, 255));
  EXPECT_EQ(PixelOf(dst, 5, 1), Rgb(1, 2, 3));
}

TEST(SkinDraw, BarsFramesAndTiles) {
  TBitmap src;
  Numbered(src, 10, 3);
  TBitmap dst;
  dst.SetPixelFormat(pf24bit);
  dst.SetSize(20, 3);
  dst.Dib().Fill(RGB(9, 9, 9));
  // Ends of 2 and 3 columns; the middle (5 columns) repeated from x = 2 while x < 17.
  DrawHorzBar(dst.Canvas(), TRect{0, 0, 20, 3}, src, false, false, 1, 1, TSkinMargins{2, 0, 3, 0});
  for (int x = 0; x < 20; ++x) {
    int sx = x < 2 ? x : x >= 17 ? x - 10 : 2 + (x - 2) % 5;
    EXPECT_EQ(PixelOf(dst, x, 1), Source(sx, 1)) << x;
  }
  // A frame without a middle draws its ends and stops.
  DrawHorzBar(dst.Canvas(), TRect{0, 0, 20, 3}, src, false, false, 1, 1, TSkinMargins{6, 0, 6, 0});
  EXPECT_EQ(PixelOf(dst, 19, 0), Source(9, 0));

  dst.Dib().Fill(RGB(9, 9, 9));
  DrawSkinFrameCentred(dst.Canvas().Handle(), TRect{0, 0, 11, 3}, src, false, 2, 2);  // 5 x 3 at (3, 0)
  EXPECT_EQ(PixelOf(dst, 2, 0), Rgb(9, 9, 9));
  EXPECT_EQ(PixelOf(dst, 3, 0), Source(5, 0));
  EXPECT_EQ(PixelOf(dst, 7, 2), Source(9, 2));
  EXPECT_EQ(PixelOf(dst, 8, 2), Rgb(9, 9, 9));

  DrawSkinFrame(dst.Canvas().Handle(), TRect{10, 0, 20, 3}, src, false, 2, 1);  // 5 columns to 10
  EXPECT_EQ(PixelOf(dst, 10, 0), Source(0, 0));
  EXPECT_EQ(PixelOf(dst, 19, 2), Source(4, 2));

  dst.Dib().Fill(RGB(9, 9, 9));
  TileDraw(dst.Canvas(), TRect{0, 0, 7, 3}, src, TRect{1, 1, 4, 2});
  for (int x = 0; x < 9; ++x) EXPECT_EQ(PixelOf(dst, x, 2), Source(1 + x % 3, 1)) << x;
  EXPECT_EQ(PixelOf(dst, 9, 0), Rgb(9, 9, 9));

  dst.Dib().Fill(RGB(9, 9, 9));
  // Three parts: ends of 2, the middle of 6 stretched to 12 columns.
  DrawThreePart(dst.Canvas().Handle(), TRect{2, 0, 18, 3}, src, false, 1, 1, TSkinMargins{2, 0, 2, 0});
  EXPECT_EQ(PixelOf(dst, 1, 0), Rgb(9, 9, 9));
  EXPECT_EQ(PixelOf(dst, 2, 0), Source(0, 0));
  EXPECT_EQ(PixelOf(dst, 4, 1), Source(2, 1));
  EXPECT_EQ(PixelOf(dst, 5, 1), Source(2, 1));
  EXPECT_EQ(PixelOf(dst, 15, 1), Source(7, 1));
  EXPECT_EQ(PixelOf(dst, 17, 2), Source(9, 2));
}

TEST(SkinDraw, RegionsLeaveOutTheKeyColourWithinTheTolerance) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(4, 2);
  b.Dib().Fill(RGB(10, 10, 10));
  HRGN whole = BitmapToRegion(b, 5, 7, 1, 1, 1, clFuchsia);
  EXPECT_EQ(*RegionOf(whole), Region::FromRect(RECT{5, 7, 9, 9}));
  DeleteObject(whole);

  b.Dib().SetColor(1, 0, RGB(255, 1, 255));  // within the tolerance: left out
  b.Dib().SetColor(2, 0, RGB(255, 2, 255));  // beyond it: kept
  b.Dib().SetColor(3, 1, RGB(255, 0, 255));
  HRGN r = BitmapToRegion(b, 0, 0, 1, 1, 1, clFuchsia);
  const RECT expected[] = {{0, 0, 1, 1}, {2, 0, 4, 1}, {0, 1, 3, 2}};
  EXPECT_EQ(*RegionOf(r), Region::FromRects(expected));
  DeleteObject(r);
}

TEST(SkinDraw, LargeRegionsAreMadeInBatches) {
  // A checkerboard of 120 x 60: 3,600 one-pixel runs, more than one batch.
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(120, 60);
  std::vector<Region::Span> spans;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 120; ++x) {
      bool key = (x + y) % 2 == 0;
      b.Dib().SetColor(x, y, key ? RGB(255, 0, 255) : RGB(0, 0, 0));
      if (!key) spans.push_back({y - 3, x + 2, x + 3});
    }
  HRGN r = BitmapToRegion(b, 2, -3, 0, 0, 0, clFuchsia);
  EXPECT_EQ(*RegionOf(r), Region::FromSpans(spans));
  DeleteObject(r);
}

TEST(SkinDraw, OneScratchBitmapForAll) {
  TBitmap& a = SkinScratchBitmap();
  EXPECT_EQ(&a, &SkinScratchBitmap());
  EXPECT_EQ(a.PixelFormat(), pf24bit);
  EXPECT_EQ(GetStretchBltMode(a.Canvas().Handle()), kSkinStretchMode);
}

class SkinDrawForms : public skintest::SkinFixture {};

TEST_F(SkinDrawForms, ParentBackgroundUnderAControl) {
  TComponentPtr<TForm> form(CreateComponent<TForm>(nullptr));
  form->SetColor(clRed);
  form->SetBounds(0, 0, 200, 100);
  form->HandleNeeded();
  TButton* button = CreateComponent<TButton>(form.get());
  button->SetParent(form.get());
  button->SetBounds(10, 20, 30, 12);
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(30, 12);
  b.Dib().Fill(RGB(9, 9, 9));
  PaintParentBackground(button, b.Canvas().Handle());
  EXPECT_EQ(PixelOf(b, 0, 0), Rgb(255, 0, 0));
  EXPECT_EQ(PixelOf(b, 29, 11), Rgb(255, 0, 0));
  PaintParentBackground(nullptr, b.Canvas().Handle());
}

}  // namespace
