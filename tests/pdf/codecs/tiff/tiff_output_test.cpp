// Colour and black-and-white TIFF output through the GDI+ provider, read back by libtiff's
// tools (tags, compression, resolution) and by Pillow (pixels).
#include "pdf/codecs/tiff/tiff_output.h"

#include <gtest/gtest.h>

#include <string>

#include "pdf/render/canvas/gdiplus_settings.h"
#include "platform/gdi/bitmap.h"
#include "platform/rtl/streams.h"
#include "tests/pdf/codecs/output/output_test_util.h"
#include "tests/pdf/end_to_end/raster_compare.h"
#include "tests/pdf/render/support/render_test_pdf.h"
#include "tests/support/test_support.h"

namespace {

using outputtest::Fill24;
using outputtest::RGB;
using testraster::Raster;

TGDIPlusSettings Settings(int32_t threshold = 0) {
  TGDIPlusSettings s;
  InitDaubrixOptions(s);
  s.LibraryPath = rendertest::ProviderPath();
  s.MonochromeThreshold = threshold;
  return s;
}

RGB Picture(int x, int y) {
  if (x < 10 && y < 8) return RGB{200, 30, 60};
  return RGB{uint8_t(x * 6), uint8_t(y * 11), uint8_t((x / 3 + y / 3) % 2 ? 250 : 5)};
}

// A grey wedge and colour bars: every pixel's fate under a threshold is known.
RGB Wedge(int x, int y) {
  if (y < 6) return RGB{uint8_t(x * 8), uint8_t(x * 8), uint8_t(x * 8)};
  if (y < 12) return RGB{uint8_t(x * 8), 40, 220};
  return RGB{uint8_t(255 - x * 4), uint8_t(x * 8), 90};
}

std::string Tiffinfo(const std::string& path) {
  std::string out;
  testsupport::Run("tiffinfo " + path + " 2>&1", &out);
  return out;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(TIFFOutput, ColourTIFFCarriesPixelsAndResolution) {
  REQUIRE_TOOL("tiffinfo");
  if (testraster::PythonWithPIL().empty()) GTEST_SKIP() << "needs python3 with Pillow";
  testsupport::TempDir dir;
  const struct {
    double dpi;
    const char* resolution;
  } cases[] = {{300, "Resolution: 299.999, 299.999 pixels/inch"},
               {72, "Resolution: 71.9836, 71.9836 pixels/inch"},
               {0, "Resolution: 96, 96 pixels/inch"}};
  for (const auto& c : cases) {
    TBitmap bitmap;
    Fill24(bitmap, 37, 23, Picture);
    const Raster source = outputtest::ToRaster(bitmap);
    TMemoryStream out;
    ASSERT_TRUE(SaveBitmapAsTIFF(bitmap, out, Settings(), c.dpi)) << c.dpi;
    const std::string path = dir.File("colour.tif");
    testsupport::WriteFile(path, out.DataString());
    const std::string info = Tiffinfo(path);
    EXPECT_TRUE(Contains(info, "Image Width: 37 Image Length: 23")) << info;
    EXPECT_TRUE(Contains(info, "Bits/Sample: 8")) << info;
    EXPECT_TRUE(Contains(info, "Samples/Pixel: 3")) << info;
    EXPECT_TRUE(Contains(info, "Compression Scheme: LZW")) << info;
    EXPECT_TRUE(Contains(info, c.resolution)) << c.dpi << "\n" << info;
    EXPECT_FALSE(Contains(info, "Warning")) << info;
    EXPECT_EQ(testraster::DecodeWithPillow(path).RGB, source.RGB) << c.dpi;
    EXPECT_EQ(outputtest::ToRaster(bitmap).RGB, source.RGB);  // the bitmap is left alone
  }
}

// Black where blue + green + red is below three times the threshold, or where the encoder's
// luminance (299 R + 587 G + 114 B) / 1000 is below 128; white elsewhere.
TEST(TIFFOutput, MonochromeTIFFIsGroup4FromTheThresholdRule) {
  REQUIRE_TOOL("tiffinfo");
  if (testraster::PythonWithPIL().empty()) GTEST_SKIP() << "needs python3 with Pillow";
  testsupport::TempDir dir;
  for (int32_t threshold : {0, 100, 200, 255}) {
    TBitmap bitmap;
    Fill24(bitmap, 32, 18, Wedge);
    TMemoryStream out;
    ASSERT_TRUE(SaveBitmapAsMonochromeTIFF(bitmap, out, Settings(threshold), 150)) << threshold;
    const std::string path = dir.File("mono.tif");
    testsupport::WriteFile(path, out.DataString());
    const std::string info = Tiffinfo(path);
    EXPECT_TRUE(Contains(info, "Compression Scheme: CCITT Group 4")) << info;
    EXPECT_TRUE(Contains(info, "Bits/Sample: 1")) << info;
    EXPECT_TRUE(Contains(info, "Image Width: 32 Image Length: 18")) << info;
    EXPECT_TRUE(Contains(info, "Resolution: 149.9")) << info;
    EXPECT_FALSE(Contains(info, "Warning")) << info;

    const Raster back = testraster::DecodeWithPillow(path);
    ASSERT_EQ(back.Width, 32);
    ASSERT_EQ(back.Height, 18);
    int blackened = 0;
    for (int y = 0; y < 18; ++y)
      for (int x = 0; x < 32; ++x) {
        const RGB c = Wedge(x, y);
        const bool byThreshold = threshold > 0 && c.R + c.G + c.B < 3 * threshold;
        const bool byLuminance = 299 * c.R + 587 * c.G + 114 * c.B < 128000;
        const uint8_t expected = (byThreshold || byLuminance) ? 0 : 255;
        ASSERT_EQ(back.At(x, y)[0], expected) << threshold << " at " << x << "," << y;
        blackened += byThreshold && !byLuminance;
        // The threshold blackens the caller's bitmap itself.
        const COLORREF now = bitmap.Dib().GetColor(x, y);
        ASSERT_EQ(now == 0, byThreshold || (c.R == 0 && c.G == 0 && c.B == 0)) << threshold;
      }
    if (threshold >= 200) { EXPECT_GT(blackened, 0); }
  }
}

TEST(TIFFOutput, ThresholdStep) {
  TBitmap bitmap;
  Fill24(bitmap, 3, 1, [](int x, int) { return x == 0 ? RGB{99, 100, 100} : x == 1 ? RGB{100, 100, 100} : RGB{0, 0, 1}; });
  ApplyMonochromeThreshold(bitmap, 0);
  EXPECT_EQ(bitmap.Dib().GetColor(0, 0), 0x00646463u);
  ApplyMonochromeThreshold(bitmap, 100);
  EXPECT_EQ(bitmap.Dib().GetColor(0, 0), 0u);  // 299 < 300
  EXPECT_EQ(bitmap.Dib().GetColor(1, 0), 0x00646464u);
  // Three times a huge threshold does not wrap round.
  ApplyMonochromeThreshold(bitmap, 0x7FFFFFFF);
  EXPECT_EQ(bitmap.Dib().GetColor(1, 0), 0u);
  // Other depths are left to the encoder.
  TBitmap wide;
  wide.SetPixelFormat(pf32bit);
  wide.SetSize(2, 2);
  wide.Dib().Fill(0x00101010);
  ApplyMonochromeThreshold(wide, 200);
  EXPECT_EQ(wide.Dib().GetColor(0, 0), 0x00101010u);
}

TEST(TIFFOutput, WrittenAfterWhatTheStreamHolds) {
  TBitmap bitmap;
  Fill24(bitmap, 8, 8, Picture);
  TMemoryStream alone, after;
  ASSERT_TRUE(SaveBitmapAsTIFF(bitmap, alone, Settings(), 96));
  after.WriteString("0123456789");
  ASSERT_TRUE(SaveBitmapAsTIFF(bitmap, after, Settings(), 96));
  EXPECT_EQ(after.DataString(), "0123456789" + alone.DataString());
  EXPECT_EQ(after.Position(), after.Size());
}

// Without a provider, without pixels, nothing is written and the stream is as it was.
TEST(TIFFOutput, FailuresWriteNothing) {
  TGDIPlusSettings missing = Settings();
  missing.LibraryPath = u"/nonexistent/libvelmora-gdiplus.so";
  TBitmap bitmap;
  Fill24(bitmap, 8, 8, Picture);
  for (bool mono : {false, true}) {
    TMemoryStream out;
    out.WriteString("keep");
    const bool ok = mono ? SaveBitmapAsMonochromeTIFF(bitmap, out, missing, 72) : SaveBitmapAsTIFF(bitmap, out, missing, 72);
    EXPECT_FALSE(ok) << mono;
    EXPECT_EQ(out.DataString(), "keep");
    EXPECT_EQ(out.Position(), 4);
  }
  TBitmap empty;
  empty.SetPixelFormat(pf24bit);
  TMemoryStream out;
  EXPECT_FALSE(SaveBitmapAsTIFF(empty, out, Settings(), 72));
  EXPECT_FALSE(SaveBitmapAsMonochromeTIFF(empty, out, Settings(), 72));
  EXPECT_EQ(out.Size(), 0);
}

}  // namespace
