// GIF pictures are only as large as their data can honestly describe: a few hundred bytes that
// place a frame thousands of rows down are refused, while netpbm's GIF of a large flat picture,
// compressed as far as LZW allows in practice, still loads whole.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/platform/gdiplus/provider.h"
#include "tests/support/test_support.h"

namespace gptest {
namespace {

// A 7 x 5 screen, two-colour palette, a comment that brings the file to about 450 bytes, and one
// frame of 1792 x 1280 placed at row 16128 whose image data is only a clear code and the end
// code: 31 million pixels claimed.
std::string FarFrameGif() {
  std::string g = "GIF89a";
  g += std::string("\x07\x00\x05\x00\x80\x00\x00", 7);
  g += std::string("\x00\x00\x00\xff\xff\xff", 6);
  g += "\x21\xfe";
  g += '\xff' + std::string(255, 'c') + '\xa0' + std::string(160, 'c') + '\0';
  g += std::string("\x2c\x00\x00\x00\x3f\x00\x07\x00\x05\x00", 10);
  g += std::string("\x02\x02\x44\x01\x00\x3b", 6);
  return g;
}

TEST(GifBudget, AFrameFarBeyondWhatItsBytesCanDescribeIsRefused) {
  testsupport::TempDir dir;
  const std::string path = dir.File("far.gif");
  std::ofstream(path, std::ios::binary) << FarFrameGif();
  GpStatus st = Ok;
  GpImage* image = LoadFile(path, &st);
  EXPECT_NE(st, Ok);
  if (image) GP(GdipDisposeImage)(image);
}

TEST(GifBudget, AHonestFlatPictureLoadsWhole) {
  testsupport::TempDir dir;
  const std::string path = dir.File("flat.gif");
  if (testsupport::Run("ppmmake rgb:20/80/c0 3000 3000 | ppmtogif > " + path + " 2>/dev/null") != 0)
    GTEST_SKIP() << "needs netpbm's ppmmake and ppmtogif";
  GpStatus st = GenericError;
  GpImage* image = LoadFile(path, &st);
  ASSERT_EQ(st, Ok);
  uint32_t w = 0, h = 0;
  GP(GdipGetImageWidth)(image, &w);
  GP(GdipGetImageHeight)(image, &h);
  EXPECT_EQ(w, 3000u);
  EXPECT_EQ(h, 3000u);
  GP(GdipDisposeImage)(image);
}

}  // namespace
}  // namespace gptest
