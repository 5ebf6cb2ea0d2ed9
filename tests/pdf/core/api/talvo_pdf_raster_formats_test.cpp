// The GIF, colour TIFF and black-and-white TIFF outputs of RenderPage, read back by Pillow,
// giftopnm and libtiff's tiffinfo, against the page as the same render writes it as BMP.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "pdf/core/api/talvo_pdf.h"
#include "pdf/core/pagetree/page_output.h"
#include "platform/gdi/bitmap.h"
#include "platform/rtl/streams.h"
#include "tests/pdf/codecs/output/output_test_util.h"
#include "tests/pdf/end_to_end/raster_compare.h"
#include "tests/pdf/render/support/render_test_pdf.h"
#include "tests/support/test_support.h"

namespace {

using outputtest::RGB;
using testraster::Raster;

constexpr int kGIF = 6, kTIFF = 7, kMonochromeTIFF = 10;

// A BMP picture of a few solid blocks (every colour in a cell of its own for the GIF lookup)
// or of smooth gradients.
std::string MakePicture(const std::string& path, bool gradients) {
  TBitmap bitmap;
  outputtest::Fill24(bitmap, 40, 30, [gradients](int x, int y) {
    if (gradients) return RGB{uint8_t(x * 6), uint8_t(y * 8), uint8_t(255 - x * 3 - y * 2)};
    static const RGB blocks[6] = {{200, 30, 60}, {16, 120, 240}, {0, 0, 0}, {90, 90, 90}, {250, 210, 0}, {40, 160, 64}};
    return blocks[(x / 10 + y / 10 * 4) % 6];
  });
  TMemoryStream bmp;
  bitmap.SaveToStream(bmp);
  testsupport::WriteFile(path, bmp.DataString());
  return path;
}

struct Page {
  TOrvanePDFLibrary0915 api;
  explicit Page(const std::string& picture) {
    api.SetCoordinateOrigin(1);
    api.SetUnits(0);
    const int32_t handle = api.LoadImageFile(FileNameToWide(picture), 0);
    EXPECT_NE(handle, 0);
    api.SetCurrentImage(handle);
    const int w = api.CurrentImageWidth(), h = api.CurrentImageHeight();
    api.SetPageSize(w + 2, h + 2);
    api.PlaceImage(1, 1, w, h);
    api.SetCurrentPage(1);
    api.GDIPlusSettings.LibraryPath = rendertest::ProviderPath();
  }
  std::string Render(int format, int dpi = 72) {
    TMemoryStream out;
    EXPECT_EQ(api.RenderPage(dpi, 1, format, out), 1) << format << ": " << api.RenderMessage();
    return out.DataString();
  }
};

class RasterFormats : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testraster::PythonWithPIL().empty()) GTEST_SKIP() << "needs python3 with Pillow";
  }
  testsupport::TempDir dir;
  std::string Save(const std::string& name, const std::string& bytes) {
    const std::string path = dir.File(name);
    testsupport::WriteFile(path, bytes);
    return path;
  }
};

TEST_F(RasterFormats, GIFIsTheRenderedPage) {
  for (bool gradients : {false, true}) {
    Page page(MakePicture(dir.File("picture.bmp"), gradients));
    const Raster bmp = testraster::ReadBmp(page.Render(0));
    ASSERT_EQ(bmp.Width, 42);
    const std::string path = Save("page.gif", page.Render(kGIF));
    const Raster gif = testraster::DecodeWithPillow(path);
    ASSERT_EQ(gif.Width, bmp.Width);
    ASSERT_EQ(gif.Height, bmp.Height);
    if (!gradients) { EXPECT_EQ(gif.RGB, bmp.RGB); }  // seven colours, each in its own cell
    const std::string expected = outputtest::ReferenceGIFPixels(bmp, dir.path());
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(std::string(gif.RGB.begin(), gif.RGB.end()), expected) << gradients;
    if (testsupport::HaveTool("giftopnm")) {
      std::string warnings;
      EXPECT_EQ(testsupport::Run("giftopnm " + path + " 2>&1 >/dev/null", &warnings), 0);
      EXPECT_EQ(warnings, "");
    }
  }
}

TEST_F(RasterFormats, TIFFIsTheRenderedPage) {
  REQUIRE_TOOL("tiffinfo");
  Page page(MakePicture(dir.File("picture.bmp"), true));
  const Raster bmp = testraster::ReadBmp(page.Render(0, 150));
  const std::string path = Save("page.tif", page.Render(kTIFF, 150));
  EXPECT_EQ(testraster::DecodeWithPillow(path).RGB, bmp.RGB);
  std::string info;
  testsupport::Run("tiffinfo " + path + " 2>&1", &info);
  EXPECT_NE(info.find("Compression Scheme: LZW"), std::string::npos) << info;
  EXPECT_NE(info.find("Resolution: 149.987, 149.987 pixels/inch"), std::string::npos) << info;
  EXPECT_NE(info.find("Image Width: " + std::to_string(bmp.Width) + " Image Length: " + std::to_string(bmp.Height)),
            std::string::npos)
      << info;
}

TEST_F(RasterFormats, MonochromeTIFFIsTheThresholdedPage) {
  REQUIRE_TOOL("tiffinfo");
  for (int32_t threshold : {0, 140}) {
    Page page(MakePicture(dir.File("picture.bmp"), true));
    page.api.GDIPlusSettings.MonochromeThreshold = threshold;
    const Raster bmp = testraster::ReadBmp(page.Render(0));
    const std::string path = Save("page.tif", page.Render(kMonochromeTIFF));
    std::string info;
    testsupport::Run("tiffinfo " + path + " 2>&1", &info);
    EXPECT_NE(info.find("Compression Scheme: CCITT Group 4"), std::string::npos) << info;
    EXPECT_NE(info.find("Bits/Sample: 1"), std::string::npos) << info;
    const Raster back = testraster::DecodeWithPillow(path);
    ASSERT_EQ(back.Width, bmp.Width);
    ASSERT_EQ(back.Height, bmp.Height);
    for (int y = 0; y < bmp.Height; ++y)
      for (int x = 0; x < bmp.Width; ++x) {
        const uint8_t* c = bmp.At(x, y);
        const bool black = (threshold > 0 && c[0] + c[1] + c[2] < 3 * threshold) ||
                           299 * c[0] + 587 * c[1] + 114 * c[2] < 128000;
        ASSERT_EQ(back.At(x, y)[0], black ? 0 : 255) << threshold << " at " << x << "," << y;
      }
  }
}

// A TIFF format whose encoder cannot be had answers 0 and writes nothing; so does a GIF of a
// page wider than a GIF can say, and any format of a page without pixels.
TEST(RasterFormatFailures, AnswerZeroAndWriteNothing) {
  TTalvoPDF api;
  ASSERT_EQ(api.SetPageSize(10, 10), 1);
  api.GDIPlusSettings.LibraryPath = u"/nonexistent/libvelmora-gdiplus.so";
  for (int format : {kTIFF, kMonochromeTIFF}) {
    TMemoryStream out;
    EXPECT_EQ(api.RenderPage(72, 1, format, out), 0) << format;
    EXPECT_EQ(out.Size(), 0) << format;
    EXPECT_FALSE(api.RenderMessage().empty()) << format;
  }
  TMemoryStream gif;
  EXPECT_EQ(api.RenderPage(72, 1, kGIF, gif), 1) << api.RenderMessage();  // needs no provider
  EXPECT_EQ(gif.DataString().substr(0, 6), "GIF87a");

  // The writers themselves refuse a bitmap without pixels.
  TBitmap empty;
  empty.SetPixelFormat(pf24bit);
  api.GDIPlusSettings.LibraryPath = rendertest::ProviderPath();
  for (int format : {kGIF, kTIFF, kMonochromeTIFF}) {
    TMemoryStream out;
    std::string message;
    EXPECT_FALSE(WritePageBitmap(empty, format, 72, 75, api.GDIPlusSettings, out, message)) << format;
    EXPECT_EQ(out.Size(), 0) << format;
    EXPECT_FALSE(message.empty()) << format;
  }
  TTalvoPDF wide;
  ASSERT_EQ(wide.SetPageSize(1000, 1), 1);
  TMemoryStream out;
  EXPECT_EQ(wide.RenderPage(72 * 70, 1, kGIF, out), 0);  // 70,000 pixels wide
  EXPECT_EQ(out.Size(), 0);
  EXPECT_FALSE(wide.RenderMessage().empty());
}

}  // namespace
