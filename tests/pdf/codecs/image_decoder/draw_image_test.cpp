// Drawing decoded images on both raster back ends of the canvas: placement by the matrix,
// soft masks as alpha, colour keys, stencils in the fill colour.
#include <gtest/gtest.h>

#include <cstring>

#include "pdf/render/canvas/daubrix.h"
#include "tests/pdf/codecs/image_decoder/image_test_util.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"

using namespace imgtest;
using canvastest::CanvasOn;
using canvastest::Pixel;
using canvastest::WhiteBitmap;

namespace {

class DrawOnBothBackEnds : public testing::TestWithParam<uint8_t> {};

// The matrix that puts the unit square on the device rectangle (x, y, w, h) upright: the
// image's first row at the top.
std::array<double, 6> Place(double x, double y, double w, double h) { return {w, 0, 0, -h, x, y + h}; }

}  // namespace

TEST_P(DrawOnBothBackEnds, ImagePlacedUprightByTheMatrix) {
  TestStore t;
  // 2 x 2: red, green / blue, black.
  auto d = Decode(t.Image("<< /Width 2 /Height 2 /BitsPerComponent 8 /ColorSpace /DeviceRGB >>",
                          std::string("\xFF\0\0\0\xFF\0\0\0\xFF\0\0\0", 12)));
  auto bitmap = WhiteBitmap(12, 12);
  auto canvas = CanvasOn(*bitmap, GetParam());
  d->DrawImage(*canvas, Place(2, 3, 8, 6), 0);
  // A second draw uses the same data.
  d->DrawImage(*canvas, Place(0, 0, 2, 2), 0);
  canvas.reset();
  EXPECT_EQ(Pixel(*bitmap, 3, 4), 0xFF0000u);
  EXPECT_EQ(Pixel(*bitmap, 8, 4), 0x00FF00u);
  EXPECT_EQ(Pixel(*bitmap, 3, 8), 0x0000FFu);
  EXPECT_EQ(Pixel(*bitmap, 8, 8), 0x000000u);
  EXPECT_EQ(Pixel(*bitmap, 1, 8), 0xFFFFFFu);
  EXPECT_EQ(Pixel(*bitmap, 11, 4), 0xFFFFFFu);
  EXPECT_EQ(Pixel(*bitmap, 0, 0), 0xFF0000u);
  EXPECT_EQ(Pixel(*bitmap, 1, 1), 0x000000u);
}

TEST_P(DrawOnBothBackEnds, SoftMaskIsAlpha) {
  TestStore t;
  TPDFStream* smask =
      t.Image("<< /Width 3 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray >>", std::string("\x00\xFF\x80", 3));
  TPDFStream* image = t.Image("<< /Width 3 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceRGB >>",
                              std::string("\0\0\0\0\0\0\0\0\0", 9));
  image->Dictionary()->SetValue("SMask", smask);
  auto d = Decode(image);
  auto bitmap = WhiteBitmap(3, 1);
  auto canvas = CanvasOn(*bitmap, GetParam());
  d->DrawImage(*canvas, Place(0, 0, 3, 1), 0);
  canvas.reset();
  EXPECT_EQ(Pixel(*bitmap, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(Pixel(*bitmap, 1, 0), 0x000000u);
  const uint32_t half = Pixel(*bitmap, 2, 0) & 0xFF;
  EXPECT_NEAR(int(half), 127, 2);
  EXPECT_EQ(d->DataFormat, kDataNone);
  EXPECT_NE(d->DataStream, nullptr);
}

namespace {

// Draws an image with a soft mask onto a white 8 x 8 bitmap filling it.
std::unique_ptr<TPDFImageDecoder> DrawWithSoftMask(TestStore& t, const std::string& maskDict, const std::string& mask,
                                                   const std::string& imageDict, const std::string& samples,
                                                   TBitmap& bitmap, uint8_t backEnd) {
  TPDFStream* image = t.Image(imageDict, samples);
  image->Dictionary()->SetValue("SMask", t.Image(maskDict, mask));
  auto d = Decode(image);
  auto canvas = CanvasOn(bitmap, backEnd);
  d->DrawImage(*canvas, Place(0, 0, 8, 8), 0);
  return d;
}

}  // namespace

TEST_P(DrawOnBothBackEnds, OnePixelImageWithALargerSoftMask) {
  TestStore t;
  // 4 x 4 mask: left half opaque.
  std::string mask;
  for (int i = 0; i < 16; ++i) mask += char(i % 4 < 2 ? 0xFF : 0);
  auto bitmap = WhiteBitmap(8, 8);
  auto d = DrawWithSoftMask(t, "<< /Width 4 /Height 4 /BitsPerComponent 8 /ColorSpace /DeviceGray >>", mask,
                            "<< /Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceRGB >>", "\x20\x40\x60",
                            *bitmap, GetParam());
  EXPECT_EQ(d->Bitmap->Width(), 4);
  EXPECT_EQ(d->Bitmap->Height(), 4);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(Pixel(*bitmap, x, y), x < 4 ? 0x204060u : 0xFFFFFFu) << x << "," << y;
}

// A wide image over a tall mask of the same pixel count: meeting at the larger width and the
// larger height would hold their product (4096 x 4096 from two pictures of 4,096 pixels each);
// they meet at the image's size instead, the mask squeezed onto it.
TEST_P(DrawOnBothBackEnds, WideImageOverATallMaskMeetsAtTheImageSize) {
  TestStore t;
  auto bitmap = WhiteBitmap(8, 8);
  auto d = DrawWithSoftMask(t, "<< /Width 1 /Height 4096 /BitsPerComponent 8 /ColorSpace /DeviceGray >>",
                            std::string(4096, '\xFF'),
                            "<< /Width 4096 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceRGB >>",
                            std::string(3 * 4096, '\x40'), *bitmap, GetParam());
  EXPECT_EQ(d->Bitmap->Width(), 4096);
  EXPECT_EQ(d->Bitmap->Height(), 1);
  EXPECT_EQ(Pixel(*bitmap, 4, 4), 0x404040u);  // the opaque mask lets the image show
}

// A mask of another size than its image is scaled as the canvas scales any picture it draws:
// drawn into a rectangle one pixel larger than the image on either axis.
TEST(DrawSoftMask, AMaskOfAnotherSizeIsScaledByTheCanvas) {
  TestStore t;
  std::string mask;
  for (int i = 0; i < 6; ++i) mask += char(i % 3 == 1 ? 0xFF : 0x00);
  auto bitmap = WhiteBitmap(8, 8);
  auto d = DrawWithSoftMask(t, "<< /Width 3 /Height 2 /BitsPerComponent 8 /ColorSpace /DeviceGray >>", mask,
                            "<< /Width 7 /Height 5 /BitsPerComponent 8 /ColorSpace /DeviceRGB >>",
                            std::string(3 * 35, '\x40'), *bitmap, kBackEndGDIPlus);
  ASSERT_NE(d->MaskBitmap, nullptr);
  ASSERT_EQ(d->MaskBitmap->Width(), 7);
  ASSERT_EQ(d->MaskBitmap->Height(), 5);
  // The same mask drawn by a canvas of the decoder's settings.
  TBitmap source;
  source.SetPixelFormat(pf24bit);
  source.SetSize(3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) std::memset(source.ScanLine(y) + 3 * x, uint8_t(mask[size_t(3 * y + x)]), 3);
  TBitmap expected;
  expected.SetPixelFormat(pf24bit);
  expected.SetSize(7, 5);
  {
    TPDFDaubrix canvas;
    canvas.Setup(&expected.Canvas(), d->GetCanvasSettings());
    ASSERT_EQ(canvas.BackEnd(), kBackEndGDIPlus);
    ASSERT_TRUE(canvas.DrawBitmap(source, 0, 0, 8, 6));
  }
  bool between = false;
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) {
      const uint8_t ours = d->MaskBitmap->ScanLine(y)[3 * x], theirs = expected.ScanLine(y)[3 * x];
      ASSERT_EQ(ours, theirs) << x << "," << y;
      between = between || (ours != 0 && ours != 255);
    }
  // The canvas blends neighbouring samples: some pixels lie between the mask's two values.
  EXPECT_TRUE(between);
}

TEST_P(DrawOnBothBackEnds, ColourKeyLeavesKeyedPixelsOut) {
  TestStore t;
  auto d =
      Decode(t.Image("<< /Width 3 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Mask [ 0 10 0 10 0 10 ] >>",
                     std::string("\x05\x05\x05\x80\x05\x05\x0A\x00\x0A", 9)));
  auto bitmap = WhiteBitmap(3, 1);
  auto canvas = CanvasOn(*bitmap, GetParam());
  d->DrawImage(*canvas, Place(0, 0, 3, 1), 0);
  canvas.reset();
  EXPECT_EQ(Pixel(*bitmap, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(Pixel(*bitmap, 1, 0), 0x800505u);
  EXPECT_EQ(Pixel(*bitmap, 2, 0), 0xFFFFFFu);
}

TEST_P(DrawOnBothBackEnds, StencilIsPaintedInEachFillColour) {
  TestStore t;
  auto d = Decode(t.Image("<< /Width 4 /Height 1 /ImageMask true >>", "\x50"));  // 0 1 0 1
  auto bitmap = WhiteBitmap(4, 2);
  auto canvas = CanvasOn(*bitmap, GetParam());
  d->DrawImage(*canvas, Place(0, 0, 4, 1), RGB(0xFF, 0, 0));
  d->DrawImage(*canvas, Place(0, 1, 4, 1), RGB(0, 0, 0xFF));
  canvas.reset();
  const uint32_t red = 0xFF0000, blue = 0x0000FF, white = 0xFFFFFF;
  const uint32_t row0[4] = {red, white, red, white}, row1[4] = {blue, white, blue, white};
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(Pixel(*bitmap, x, 0), row0[x]) << x;
    EXPECT_EQ(Pixel(*bitmap, x, 1), row1[x]) << x;
  }
}

TEST_P(DrawOnBothBackEnds, MaskStreamHidesItsSetSamples) {
  TestStore t;
  TPDFStream* mask = t.Image("<< /Width 4 /Height 1 /ImageMask true >>", "\xA0");  // 1 0 1 0
  TPDFStream* image =
      t.Image("<< /Width 4 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray >>", std::string(4, '\0'));
  image->Dictionary()->SetValue("Mask", mask);
  auto d = Decode(image);
  auto bitmap = WhiteBitmap(4, 1);
  auto canvas = CanvasOn(*bitmap, GetParam());
  d->DrawImage(*canvas, Place(0, 0, 4, 1), 0);
  canvas.reset();
  const uint32_t want[4] = {0xFFFFFF, 0, 0xFFFFFF, 0};
  for (int x = 0; x < 4; ++x) EXPECT_EQ(Pixel(*bitmap, x, 0), want[x]) << x;
}

TEST_P(DrawOnBothBackEnds, NothingIsDrawnForAFailedImage) {
  TestStore t;
  auto d = Decode(t.Image("<< /Width 2 /Height 2 /BitsPerComponent 8 /ColorSpace /Pattern >>", std::string(4, '\0')));
  EXPECT_TRUE(d->Failed);
  auto bitmap = WhiteBitmap(4, 4);
  auto canvas = CanvasOn(*bitmap, GetParam());
  d->DrawImage(*canvas, Place(0, 0, 4, 4), 0);
  canvas.reset();
  EXPECT_EQ(canvastest::CountNonWhite(*bitmap, 0, 0, 4, 4), 0);
}

INSTANTIATE_TEST_SUITE_P(BackEnds, DrawOnBothBackEnds, testing::Values(uint8_t(kBackEndGDI), uint8_t(kBackEndGDIPlus)),
                         BackEndName);

TEST(DrawColourKey, KeyRangeScalesByDepthAndFollowsDecode) {
  // The key range handed to the canvas for a picture that keeps its /Mask array (the JPEG
  // path): key values in samples of the image's depth, mapped as the Decode array maps them,
  // as 0x00RRGGBB.
  struct {
    std::string space, key;
    std::vector<double> decode;
    int bits;
    uint32_t low, high;
  } cases[] = {
      {"DeviceRGB", "[ 0 10 20 30 40 50 ]", {}, 8, 0x001428u, 0x0A1E32u},
      {"DeviceGray", "[ 5 10 ]", {}, 4, 0x555555u, 0xAAAAAAu},
      {"DeviceGray", "[ 1 2 ]", {}, 2, 0x555555u, 0xAAAAAAu},
      {"DeviceGray", "[ 0 10 ]", {1, 0}, 8, 0xF5F5F5u, 0xFFFFFFu},
      {"DeviceRGB", "[ 0 10 0 10 0 10 ]", {1, 0, 1, 0, 1, 0}, 8, 0xF5F5F5u, 0xFFFFFFu},
      {"DeviceCMYK", "[ 0 0 0 0 0 0 0 255 ]", {}, 8, 0x231F20u, 0xFFFFFFu},
      {"DeviceRGB", "[ 0 10 ]", {}, 8, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.space + " " + c.key);
    TPDFImageDecoder d;
    d.ColorSpace = c.space;
    d.BitsPerComponent = c.bits;
    TestStore t;
    auto* array = PDFCast<TPDFArray>(t.Parse(c.key));
    for (int i = 0; i < array->Count(); ++i) d.ColorKey.push_back(PDFCast<TPDFNumeric>(array->GetItem(i))->AsDouble());
    d.SetSourceDecode(c.decode);
    uint32_t low = 1, high = 1;
    d.ColorKeyRange(low, high);
    EXPECT_EQ(low, c.low);
    EXPECT_EQ(high, c.high);
  }
}
