// Fax images beyond the fax decoder itself: byte-aligned Group 4 data, data handed on as TIFF
// (passed through, or drawn by the canvas's TIFF decoder), and what cannot be read at all.
#include <gtest/gtest.h>

#include "pdf/codecs/tiff/tiff_reader.h"
#include "tests/pdf/codecs/image_decoder/image_test_util.h"
#include "tests/pdf/image_support/raster_sets.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"

using namespace imgtest;

namespace {

// Three rows of 8 pixels, Group 4: black black black black white white white white, the same
// again, then all white. Coded by hand: horizontal mode (001, white 0 = 00110101, black 4 = 011)
// then V0; V0 V0 V0; pass (0001) then V0.
const std::string kAligned("\x26\xAE\xE0\x18", 4);      // each row starts on a byte
const std::string kUnaligned("\x26\xAF\xC6\x00", 4);     // the same rows, bit after bit

std::unique_ptr<TPDFImageDecoder> FaxImage(TestStore& t, const std::string& params, const std::string& data,
                                           bool passThrough, int w = 8, int h = 3, const std::string& extra = "") {
  auto d = std::make_unique<TPDFImageDecoder>();
  d->Settings = canvastest::SettingsFor(canvastest::ProviderPath());
  d->PassThrough = passThrough;
  d->SetImage(t.Image("<< /Width " + std::to_string(w) + " /Height " + std::to_string(h) +
                          " /BitsPerComponent 1 /ColorSpace /DeviceGray" + extra +
                          " /Filter /CCITTFaxDecode /DecodeParms << " + params + " >> >>",
                      data));
  return d;
}

void ExpectPicture(const Pixels& p) {
  ASSERT_EQ(p.width, 8);
  ASSERT_EQ(p.height, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(p.Rgb(x, y), y < 2 && x < 4 ? 0u : 0xFFFFFFu) << x << "," << y;
}

}  // namespace

// Byte-aligned Group 4 data decode with our own decoder, also when the caller asked for the
// data to be passed on (a TIFF file cannot carry them).
TEST(CCITTFallback, ByteAlignedGroup4DecodesWithOurDecoder) {
  for (bool pass : {false, true}) {
    SCOPED_TRACE(pass);
    TestStore t;
    auto d = FaxImage(t, "/K -1 /Columns 8 /EncodedByteAlign true", kAligned, pass);
    ASSERT_FALSE(d->Failed);
    EXPECT_NE(d->DataFormat, kDataTIFF);
    ASSERT_NE(d->Bitmap, nullptr);
    ExpectPicture(BitmapPixels(*d->Bitmap));
  }
  TestStore t;
  auto plain = FaxImage(t, "/K -1 /Columns 8", kUnaligned, false);
  ASSERT_FALSE(plain->Failed);
  ExpectPicture(BitmapPixels(*plain->Bitmap));
  // Byte-aligned data our decoder cannot read are not drawn as a white page.
  TestStore u;
  auto broken = FaxImage(u, "/K -1 /Columns 8 /EncodedByteAlign true", std::string("\x71\x4D\x03\x80", 4), false);
  EXPECT_TRUE(broken->Failed);
  EXPECT_EQ(broken->DataStream, nullptr);
}

// Passed through: the data in a one-strip TIFF file that libtiff decodes to the original
// file's picture.
TEST(CCITTFallback, PassThroughHandsOnATIFFFile) {
  REQUIRE_RASTER_TOOLS();
  const auto& set = rastertest::RasterSet::Get("tiff");
  ASSERT_TRUE(set.ok()) << set.error();
  testsupport::TempDir dir;
  struct Case {
    const char* name;
    const char* params;
    const char* decode;
  };
  for (const Case c : {Case{"bwwhite_g4", "/K -1", " /Decode [ 1 0 ]"}, Case{"bw_g4", "/K -1", ""},
                       Case{"bwwhite_g3", "/K 0", " /Decode [ 1 0 ]"}, Case{"bwwhite_g3_2d", "/K 1", " /Decode [ 1 0 ]"}}) {
    SCOPED_TRACE(c.name);
    TPDFTIFF source;
    source.ParseDirectory(set.Read(std::string(c.name) + ".tif"), -1);
    const TPDFTIFFPage& p = source.Pages.at(0);
    TestStore t;
    auto d = FaxImage(t, std::string(c.params) + " /Columns 203 /Rows 97 /BlackIs1 true", std::string(p.Strips.at(0)), true, 203,
                      97, c.decode);
    ASSERT_FALSE(d->Failed);
    ASSERT_EQ(d->DataFormat, kDataTIFF);
    ASSERT_NE(d->DataStream, nullptr);
    TPDFTIFF made;
    made.ParseDirectory(d->DataStream->View(), -1);
    ASSERT_EQ(made.PageCount, 1);
    EXPECT_EQ(made.Pages[0].Width, 203u);
    EXPECT_EQ(made.Pages[0].Strips.at(0), p.Strips[0]);
    const std::string path = dir.File("made.tif");
    testsupport::WriteFile(path, d->DataStream->View());
    std::string ours, theirs;
    ASSERT_EQ(testsupport::Run("tifftopnm " + path + " 2>/dev/null", &ours), 0);
    ASSERT_EQ(testsupport::Run("tifftopnm " + set.Path(std::string(c.name) + ".tif") + " 2>/dev/null", &theirs), 0);
    EXPECT_TRUE(ours == theirs);
  }
}

// The TIFF road without pass-through: the canvas's decoder draws the wrapped data into PNG
// data, which the drawing reads.
TEST(CCITTFallback, CanvasDecodesTheWrappedData) {
  TestStore t;
  auto d = std::make_unique<TPDFImageDecoder>();
  d->Settings = canvastest::SettingsFor(canvastest::ProviderPath());
  d->Width = 8;
  d->Height = 3;
  d->ColorSpace = "DeviceGray";
  d->CodecParams = {{"K", "-1"}, {"Columns", "8"}};
  d->Data = kUnaligned;
  d->DecodeCCITTThroughTIFF(-1, false);
  ASSERT_FALSE(d->Failed);
  EXPECT_EQ(d->DataFormat, kDataNone);  // only pass-through data announce a format
  ASSERT_NE(d->DataStream, nullptr);
  EXPECT_TRUE(d->Data.empty());
  ExpectPicture(DecodedPixels(*d));
  // Without the canvas's decoder nothing can be drawn: the image fails.
  auto none = std::make_unique<TPDFImageDecoder>();
  none->Settings = canvastest::SettingsFor("/nonexistent/provider.so");
  none->Width = 8;
  none->Height = 3;
  none->Data = kUnaligned;
  none->DecodeCCITTThroughTIFF(-1, false);
  EXPECT_TRUE(none->Failed);
}

// Damaged data of every coding: no crash; either a picture the canvas could make or a failure.
TEST(CCITTFallback, DamagedDataEndCleanly) {
  const std::string junk("\x00\x01\xFF\xFE\x12\x34\x00\x00\x00\x80\x00\x01", 12);
  for (const char* params : {"/K -1", "/K 0", "/K 1", "/K 0 /EncodedByteAlign true", "/K 1 /EncodedByteAlign true"}) {
    SCOPED_TRACE(params);
    TestStore t;
    auto d = FaxImage(t, std::string(params) + " /Columns 8", junk, false);
    if (!d->Failed) {
      EXPECT_TRUE(d->Bitmap != nullptr || d->DataStream != nullptr);
    }
  }
}
