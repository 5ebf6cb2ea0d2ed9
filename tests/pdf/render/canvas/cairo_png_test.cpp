// The cairo back end's picture path: BMP and JPEG data made into PNG (checked against Pillow's
// decoding of the same file), PNG read as it stands, other data not drawn; the read callback;
// damaged and oversized PNGs; the binding's answer for a library without cairo's names.
#include <gtest/gtest.h>

#include <string>

#include "pdf/render/canvas/cairo_binding.h"
#include "pdf/render/canvas/cairo_png.h"
#include "pdf/render/canvas/daubrix.h"
#include "tests/pdf/end_to_end/raster_compare.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"

using namespace canvastest;

namespace {

const WideString kCairo = u"libcairo.so.2";

// A canvas drawing with the system's cairo on the bitmap (its pixels reach the bitmap when the
// canvas goes); null, with the test skipped, when cairo does not load.
std::unique_ptr<TPDFDaubrix> CairoCanvasOn(TBitmap& bitmap) {
  auto canvas = std::make_unique<TPDFDaubrix>();
  canvas->SetTarget(&bitmap.Canvas());
  if (!canvas->SetupCairo(bitmap.Canvas().Handle(), kCairo, true)) return nullptr;
  return canvas;
}

// Draws the data at whole pixels (1, 1) at its own size on a white 20 x 20 bitmap.
bool DrawAtOwnSize(const std::string& data, int w, int h, TBitmap& bitmap, std::string* error = nullptr) {
  auto canvas = CairoCanvasOn(bitmap);
  if (!canvas) return false;
  TMemoryStream stream(data);
  // The corners place the picture, whatever matrix the canvas was last given (a glyph's
  // picture is drawn without one).
  canvas->SetMatrix(3, 0, 0, -3, 5, 50);
  const bool drawn = canvas->DrawImageData(stream, 1, 1, 1 + w, 1, 1, 1 + h);
  if (error != nullptr) *error = canvas->LastError();
  // A fill after it still reaches the page.
  canvas->SetFillColor(RGB(0, 0, 255));
  canvas->NewPath();
  RectFigure(*canvas, 18, 18, 20, 20);
  canvas->Fill();
  return drawn;
}

}  // namespace

TEST(CairoPictures, BmpPngAndJpegDataAreDrawnAtTheirCorners) {
  const Picture p = TestPicture(6, 5);
  for (const std::string& data : {EncodeBmp(p), EncodePng(p)}) {
    auto bitmap = WhiteBitmap(20, 20);
    if (!CairoCanvasOn(*bitmap)) GTEST_SKIP() << "libcairo.so.2 not loadable";
    ASSERT_TRUE(DrawAtOwnSize(data, 6, 5, *bitmap));
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x) EXPECT_EQ(Pixel(*bitmap, x + 1, y + 1), p.At(x, y)) << x << "," << y;
    EXPECT_EQ(Pixel(*bitmap, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(Pixel(*bitmap, 7, 6), 0xFFFFFFu);
    EXPECT_EQ(Pixel(*bitmap, 19, 19), 0x0000FFu);
  }
  if (testraster::PythonWithPIL().empty()) GTEST_SKIP() << "needs Pillow for the JPEG";
  testsupport::TempDir dir;
  ASSERT_TRUE(testraster::MakeTestPicture(dir.File("p.jpg"), 12, 10, "quality=95"));
  const testraster::Raster pillow = testraster::DecodeWithPillow(dir.File("p.jpg"));
  auto bitmap = WhiteBitmap(20, 20);
  ASSERT_TRUE(DrawAtOwnSize(testsupport::ReadFile(dir.File("p.jpg")), 12, 10, *bitmap));
  int off = 0;
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) {
      const uint32_t ours = Pixel(*bitmap, x + 1, y + 1);
      const uint8_t* theirs = pillow.At(x, y);
      for (int c = 0; c < 3; ++c) off += std::abs(int((ours >> (16 - 8 * c)) & 0xFF) - int(theirs[c])) > 2;
    }
  EXPECT_EQ(off, 0);
}

// cairo reads PNG only: GIF data is handed over as it is and not drawn; the page goes on.
TEST(CairoPictures, GifDataIsNotDrawnAndThePageGoesOn) {
  if (testraster::PythonWithPIL().empty()) GTEST_SKIP() << "needs Pillow";
  testsupport::TempDir dir;
  ASSERT_TRUE(testraster::MakeTestPicture(dir.File("p.gif"), 6, 5, ""));
  auto bitmap = WhiteBitmap(20, 20);
  if (!CairoCanvasOn(*bitmap)) GTEST_SKIP() << "libcairo.so.2 not loadable";
  std::string error;
  EXPECT_FALSE(DrawAtOwnSize(testsupport::ReadFile(dir.File("p.gif")), 6, 5, *bitmap, &error));
  EXPECT_EQ(error, kImageDrawError);
  EXPECT_EQ(CountNonWhite(*bitmap, 0, 0, 17, 17), 0);
  EXPECT_EQ(Pixel(*bitmap, 19, 19), 0x0000FFu);
}

// PNGs cairo cannot read come back as surfaces in an error state: a damaged checksum as out of
// memory, a row wider than cairo's images as an invalid size. Painting one leaves the context
// in its error state, unable to draw anything more: none is painted. A PNG stating more pixels
// than a bitmap may have is not read at all.
TEST(CairoPictures, DamagedAndOversizedPngsAreNotDrawnAndThePageGoesOn) {
  std::string damaged = EncodePng(TestPicture(6, 5));
  damaged[29] ^= 0x55;  // the IHDR's checksum
  std::string oversized = EncodePng(TestPicture(6, 5));
  // 65535 x 65535 stated (a bitmap may have 2^28 pixels); the checksum is not looked at first.
  for (int i = 16; i < 24; ++i) oversized[size_t(i)] = i % 4 < 2 ? '\0' : '\xFF';
  const std::string tooWideForCairo = EncodePng(TestPicture(40000, 1));
  for (const std::string& data : {damaged, oversized, tooWideForCairo, std::string("\x89PNG\r\n\x1a\n", 8)}) {
    auto bitmap = WhiteBitmap(20, 20);
    if (!CairoCanvasOn(*bitmap)) GTEST_SKIP() << "libcairo.so.2 not loadable";
    EXPECT_FALSE(DrawAtOwnSize(data, 6, 5, *bitmap));
    EXPECT_EQ(CountNonWhite(*bitmap, 0, 0, 17, 17), 0);
    EXPECT_EQ(Pixel(*bitmap, 19, 19), 0x0000FFu) << "a fill after the picture";
  }
}

TEST(CairoPictures, ConversionToPngAndTheReadCallback) {
  const Picture p = TestPicture(3, 2);
  bool isPNG = true;
  TMemoryStream bmp("xx" + EncodeBmp(p));
  bmp.SetPosition(2);
  std::unique_ptr<TMemoryStream> png = ConvertImageStreamToPNG(bmp, isPNG);
  ASSERT_NE(png, nullptr);
  EXPECT_FALSE(isPNG);
  EXPECT_EQ(bmp.Position(), 2);
  EXPECT_EQ(png->Position(), 0);
  const std::string written = png->ReadToEnd();
  EXPECT_EQ(written.substr(1, 3), "PNG");
  // Pillow reads the written PNG as the BMP's pixels.
  if (!testraster::PythonWithPIL().empty()) {
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.File("c.png"), written);
    const testraster::Raster r = testraster::DecodeWithPillow(dir.File("c.png"));
    ASSERT_EQ(r.Width, 3);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) {
        const uint8_t* px = r.At(x, y);
        EXPECT_EQ(uint32_t(px[0]) << 16 | uint32_t(px[1]) << 8 | px[2], p.At(x, y));
      }
  }
  TMemoryStream asPng(EncodePng(p)), gif(std::string("GIF89a", 6)), empty;
  EXPECT_EQ(ConvertImageStreamToPNG(asPng, isPNG), nullptr);
  EXPECT_TRUE(isPNG);
  EXPECT_EQ(ConvertImageStreamToPNG(gif, isPNG), nullptr);
  EXPECT_FALSE(isPNG);
  EXPECT_EQ(ConvertImageStreamToPNG(empty, isPNG), nullptr);

  TMemoryStream source(std::string("abcdef"));
  unsigned char buffer[8] = {};
  EXPECT_EQ(ReadPNGFromStream(&source, buffer, 4), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 4), "abcd");
  EXPECT_EQ(ReadPNGFromStream(&source, buffer, 4), CAIRO_STATUS_READ_ERROR);  // two bytes were left
}

// Of the image operations cairo draws image data, with a colour key too (the page's
// colour-keyed images arrive so); an image stream, a bitmap or a graphic it leaves alone.
TEST(CairoPictures, OnlyImageDataIsDrawnColourKeysIncluded) {
  Picture p;
  p.width = 4, p.height = 1;
  p.rgb = {0x000000, 0x050A03, 0x0B0000, 0xFF8000};
  const std::string bmp = EncodeBmp(p);
  TBitmap graphic;
  {
    TMemoryStream s(bmp);
    graphic.LoadFromStream(s);
  }
  auto bitmap = WhiteBitmap(10, 6);
  {
    auto canvas = CairoCanvasOn(*bitmap);
    if (!canvas) GTEST_SKIP() << "libcairo.so.2 not loadable";
    TMemoryStream stream(bmp), keyed(bmp);
    EXPECT_FALSE(canvas->DrawImageStream(stream, 1, 0, 0, 4, 1, false));
    EXPECT_FALSE(canvas->DrawBitmap(graphic, 0, 1, 4, 1));
    TPDFGenericCanvas& generic = *canvas;
    generic.DrawImage(graphic, 0, 2, 4, 2, 0, 3);
    EXPECT_EQ(canvas->LastError(), "");
    EXPECT_TRUE(canvas->DrawImageDataColorKey(keyed, 4, 1, 2, 4, 6, 4, 2, 5, 0x000000, 0xFF0A0A0A));
  }
  EXPECT_EQ(CountNonWhite(*bitmap, 0, 0, 10, 4), 0);
  EXPECT_EQ(Pixel(*bitmap, 2, 4), 0xFFFFFFu);
  EXPECT_EQ(Pixel(*bitmap, 3, 4), 0xFFFFFFu);
  EXPECT_EQ(Pixel(*bitmap, 4, 4), 0x0B0000u);
  EXPECT_EQ(Pixel(*bitmap, 5, 4), 0xFF8000u);
}

// The binding answers for the library as it loads; a library that lacks what drawing calls is
// not drawn with (the canvas keeps its back end) rather than called through empty entries.
TEST(CairoPictures, BindingLoadsAnyLibraryAndTheCanvasDrawsOnlyWithACompleteOne) {
  TCairoDLL notCairo;
  EXPECT_TRUE(notCairo.Load(u"libz.so.1"));
  EXPECT_FALSE(notCairo.CanDraw());
  EXPECT_EQ(notCairo.cairo_create, nullptr);
  TCairoDLL empty, missing;
  EXPECT_FALSE(empty.Load(u""));
  EXPECT_FALSE(missing.Load(u"/no/such/libcairo.so.2"));
  auto bitmap = WhiteBitmap(4, 4);
  TPDFDaubrix canvas;
  canvas.SetTarget(&bitmap->Canvas());
  EXPECT_FALSE(canvas.SetupCairo(bitmap->Canvas().Handle(), u"libz.so.1", true));
  EXPECT_EQ(canvas.BackEnd(), kBackEndGDI);
  TCairoDLL cairo;
  if (!cairo.Load(kCairo)) GTEST_SKIP() << "libcairo.so.2 not loadable";
  EXPECT_TRUE(cairo.CanDraw());
}
