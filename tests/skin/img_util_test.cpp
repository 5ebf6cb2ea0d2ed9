// Image utilities against pixels and colours computed by hand.
#include <gtest/gtest.h>

#include "platform/gdi/dc.h"
#include "skin/img_util.h"
#include "tests/skin/skin_test_support.h"

namespace {

using skintest::PixelOf;
using skintest::Rgb;

// A 24-bit bitmap whose pixel (x, y) is Rgb(x, y, 7).
void Numbered(TBitmap& b, int w, int h) {
  b.SetPixelFormat(pf24bit);
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.Dib().SetColor(x, y, RGB(static_cast<uint8_t>(x), static_cast<uint8_t>(y), 7));
}

TEST(ImgUtil, MirrorFlipAndTurns) {
  TBitmap b;
  Numbered(b, 5, 3);
  MirrorBitmap(b);
  EXPECT_EQ(PixelOf(b, 0, 1), Rgb(4, 1, 7));
  EXPECT_EQ(PixelOf(b, 4, 2), Rgb(0, 2, 7));
  FlipBitmap(b);
  EXPECT_EQ(PixelOf(b, 0, 0), Rgb(4, 2, 7));
  EXPECT_EQ(b.PixelFormat(), pf24bit);

  TBitmap l;
  Numbered(l, 5, 3);
  RotateBitmapLeft(l);  // new (x, y) = old (old width - 1 - y, x)
  ASSERT_EQ(l.Width(), 3);
  ASSERT_EQ(l.Height(), 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(PixelOf(l, x, y), Rgb(4 - y, x, 7)) << x << "," << y;
  TBitmap r;
  Numbered(r, 5, 3);
  RotateBitmapRight(r);  // new (x, y) = old (y, old height - 1 - x)
  ASSERT_EQ(r.Width(), 3);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(PixelOf(r, x, y), Rgb(y, 2 - x, 7)) << x << "," << y;
  // A left turn undoes a right one, on any depth (the result is 24-bit).
  TBitmap m;
  Numbered(m, 4, 6);
  m.SetPixelFormat(pf32bit);
  RotateBitmapRight(m);
  RotateBitmapLeft(m);
  EXPECT_EQ(m.PixelFormat(), pf24bit);
  EXPECT_EQ(PixelOf(m, 3, 5), Rgb(3, 5, 7));
}

TEST(ImgUtil, GreyAndMagenta) {
  TBitmap b;
  b.SetPixelFormat(pf32bit);
  b.SetSize(3, 1);
  b.Dib().SetColor(0, 0, RGB(255, 0, 255));
  b.Dib().SetColor(1, 0, RGB(255, 1, 255));
  b.Dib().SetColor(2, 0, RGB(10, 20, 31));
  ReplaceMagenta(b, clBtnFace);  // a system colour's bytes as they stand: 15, 0, 0
  EXPECT_EQ(b.PixelFormat(), pf24bit);
  EXPECT_EQ(PixelOf(b, 0, 0), Rgb(15, 0, 0));
  EXPECT_EQ(PixelOf(b, 1, 0), Rgb(255, 1, 255));
  GrayscaleBitmap(b);
  EXPECT_EQ(PixelOf(b, 0, 0), Rgb(5, 5, 5));
  EXPECT_EQ(PixelOf(b, 1, 0), Rgb(170, 170, 170));
  EXPECT_EQ(PixelOf(b, 2, 0), Rgb(20, 20, 20));
}

TEST(ImgUtil, BlendColors) {
  EXPECT_EQ(BlendColors(clWhite, clBlack, 50), Rgb(128, 128, 128));
  EXPECT_EQ(BlendColors(Rgb(200, 100, 0), Rgb(0, 100, 200), 150), Rgb(30, 100, 170));
  EXPECT_EQ(BlendColors(Rgb(10, 20, 30), Rgb(90, 80, 70), 0), Rgb(90, 80, 70));
  EXPECT_EQ(BlendColors(Rgb(10, 20, 30), Rgb(90, 80, 70), 1000), Rgb(10, 20, 30));
  // System colours are resolved.
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(BlendColors(clBtnFace, clBtnFace, 37), static_cast<TColor>(face));
}

TEST(ImgUtil, Gradients) {
  const int one = GetGradient(1, Rgb(0, 0, 0), Rgb(255, 255, 255));
  EXPECT_EQ(GradientTable(one), std::vector<TColor>{Rgb(127, 127, 127)});
  const int a = GetGradient(4, Rgb(0, 100, 255), Rgb(255, 100, 0));
  EXPECT_EQ(GradientTable(a),
            (std::vector<TColor>{Rgb(0, 100, 255), Rgb(85, 100, 170), Rgb(170, 100, 85), Rgb(255, 100, 0)}));
  // Falling channels end at their end colour too.
  const int f = GetGradient(40, Rgb(252, 253, 253), Rgb(220, 222, 225));
  EXPECT_EQ(GradientTable(f).back(), Rgb(220, 222, 225));
  EXPECT_EQ(GradientTable(f)[20], Rgb(252 - (32 * 20 + 19) / 39, 253 - (31 * 20 + 19) / 39, 253 - (28 * 20 + 19) / 39));
  EXPECT_EQ(GetGradient(4, Rgb(0, 100, 255), Rgb(255, 100, 0)), a);
  EXPECT_EQ(GetGradient(40, Rgb(252, 253, 253), Rgb(220, 222, 225)), f);
  // Sixteen new gradients later the first has been replaced.
  for (int i = 0; i < kGradientSlots; ++i) GetGradient(100 + i, Rgb(1, 2, 3), Rgb(4, 5, 6));
  const int again = GetGradient(4, Rgb(0, 100, 255), Rgb(255, 100, 0));
  EXPECT_EQ(GradientTable(again).size(), 4u);
  EXPECT_THROW(GetGradient(0, 0, 0), EAssertionFailed);
}

TEST(ImgUtil, GradientFillKeepsTheColoursOfTheWholeInsideTheClip) {
  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(4, 10);
  b.Dib().Fill(RGB(1, 1, 1));
  HDC dc = b.Canvas().Handle();
  IntersectClipRect(dc, 0, 5, 4, 10);  // only the lower half
  GradientFillRect(dc, TRect{0, 0, 4, 10}, Rgb(0, 0, 0), true, Rgb(90, 180, 9));
  SelectClipRgn(dc, nullptr);
  for (int y = 0; y < 10; ++y) {
    TColor expected = y < 5 ? Rgb(1, 1, 1) : Rgb((90 * y + 4) / 9, (180 * y + 4) / 9, (9 * y + 4) / 9);
    EXPECT_EQ(PixelOf(b, 2, y), expected) << y;
  }
  // Across: columns.
  GradientFillRect(dc, TRect{0, 0, 4, 2}, Rgb(0, 0, 0), false, Rgb(30, 30, 30));
  EXPECT_EQ(PixelOf(b, 0, 1), Rgb(0, 0, 0));
  EXPECT_EQ(PixelOf(b, 1, 0), Rgb(10, 10, 10));
  EXPECT_EQ(PixelOf(b, 3, 1), Rgb(30, 30, 30));
  // Nothing for an empty rectangle.
  GradientFillRect(dc, TRect{2, 2, 2, 8}, Rgb(0, 0, 0), false, Rgb(30, 30, 30));
  EXPECT_EQ(PixelOf(b, 2, 5), Rgb(50, 100, 5));
}

TEST(ImgUtil, ColorToHue) {
  EXPECT_EQ(ColorToHue(Rgb(100, 100, 100)), std::make_pair(200, 0));
  EXPECT_EQ(ColorToHue(Rgb(255, 0, 0)), std::make_pair(255, 0));
  EXPECT_EQ(ColorToHue(Rgb(0, 255, 0)), std::make_pair(255, 85));
  EXPECT_EQ(ColorToHue(Rgb(0, 0, 255)), std::make_pair(255, 170));
  EXPECT_EQ(ColorToHue(Rgb(255, 0, 128)), std::make_pair(255, 234));  // -30.1 + 360 degrees
  EXPECT_EQ(ColorToHue(Rgb(236, 239, 242)), std::make_pair(6, 149));
  EXPECT_EQ(ColorToHue(Rgb(0, 0, 0)), std::make_pair(200, 0));
  EXPECT_EQ(ColorToHue(Rgb(255, 255, 255)), std::make_pair(0, 0));
}

}  // namespace
