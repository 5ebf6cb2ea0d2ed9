// JP2 files written by TJpeg2000Bitmap, read back by opj_decompress.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "pdf/codecs/jpeg2000/jpeg2000_bitmap.h"
#include "tests/pdf/codecs/jpeg2000/jpeg2000_fixtures.h"

namespace {

// A picture with gradients and hard edges; the fourth byte (when there is one) a ramp.
void Paint(TBitmap& bitmap, TPixelFormat format, int w, int h) {
  bitmap.SetPixelFormat(format);
  bitmap.SetSize(w, h);
  const int bpp = format == pf32bit ? 4 : 3;
  for (int y = 0; y < h; ++y) {
    uint8_t* p = bitmap.ScanLine(y);
    for (int x = 0; x < w; ++x, p += bpp) {
      p[0] = uint8_t(x * 255 / std::max(w - 1, 1));
      p[1] = uint8_t(y * 255 / std::max(h - 1, 1));
      p[2] = (x / 8 + y / 8) % 2 ? 230 : 20;
      if (bpp == 4) p[3] = uint8_t((x + y) * 3);
    }
  }
}

// Peak signal to noise of the decoded planes against the bitmap's bytes (red, green, blue,
// alpha as planes 0..3).
double PSNR(TBitmap& bitmap, const std::vector<jp2test::Plane>& planes) {
  static const int kByteOf[] = {2, 1, 0, 3};
  const int bpp = bitmap.Dib().BitsPerPixel() / 8;
  double sum = 0;
  int64_t n = 0;
  for (size_t c = 0; c < planes.size(); ++c)
    for (int y = 0; y < bitmap.Height(); ++y)
      for (int x = 0; x < bitmap.Width(); ++x, ++n) {
        const double d = bitmap.ScanLine(y)[x * bpp + kByteOf[c]] - planes[c].At(x, y);
        sum += d * d;
      }
  return sum == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 * double(n) / sum);
}

std::string Saved(TJpeg2000Bitmap& bitmap) {
  TMemoryStream out;
  bitmap.SaveToStream(out);
  return out.DataString();
}

TEST(Jpeg2000Save, OurFilesDecodeWithOpenJPEGTools) {
  REQUIRE_TOOL("opj_decompress");
  struct Case {
    const char* name;
    TPixelFormat format;
    int w, h;
    bool lossless;
    size_t planes;
    double minimumPSNR;
  };
  const std::vector<Case> cases = {
      {"rgb", pf24bit, 96, 64, false, 3, 30},
      {"rgba", pf32bit, 80, 48, false, 4, 30},
      {"rgb_lossless", pf24bit, 40, 30, true, 3, 99},
      // Too small for six resolution levels.
      {"small", pf24bit, 5, 3, false, 3, 30},
      {"one_pixel", pf24bit, 1, 1, false, 3, 30},
      {"tall", pf32bit, 3, 70, true, 4, 99},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TJpeg2000Bitmap bitmap;
    Paint(bitmap, c.format, c.w, c.h);
    bitmap.Lossless = c.lossless;
    const std::string file = Saved(bitmap);
    ASSERT_GT(file.size(), 12u);
    EXPECT_EQ(file.substr(4, 4), "jP  ");
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.File("ours.jp2"), file);
    const auto planes = jp2test::DecompressPlanes(dir, dir.File("ours.jp2"));
    ASSERT_EQ(planes.size(), c.planes);
    for (const auto& p : planes) ASSERT_EQ(p.Width * p.Height, c.w * c.h);
    EXPECT_GE(PSNR(bitmap, planes), c.minimumPSNR);

    // And back through our own decoder, alpha in its place.
    TJpeg2000Bitmap again;
    TMemoryStream in(file);
    again.LoadFromStream(in);
    EXPECT_EQ(again.PixelFormat(), c.format);
    EXPECT_EQ(in.Position(), int64_t(file.size()));
    if (c.lossless) {
      const int bpp = c.format == pf32bit ? 4 : 3;
      for (int y = 0; y < c.h; ++y)
        ASSERT_EQ(0, std::memcmp(again.ScanLine(y), bitmap.ScanLine(y), size_t(c.w * bpp))) << "row " << y;
    }
  }
}

TEST(Jpeg2000Save, OtherFormatsAreSavedAsRGB) {
  REQUIRE_TOOL("opj_decompress");
  TJpeg2000Bitmap bitmap;
  bitmap.SetPixelFormat(pf8bit);
  bitmap.SetSize(16, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) bitmap.ScanLine(y)[x] = uint8_t(x * 16);
  bitmap.Lossless = true;
  const std::string file = Saved(bitmap);
  EXPECT_EQ(bitmap.PixelFormat(), pf8bit);
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("grey.jp2"), file);
  const auto planes = jp2test::DecompressPlanes(dir, dir.File("grey.jp2"));
  ASSERT_EQ(planes.size(), 3u);
  TBitmap expected;
  expected.Assign(bitmap);
  expected.SetPixelFormat(pf24bit);
  EXPECT_EQ(PSNR(expected, planes), 99.0);
}

TEST(Jpeg2000Save, RateFollowsQuality) {
  TJpeg2000Bitmap bitmap;
  EXPECT_NEAR(bitmap.ComputeRate(100, 100, 3), 9.138, 0.001);
  // Better quality, less compression.
  bitmap.Quality = 100;
  EXPECT_NEAR(bitmap.ComputeRate(100, 100, 3), 2.117, 0.001);
  bitmap.Lossless = true;
  EXPECT_EQ(bitmap.ComputeRate(100, 100, 3), 0.0f);
}

TEST(Jpeg2000Save, AnEmptyBitmapIsAnError) {
  TJpeg2000Bitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  TMemoryStream out;
  EXPECT_THROW(bitmap.SaveToStream(out), EJpeg2000Error);
  EXPECT_EQ(out.Size(), 0);
}

}  // namespace
