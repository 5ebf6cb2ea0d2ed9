// Image drawing on both back ends: identity copies are exact, the three-point placement turns
// and mirrors, colour keys leave the keyed pixels out, and an image that cannot be drawn is
// reported. GDI+ re-encoding by MIME type, frames and black-and-white TIFF.
#include "pdf/render/canvas/daubrix.h"
#include "platform/gdi/metafile.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"

using namespace canvastest;

namespace {

class ImagesOnBothBackEnds : public testing::TestWithParam<uint8_t> {};

bool DrawData(TPDFDaubrix& c, const std::string& bytes, double x1, double y1, double x2, double y2, double x3,
              double y3) {
  TMemoryStream s(bytes);
  return c.DrawImageData(s, x1, y1, x2, y2, x3, y3);
}

void ExpectCopied(TBitmap& bitmap, const Picture& p, int left, int top) {
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x)
      ASSERT_EQ(Pixel(bitmap, left + x, top + y), p.At(x, y)) << x << "," << y;
  // Nothing around it.
  for (int x = left - 1; x <= left + p.width; ++x) {
    EXPECT_EQ(Pixel(bitmap, x, top - 1), 0xFFFFFFu);
    EXPECT_EQ(Pixel(bitmap, x, top + p.height), 0xFFFFFFu);
  }
}

}  // namespace

TEST_P(ImagesOnBothBackEnds, IdentityDrawOfBmpAndPngCopiesEveryPixel) {
  const Picture p = TestPicture(23, 17);
  for (const std::string& data : {EncodeBmp(p), EncodePng(p)}) {
    auto bitmap = WhiteBitmap(40, 30);
    auto canvas = CanvasOn(*bitmap, GetParam());
    EXPECT_TRUE(DrawData(*canvas, data, 5, 6, 5 + 23, 6, 5, 6 + 17));
    canvas.reset();
    ExpectCopied(*bitmap, p, 5, 6);
  }
}

TEST_P(ImagesOnBothBackEnds, IdentityDrawBitmapCopiesEveryPixel) {
  const Picture p = TestPicture(13, 9);
  TMemoryStream s(EncodeBmp(p));
  TBitmap source;
  source.LoadFromStream(s);
  auto bitmap = WhiteBitmap(30, 20);
  auto canvas = CanvasOn(*bitmap, GetParam());
  EXPECT_TRUE(canvas->DrawBitmap(source, 3, 4, 13, 9));
  canvas.reset();
  ExpectCopied(*bitmap, p, 3, 4);
}

TEST_P(ImagesOnBothBackEnds, DrawImageStreamFillsTheRectangle) {
  const Picture p = TestPicture(8, 6);
  auto bitmap = WhiteBitmap(20, 20);
  auto canvas = CanvasOn(*bitmap, GetParam());
  TMemoryStream s(EncodePng(p));
  EXPECT_TRUE(canvas->DrawImageStream(s, 1, 2, 3, 8, 6, true));
  canvas.reset();
  ExpectCopied(*bitmap, p, 2, 3);
}

TEST_P(ImagesOnBothBackEnds, SlotNineDrawsAGraphicOntoThreePoints) {
  const Picture p = TestPicture(6, 4);
  TMemoryStream s(EncodeBmp(p));
  TBitmap graphic;
  graphic.LoadFromStream(s);
  auto bitmap = WhiteBitmap(20, 20);
  auto canvas = CanvasOn(*bitmap, GetParam());
  TPDFGenericCanvas& generic = *canvas;
  generic.DrawImage(graphic, 4, 5, 10, 5, 4, 9);
  canvas.reset();
  ExpectCopied(*bitmap, p, 4, 5);
}

// The corners name where the picture's upper-left, upper-right and lower-left corners land.
TEST_P(ImagesOnBothBackEnds, ThreePointPlacementTurnsAndMirrors) {
  const Picture p = TestPicture(5, 3);
  const int W = 5, H = 3, L = 10, T = 10;
  struct Case {
    const char* name;
    double x1, y1, x2, y2, x3, y3;
    // Where source pixel (x, y) lands.
    int (*tx)(int x, int y);
    int (*ty)(int x, int y);
  };
  const Case cases[] = {
      {"upright", L, T, L + W, T, L, T + H, [](int x, int) { return 10 + x; }, [](int, int y) { return 10 + y; }},
      {"mirrored left-right", L + W, T, L, T, L + W, T + H, [](int x, int) { return 10 + 5 - 1 - x; },
       [](int, int y) { return 10 + y; }},
      {"upside down", L, T + H, L + W, T + H, L, T, [](int x, int) { return 10 + x; },
       [](int, int y) { return 10 + 3 - 1 - y; }},
      // A quarter turn clockwise: the top row becomes the right-hand column.
      {"quarter turn", L + H, T, L + H, T + W, L, T, [](int, int y) { return 10 + 3 - 1 - y; },
       [](int x, int) { return 10 + x; }},
      {"half turn", L + W, T + H, L, T + H, L + W, T, [](int x, int) { return 10 + 5 - 1 - x; },
       [](int, int y) { return 10 + 3 - 1 - y; }},
      // The page's bottom-up y: the image's unit square under (w, 0, 0, -h, left, bottom).
      {"pdf image matrix", L, T, L + W, T, L, T + H, [](int x, int) { return 10 + x; },
       [](int, int y) { return 10 + y; }},
  };
  for (const Case& c : cases) {
    auto bitmap = WhiteBitmap(30, 30);
    auto canvas = CanvasOn(*bitmap, GetParam());
    EXPECT_TRUE(DrawData(*canvas, EncodeBmp(p), c.x1, c.y1, c.x2, c.y2, c.x3, c.y3)) << c.name;
    canvas.reset();
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) EXPECT_EQ(Pixel(*bitmap, c.tx(x, y), c.ty(x, y)), p.At(x, y)) << c.name;
    EXPECT_EQ(CountNonWhite(*bitmap, 0, 0, 30, 30), W * H) << c.name;
  }
}

TEST_P(ImagesOnBothBackEnds, ScaledPlacementCoversTheParallelogram) {
  Picture p;
  p.width = 2, p.height = 2;
  p.rgb = {0xFF0000, 0x00FF00, 0x0000FF, 0x000000};
  auto bitmap = WhiteBitmap(30, 30);
  auto canvas = CanvasOn(*bitmap, GetParam());
  EXPECT_TRUE(DrawData(*canvas, EncodeBmp(p), 4, 4, 24, 4, 4, 24));
  canvas.reset();
  EXPECT_EQ(Pixel(*bitmap, 6, 6), 0xFF0000u);
  EXPECT_EQ(Pixel(*bitmap, 20, 6), 0x00FF00u);
  EXPECT_EQ(Pixel(*bitmap, 6, 20), 0x0000FFu);
  EXPECT_EQ(Pixel(*bitmap, 20, 20), 0x000000u);
  EXPECT_EQ(CountNonWhite(*bitmap, 0, 0, 30, 30), 400);
}

TEST_P(ImagesOnBothBackEnds, ColourKeyLeavesKeyedPixelsOut) {
  Picture p;
  p.width = 4, p.height = 1;
  p.rgb = {0x000000, 0x050A03, 0x0B0000, 0xFF8000};
  auto bitmap = WhiteBitmap(10, 3);
  auto canvas = CanvasOn(*bitmap, GetParam());
  TMemoryStream s(EncodeBmp(p));
  // Keys 0xRRGGBB with alpha not compared: near-black (each channel 0..10) is transparent.
  EXPECT_TRUE(canvas->DrawImageDataColorKey(s, 4, 1, 2, 1, 6, 1, 2, 2, 0x000000, 0xFF0A0A0A));
  canvas.reset();
  EXPECT_EQ(Pixel(*bitmap, 2, 1), 0xFFFFFFu);
  EXPECT_EQ(Pixel(*bitmap, 3, 1), 0xFFFFFFu);
  EXPECT_EQ(Pixel(*bitmap, 4, 1), 0x0B0000u);
  EXPECT_EQ(Pixel(*bitmap, 5, 1), 0xFF8000u);
}

TEST_P(ImagesOnBothBackEnds, PngAlphaIsBlendedOverTheTarget) {
  Picture p;
  p.width = 3, p.height = 1;
  p.rgb = {0x000000, 0x000000, 0x000000};
  auto bitmap = WhiteBitmap(5, 1);
  auto canvas = CanvasOn(*bitmap, GetParam());
  EXPECT_TRUE(DrawData(*canvas, EncodePng(p, {0, 128, 255}), 1, 0, 4, 0, 1, 1));
  canvas.reset();
  EXPECT_EQ(Pixel(*bitmap, 1, 0), 0xFFFFFFu);
  EXPECT_NEAR(double(Pixel(*bitmap, 2, 0) & 0xFF), 127, 2);
  EXPECT_EQ(Pixel(*bitmap, 3, 0), 0u);
}

TEST_P(ImagesOnBothBackEnds, AnImageThatCannotBeDrawnIsReported) {
  for (const std::string& bytes : {std::string("not an image"), std::string(), std::string("BM\x10\0\0\0", 6),
                                   EncodePng(TestPicture(2, 2)).substr(0, 30)}) {
    auto bitmap = WhiteBitmap(8, 8);
    auto canvas = CanvasOn(*bitmap, GetParam());
    EXPECT_FALSE(DrawData(*canvas, bytes, 0, 0, 8, 0, 0, 8));
    EXPECT_EQ(canvas->LastError(), kImageDrawError);
    canvas->ClearError();
    EXPECT_TRUE(canvas->LastError().empty());
  }
}

TEST_P(ImagesOnBothBackEnds, BitmapDrawnMirroredOntoItselfReadsTheOriginal) {
  Picture p;
  p.width = 4, p.height = 1;
  p.rgb = {0xFF0000, 0x00FF00, 0x0000FF, 0x000000};
  TMemoryStream s(EncodeBmp(p));
  TBitmap bitmap;
  bitmap.LoadFromStream(s);
  bitmap.SetPixelFormat(pf24bit);
  {
    auto canvas = CanvasOn(bitmap, GetParam());
    canvas->DrawImage(bitmap, 4, 0, 0, 0, 4, 1);
  }
  for (int x = 0; x < 4; ++x) EXPECT_EQ(Pixel(bitmap, x, 0), p.At(3 - x, 0)) << x;
}

TEST_P(ImagesOnBothBackEnds, EmptyBitmapDrawsNothingAndIsNoError) {
  auto bitmap = WhiteBitmap(4, 4);
  auto canvas = CanvasOn(*bitmap, GetParam());
  TBitmap empty;
  EXPECT_FALSE(canvas->DrawBitmap(empty, 0, 0, 4, 4));
  EXPECT_TRUE(canvas->LastError().empty());
}

// A 24-bit bitmap drawn from its own pixels lands as its BMP does, whatever its row order and
// placement (pixel for pixel at an offset, scaled, mirrored, turned).
TEST_P(ImagesOnBothBackEnds, DibDrawnFromItsPixelsLikeItsBmp) {
  const Picture p = TestPicture(7, 5);
  TMemoryStream bmp(EncodeBmp(p));
  TBitmap picture;
  picture.LoadFromStream(bmp);
  picture.SetPixelFormat(pf24bit);
  const double placements[][6] = {
      {3, 2, 10, 2, 3, 7}, {-2, -1, 5, -1, -2, 4}, {1, 1, 15, 1, 1, 11}, {10, 1, 3, 1, 10, 6}, {2, 9, 2, 2, 7, 9}};
  for (bool bottomUp : {false, true}) {
    picture.Dib().SetBottomUp(bottomUp);
    for (const auto& q : placements) {
      auto direct = WhiteBitmap(16, 12), encoded = WhiteBitmap(16, 12);
      bool drawn = false;
      {
        auto canvas = CanvasOn(*direct, GetParam());
        drawn = canvas->DrawDibPoints(picture.SharedDib(), q[0], q[1], q[2], q[3], q[4], q[5]);
        EXPECT_TRUE(canvas->LastError().empty());
      }
      ASSERT_TRUE(drawn);
      {
        auto canvas = CanvasOn(*encoded, GetParam());
        ASSERT_TRUE(DrawData(*canvas, EncodeBmp(p), q[0], q[1], q[2], q[3], q[4], q[5]));
      }
      for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 16; ++x)
          ASSERT_EQ(Pixel(*direct, x, y), Pixel(*encoded, x, y)) << x << "," << y << " at " << q[0] << "," << q[1];
    }
  }
}

// A metafile in an image stream is played into the rectangle by the platform's player, as it
// plays it onto a canvas itself.
TEST_P(ImagesOnBothBackEnds, MetafileStreamsArePlayedIntoTheRectangle) {
  const std::string emf = testsupport::ReadFile(testsupport::DataPath("metafile/emf_polygons.emf"));
  ASSERT_FALSE(emf.empty());
  auto drawn = WhiteBitmap(60, 40), played = WhiteBitmap(60, 40);
  {
    auto canvas = CanvasOn(*drawn, GetParam());
    TMemoryStream s(emf);
    EXPECT_TRUE(canvas->DrawImageStream(s, 1, 5, 4, 50, 30, false));
  }
  TMemoryStream s(emf);
  TMetafile metafile;
  metafile.LoadFromStream(s);
  metafile.Draw(played->Canvas(), TRect{5, 4, 55, 34});
  EXPECT_GT(CountNonWhite(*drawn, 0, 0, 60, 40), 100);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x) ASSERT_EQ(Pixel(*drawn, x, y), Pixel(*played, x, y)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Canvas, ImagesOnBothBackEnds, testing::Values(kBackEndGDI, kBackEndGDIPlus), BackEndName);

TEST(DaubrixImages, CanvasWithoutBackEndDrawsNothingAndReportsNothing) {
  TPDFDaubrix canvas;
  TMemoryStream s(EncodeBmp(TestPicture(2, 2)));
  EXPECT_FALSE(canvas.DrawImageData(s, 0, 0, 2, 0, 0, 2));
  TMemoryStream target;
  EXPECT_FALSE(canvas.ConvertImageStream(s, target, gdiplus::EncoderClsidPNG));
  EXPECT_FALSE(canvas.SaveImageStreamAsTIFF(s, target));
  EXPECT_TRUE(canvas.LastError().empty());
}

TEST(DaubrixImages, GdiDrawsTiffAsAFailureItReports) {
  auto bitmap = WhiteBitmap(4, 4);
  auto canvas = CanvasOn(*bitmap, kBackEndGDI);
  EXPECT_FALSE(DrawData(*canvas, std::string("II*\0\x08\0\0\0", 8), 0, 0, 4, 0, 0, 4));
  EXPECT_EQ(canvas->LastError(), kImageDrawError);
}

TEST(DaubrixImages, ConvertsByEncoderAndReadsBack) {
  auto bitmap = WhiteBitmap(4, 4);
  auto canvas = CanvasOn(*bitmap, kBackEndGDIPlus);
  const Picture p = TestPicture(7, 5);
  TMemoryStream bmp(EncodeBmp(p));
  TMemoryStream png;
  ASSERT_TRUE(canvas->ConvertImageStream(bmp, png, canvas->PNGEncoder));
  ASSERT_GT(png.Size(), 8);
  EXPECT_EQ(png.DataString().substr(0, 8), "\x89PNG\r\n\x1a\n");
  // The PNG draws back as the same pixels.
  auto check = WhiteBitmap(10, 10);
  auto c2 = CanvasOn(*check, kBackEndGDIPlus);
  png.SetPosition(0);
  ASSERT_TRUE(c2->DrawImageData(png, 1, 1, 8, 1, 1, 6));
  c2.reset();
  ExpectCopied(*check, p, 1, 1);
  // Back to BMP.
  png.SetPosition(0);
  TMemoryStream again;
  ASSERT_TRUE(canvas->ConvertImageStream(png, again, canvas->BMPEncoder));
  EXPECT_EQ(again.DataString().substr(0, 2), "BM");
  // An encoder the provider does not know writes nothing.
  bmp.SetPosition(0);
  TMemoryStream none;
  EXPECT_FALSE(canvas->ConvertImageStream(bmp, none, gdiplus::ImageFormatJPEG));
  TMemoryStream garbage("garbage");
  EXPECT_FALSE(canvas->ConvertImageStream(garbage, none, canvas->PNGEncoder));
}

TEST(DaubrixImages, SavesBlackAndWhiteGroup4Tiff) {
  REQUIRE_TOOL("tiffinfo");
  auto bitmap = WhiteBitmap(4, 4);
  auto canvas = CanvasOn(*bitmap, kBackEndGDIPlus);
  Picture p;
  p.width = 16, p.height = 8;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) p.rgb.push_back((x + y) % 3 ? 0xFFFFFF : 0);
  TMemoryStream source(EncodeBmp(p)), tiff;
  ASSERT_TRUE(canvas->SaveImageStreamAsTIFF(source, tiff));
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("out.tif"), tiff.DataString());
  std::string info;
  ASSERT_EQ(testsupport::Run("tiffinfo '" + dir.File("out.tif") + "' 2>&1", &info), 0);
  EXPECT_NE(info.find("CCITT Group 4"), std::string::npos) << info;
  EXPECT_NE(info.find("Bits/Sample: 1"), std::string::npos) << info;
  EXPECT_NE(info.find("Image Width: 16 Image Length: 8"), std::string::npos) << info;
}

TEST(DaubrixImages, DrawImageStreamSelectsTheFrame) {
  REQUIRE_TOOL("convert");
  testsupport::TempDir dir;
  // Two pages: red, then blue.
  ASSERT_EQ(testsupport::Run("convert -size 4x4 xc:red -size 4x4 xc:blue '" + dir.File("two.tif") + "'"), 0);
  const std::string bytes = testsupport::ReadFile(dir.File("two.tif"));
  struct Case {
    int32_t frame;
    bool drawn;
    uint32_t color;
  };
  for (const Case& c : {Case{1, true, 0xFF0000}, Case{2, true, 0x0000FF}, Case{3, false, 0xFFFFFF}}) {
    auto bitmap = WhiteBitmap(6, 6);
    auto canvas = CanvasOn(*bitmap, kBackEndGDIPlus);
    TMemoryStream s(bytes);
    EXPECT_EQ(canvas->DrawImageStream(s, c.frame, 1, 1, 4, 4, false), c.drawn) << c.frame;
    EXPECT_EQ(Pixel(*bitmap, 2, 2), c.color) << c.frame;
    EXPECT_EQ(canvas->LastError().empty(), c.drawn);
  }
}

TEST(DaubrixImages, OperationsTheProviderLacksFailCleanly) {
  auto bitmap = WhiteBitmap(6, 6);
  TPDFDaubrix canvas;
  canvas.Setup(&bitmap->Canvas(), SettingsFor(ProviderPath()));
  ASSERT_EQ(canvas.BackEnd(), kBackEndGDIPlus);
  // Entries emptied as a binding without them would hold them.
  canvas.GDIPlus()->GdipCreateImageAttributes = nullptr;
  canvas.GDIPlus()->GdipSaveImageToStream = nullptr;
  const Picture p = TestPicture(2, 2);
  TMemoryStream s(EncodeBmp(p)), target;
  // The colour key needs image attributes.
  EXPECT_FALSE(canvas.DrawImageDataColorKey(s, 2, 2, 0, 0, 2, 0, 0, 2, 0, 0));
  EXPECT_EQ(canvas.LastError(), kImageDrawError);
  s.SetPosition(0);
  EXPECT_FALSE(canvas.ConvertImageStream(s, target, canvas.PNGEncoder));
  // Plain drawing works.
  s.SetPosition(0);
  EXPECT_TRUE(canvas.DrawImageData(s, 1, 1, 3, 1, 1, 3));
  EXPECT_EQ(Pixel(*bitmap, 1, 1), p.At(0, 0));
}

TEST(DaubrixImages, GdiplusDrawsOntoBitmapsOfEveryDepth) {
  for (TPixelFormat format : {pf1bit, pf8bit, pf16bit, pf32bit}) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(8, 8);
    bitmap.Dib().Fill(RGB(255, 255, 255));
    {
      // Depths other than 24 and 32 bits are drawn on a 32-bit copy that goes back into the
      // bitmap when the canvas lets the device context go.
      TPDFDaubrix canvas;
      canvas.Setup(&bitmap.Canvas(), SettingsFor(ProviderPath()));
      ASSERT_EQ(canvas.BackEnd(), kBackEndGDIPlus) << int(format);
      canvas.SetFillColor(0);
      canvas.NewPath();
      canvas.MoveTo(0, 0);
      canvas.LineTo(4, 0);
      canvas.LineTo(4, 8);
      canvas.LineTo(0, 8);
      canvas.ClosePath();
      canvas.Fill();
    }
    EXPECT_EQ(bitmap.Dib().GetColor(1, 1), RGB(0, 0, 0)) << int(format);
    EXPECT_EQ(bitmap.Dib().GetColor(6, 1), RGB(255, 255, 255)) << int(format);
  }
}
