// The codec paths: JPEG (decoded by Pillow for the expected pixels), CCITT fax data written by
// libtiff, JPEG 2000 not decoded yet, and the palette patching of stencil PNGs.
#include <gtest/gtest.h>

#include <sstream>

#include "pdf/codecs/png/png_reader.h"
#include "pdf/core/filters/flate.h"
#include "platform/gdi/png_image.h"
#include "tests/pdf/codecs/ccitt/ccitt_test_util.h"
#include "tests/pdf/codecs/image_decoder/image_test_util.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"
#include "tests/pdf/image_support/image_cases.h"

using namespace imgtest;

namespace {

struct Jpeg {
  std::string bytes;
  int width = 0, height = 0;
  std::vector<uint32_t> rgb;  // as Pillow decodes it
};

// A smooth picture saved by Pillow in the given mode ("RGB" or "L"), and Pillow's decode of it.
Jpeg MakeJpeg(const std::string& mode, int w, int h) {
  testsupport::TempDir dir;
  const std::string path = dir.File("p.jpg");
  const std::string script = R"(
mode, w, h, path = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
im = Image.new('RGB', (w, h))
im.putdata([((x * 255) // (w - 1), (y * 255) // (h - 1), ((x + y) * 97) % 256) for y in range(h) for x in range(w)])
im = im.convert(mode)
im.save(path, quality=95, subsampling=0)
back = Image.open(path).convert('RGB')
print(' '.join('%02x%02x%02x' % p for p in back.getdata()))
)";
  Jpeg j;
  j.width = w;
  j.height = h;
  std::istringstream out(imagetest::RunPython(script, {mode, std::to_string(w), std::to_string(h), path}));
  j.rgb = HexPixelLine(out);
  j.bytes = testsupport::ReadFile(path);
  return j;
}

}  // namespace

// The picture a canvas draws from the JPEG, pixel for pixel: Pillow's decode and djpeg's (both
// libjpeg's own rows; a grey picture in all its 256 levels, never quantised to a palette).
TEST(DCTPath, JpegDecodesThroughTheCanvas) {
  REQUIRE_IMAGE_TOOLS();
  REQUIRE_TOOL("djpeg");
  struct {
    std::string mode, space, filter, decode;
    bool invert, leadingLineFeed;
  } cases[] = {
      {"RGB", "/DeviceRGB", "/DCTDecode", "", false, false},
      {"L", "/DeviceGray", "/DCT", "", false, false},
      {"RGB", "/DeviceRGB", "[ /FlateDecode /DCTDecode ]", "", false, false},
      {"RGB", "/DeviceRGB", "/DCTDecode", "", false, true},
      {"L", "/DeviceGray", "/DCTDecode", " /Decode [ 1 0 ]", true, false},
      {"RGB", "/DeviceRGB", "/DCTDecode", " /Decode [ 1 0 1 0 1 0 ]", true, false},
  };
  constexpr int kW = 64, kH = 48;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode + " " + c.filter + c.decode);
    const Jpeg j = MakeJpeg(c.mode, kW, kH);
    ASSERT_EQ(j.rgb.size(), size_t(kW * kH));
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.File("p.jpg"), j.bytes);
    std::string pnm;
    ASSERT_EQ(testsupport::Run("djpeg -pnm '" + dir.File("p.jpg") + "'", &pnm), 0);
    const bool grey = c.mode == "L";
    const std::string header = std::string(grey ? "P5" : "P6") + "\n64 48\n255\n";
    ASSERT_EQ(pnm.substr(0, header.size()), header);
    const std::string djpeg = pnm.substr(header.size());
    ASSERT_EQ(djpeg.size(), size_t(kW * kH * (grey ? 1 : 3)));

    std::string data = (c.leadingLineFeed ? "\n" : "") + j.bytes;
    if (c.filter.find("Flate") != std::string::npos) data = FlateCompressString(data);
    TestStore t;
    auto d = Decode(t.Image("<< /Width 64 /Height 48 /BitsPerComponent 8 /ColorSpace " + c.space + " /Filter " +
                                c.filter + c.decode + " >>",
                            data));
    ASSERT_FALSE(d->Failed);
    ASSERT_NE(d->Bitmap, nullptr);
    // The JPEG path leaves its picture in the bitmap.
    EXPECT_EQ(d->DataStream, nullptr);
    const Pixels p = BitmapPixels(*d->Bitmap);
    int offPillow = 0, offDjpeg = 0;
    for (int i = 0; i < kW * kH; ++i) {
      const uint32_t got = p.Rgb(i % kW, i / kW);
      const uint32_t want = c.invert ? (~j.rgb[size_t(i)] & 0xFFFFFF) : j.rgb[size_t(i)];
      offPillow += got != want;
      uint32_t lib = 0;
      for (int k = 0; k < 3; ++k) lib = lib << 8 | uint8_t(djpeg[grey ? size_t(i) : size_t(3 * i + k)]);
      offDjpeg += got != (c.invert ? (~lib & 0xFFFFFF) : lib);
    }
    EXPECT_EQ(offPillow, 0);
    EXPECT_EQ(offDjpeg, 0);
  }
}

TEST(DCTPath, AProfileTheJpegCarriesIsAppliedOnce) {
  REQUIRE_IMAGE_TOOLS();
  // An RGB picture saved by Pillow with a wide-gamut profile embedded, Pillow's decode of its
  // samples and their conversion from that profile to sRGB by LittleCMS.
  testsupport::TempDir dir;
  const std::string profilePath = testsupport::DataPath("icc/wide-gamut-gamma18.icc");
  const std::string script = R"(
from PIL import ImageCms
profile, path = sys.argv[1], sys.argv[2]
im = Image.new('RGB', (16, 8))
im.putdata([((x * 255) // 15, (y * 255) // 7, ((x + y) * 53) % 256) for y in range(8) for x in range(16)])
im.save(path, quality=95, subsampling=0, icc_profile=open(profile, 'rb').read())
back = Image.open(path).convert('RGB')
srgb = ImageCms.profileToProfile(back, ImageCms.ImageCmsProfile(profile), ImageCms.createProfile('sRGB'))
print(' '.join('%02x%02x%02x' % p for p in back.getdata()))
print(' '.join('%02x%02x%02x' % p for p in srgb.getdata()))
)";
  const std::string path = dir.File("p.jpg");
  std::istringstream out(imagetest::RunPython(script, {profilePath, path}));
  const std::vector<uint32_t> samples = HexPixelLine(out), converted = HexPixelLine(out);
  ASSERT_EQ(samples.size(), 128u);
  ASSERT_EQ(converted.size(), 128u);
  const std::string jpeg = testsupport::ReadFile(path);
  // The profile's own colour space is DeviceRGB here: the canvas applies the profile the JPEG
  // carries. Where the image's colour space is that profile, it is applied as the image's,
  // and the copy inside the JPEG is not applied a second time.
  TestStore t;
  t.Register(9, t.Stream("<< /N 3 >>", testsupport::ReadFile(profilePath)));
  for (const std::string space : {"/DeviceRGB", "[ /ICCBased 9 0 R ]"}) {
    SCOPED_TRACE(space);
    auto d = Decode(t.Image("<< /Width 16 /Height 8 /BitsPerComponent 8 /ColorSpace " + space +
                                " /Filter /DCTDecode >>",
                            jpeg));
    ASSERT_FALSE(d->Failed);
    const Pixels p = DecodedPixels(*d);
    int worst = 0, moved = 0;
    for (int i = 0; i < 128; ++i) {
      worst = std::max(worst, Distance(p.Rgb(i % 16, i / 16), converted[size_t(i)]));
      moved = std::max(moved, Distance(samples[size_t(i)], converted[size_t(i)]));
    }
    EXPECT_LE(worst, 3);
    ASSERT_GE(moved, 20) << "the profile should change the colours";
  }
  // Drawn pixel for pixel by a renderer that decodes while drawing: the same colours.
  auto drawn =
      Decoder(t.Image("<< /Width 16 /Height 8 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /DCTDecode >>", jpeg),
              true);
  ASSERT_FALSE(drawn->Failed);
  auto page = canvastest::WhiteBitmap(16, 8);
  {
    auto canvas = canvastest::CanvasOn(*page, kBackEndGDIPlus);
    drawn->DrawImage(*canvas, {16, 0, 0, -8, 0, 8}, 0);
  }
  int worst = 0;
  for (int i = 0; i < 128; ++i) worst = std::max(worst, Distance(canvastest::Pixel(*page, i % 16, i / 16), converted[size_t(i)]));
  EXPECT_LE(worst, 3);
}

TEST(DCTPath, PassThroughKeepsTheJpegBytes) {
  REQUIRE_IMAGE_TOOLS();
  const Jpeg rgb = MakeJpeg("RGB", 8, 8), grey = MakeJpeg("L", 8, 8);
  TestStore t;
  auto rgbImage =
      t.Image("<< /Width 8 /Height 8 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /DCTDecode >>", rgb.bytes);
  auto greyImage =
      t.Image("<< /Width 8 /Height 8 /BitsPerComponent 8 /ColorSpace /DeviceGray /Filter /DCTDecode >>", grey.bytes);
  for (bool rgbOnly : {false, true}) {
    auto d = std::make_unique<TPDFImageDecoder>();
    d->PassThrough = true;
    d->PassThroughRGBOnly = rgbOnly;
    d->SetImage(rgbImage);
    ASSERT_FALSE(d->Failed);
    EXPECT_EQ(d->DataFormat, kDataJPEG);
    std::string bytes;
    d->GetData(bytes);
    EXPECT_EQ(bytes, rgb.bytes);
    EXPECT_EQ(d->GetDataSize(), int64_t(rgb.bytes.size()));

    auto g = std::make_unique<TPDFImageDecoder>();
    g->PassThrough = true;
    g->PassThroughRGBOnly = rgbOnly;
    g->SetImage(greyImage);
    ASSERT_FALSE(g->Failed);
    // Only DeviceRGB JPEGs stay encoded when asked so.
    EXPECT_EQ(g->DataFormat, rgbOnly ? kDataNone : kDataJPEG);
  }
}

TEST(DCTPath, DataThatAreNoJpegFail) {
  TestStore t;
  auto d = Decode(t.Image("<< /Width 8 /Height 8 /BitsPerComponent 8 /ColorSpace /DeviceRGB /Filter /DCTDecode >>",
                          std::string("\xFF\xD8\xFF\xE0 not really a jpeg", 22)));
  EXPECT_TRUE(d->Failed);
  EXPECT_FALSE(d->Decoded);
}

namespace {

struct Fax {
  ccitt_test::TBitmap bitmap;
  std::string data;
};

Fax MakeFax(const std::string& options, int w, int h) {
  testsupport::TempDir dir;
  Fax f;
  f.bitmap = ccitt_test::RandomRunsBitmap(w, h, 5, 9);
  ccitt_test::TTiffStrip strip;
  if (!ccitt_test::MakeFaxTiff(dir, f.bitmap, false, options, strip)) return {};
  f.data = strip.Data;
  return f;
}

// The first pixel of a decoded picture that is not as the fax page gives it: black where the
// page is black (where it is white when `inverted`), white elsewhere and in the rows below the
// page. Empty when every pixel is.
std::string FaxMismatch(const Pixels& p, const Fax& f, int w, int h, bool inverted = false) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool black = y < f.bitmap.Height && f.bitmap.Get(x, y) != inverted;
      const uint32_t want = black ? 0u : 0xFFFFFFu;
      if (p.Rgb(x, y) != want) {
        std::ostringstream where;
        where << x << "," << y << ": " << std::hex << p.Rgb(x, y) << " instead of " << want;
        return where.str();
      }
    }
  return {};
}

}  // namespace

TEST(CCITTPath, FaxDataFromLibtiff) {
  REQUIRE_TOOL("tiffcp");
  struct {
    std::string options, params;
  } codings[] = {{"-c g4", "/K -1"}, {"-c g3:1d", "/K 0"}, {"-c g3:2d", "/K 1"}};
  struct {
    std::string extra;
    bool inverted;
  } polarities[] = {
      {"", false}, {" /BlackIs1 true", true}, {" /Decode [ 1 0 ]", true}, {" /BlackIs1 true /Decode [ 1 0 ]", false}};
  for (const auto& coding : codings) {
    const Fax f = MakeFax(coding.options, 37, 11);
    ASSERT_FALSE(f.data.empty());
    for (const auto& pol : polarities) {
      SCOPED_TRACE(coding.options + pol.extra);
      const bool blackIs1 = pol.extra.find("BlackIs1") != std::string::npos;
      const std::string decode = pol.extra.find("Decode") != std::string::npos ? " /Decode [ 1 0 ]" : "";
      TestStore t;
      auto d = Decode(
          t.Image("<< /Width 37 /Height 11 /BitsPerComponent 1 /ColorSpace /DeviceGray /Filter /CCF "
                  "/DecodeParms << " +
                      coding.params + " /Columns 37" + (blackIs1 ? " /BlackIs1 true" : "") + " >>" + decode + " >>",
                  f.data));
      ASSERT_FALSE(d->Failed);
      ASSERT_NE(d->Bitmap, nullptr);
      const Pixels p = BitmapPixels(*d->Bitmap);
      ASSERT_EQ(p.width, 37);
      ASSERT_EQ(FaxMismatch(p, f, 37, 11, pol.inverted), "");
    }
  }
}

TEST(CCITTPath, ColumnsWiderThanTheImageAreCut) {
  REQUIRE_TOOL("tiffcp");
  const Fax f = MakeFax("-c g4", 40, 6);
  TestStore t;
  auto d =
      Decode(t.Image("<< /Width 30 /Height 6 /BitsPerComponent 1 /ColorSpace /DeviceGray /Filter /CCITTFaxDecode "
                     "/DecodeParms << /K -1 /Columns 40 >> >>",
                     f.data));
  ASSERT_FALSE(d->Failed);
  const Pixels p = BitmapPixels(*d->Bitmap);
  ASSERT_EQ(p.width, 30);
  ASSERT_EQ(FaxMismatch(p, f, 30, 6), "");
}

// Fax data are one bit deep: an image that leaves its depth out (or states one that fax data
// cannot have) decodes as one of one bit a pixel, every row of it.
TEST(CCITTPath, FaxDataWithoutADepthAreOneBitDeep) {
  REQUIRE_TOOL("tiffcp");
  const Fax f = MakeFax("-c g4", 21, 7);
  for (const std::string depth : {"", " /BitsPerComponent 0", " /BitsPerComponent 2"}) {
    SCOPED_TRACE(depth);
    TestStore t;
    auto d = Decode(t.Image("<< /Width 21 /Height 7" + depth +
                                " /ColorSpace /DeviceGray /Filter /CCF /DecodeParms << /K -1 /Columns 21 >> >>",
                            f.data));
    ASSERT_FALSE(d->Failed);
    ASSERT_NE(d->Bitmap, nullptr);
    ASSERT_EQ(FaxMismatch(BitmapPixels(*d->Bitmap), f, 21, 7), "");
  }
}

TEST(CCITTPath, StencilEndsAsPNGWithItsPaletteExchanged) {
  REQUIRE_TOOL("tiffcp");
  const Fax f = MakeFax("-c g4", 16, 4);
  TestStore t;
  auto d =
      Decode(t.Image("<< /Width 16 /Height 4 /ImageMask true /Filter /CCITTFaxDecode /DecodeParms << /K -1 "
                     "/Columns 16 >> >>",
                     f.data));
  ASSERT_FALSE(d->Failed);
  EXPECT_EQ(d->DataFormat, kDataPNG);
  EXPECT_EQ(d->Bitmap, nullptr);
  // Fax black (painted under the default Decode) is the PNG's index 1, white after the
  // exchange.
  const Pixels p = DecodedPixels(*d);
  ASSERT_EQ(FaxMismatch(p, f, 16, 4, true), "");
}

TEST(CCITTPath, DamagedFaxDataFailQuietly) {
  // Two-dimensional data whose first code is invalid: the fax decoder raises, the image fails.
  for (const std::string params : {"/K 1", "/K 4"}) {
    SCOPED_TRACE(params);
    TestStore t;
    auto d =
        Decode(t.Image("<< /Width 16 /Height 4 /BitsPerComponent 1 /ColorSpace /DeviceGray /Filter /CCF "
                       "/DecodeParms << " +
                           params + " /Columns 16 >> >>",
                       std::string("\x00\x01\x00\x00\x00\x00\x00\x00", 8)));
    EXPECT_TRUE(d->Failed);
    EXPECT_FALSE(d->Decoded);
  }
}

namespace {

struct PaletteChunks {
  std::string palette, transparency;
};

PaletteChunks ChunksOf(TMemoryStream& s) {
  TPNGReader r;
  r.HeaderOnly = true;
  s.SetPosition(0);
  r.ReadChunks(s);
  return {r.Palette, r.Transparency};
}

// libpng accepts the PNG (its checksums hold) and reads these colours with alpha.
std::vector<uint32_t> ReadBack(TMemoryStream& s) {
  auto dib = DecodePngToBgra(s.Bytes());
  std::vector<uint32_t> v;
  for (int x = 0; x < dib->Width(); ++x) v.push_back(dib->GetRaw(x, 0));
  return v;
}

}  // namespace

TEST(PNGPalette, SwapSetTransAndReset) {
  TestStore t;
  auto d = Decode(t.Image("<< /Width 2 /Height 1 /ImageMask true >>", "\x40"));  // painted, not painted
  ASSERT_NE(d->DataStream, nullptr);
  TMemoryStream& s = *d->DataStream;
  EXPECT_EQ(ChunksOf(s).palette, std::string("\0\0\0\xFF\xFF\xFF", 6));

  d->PatchPNGPalette(s, "Swap", 0);
  EXPECT_EQ(ChunksOf(s).palette, std::string("\xFF\xFF\xFF\0\0\0", 6));
  EXPECT_EQ(ReadBack(s), (std::vector<uint32_t>{0xFF000000u, 0xFFFFFFFFu}));
  d->PatchPNGPalette(s, "Swap", 0);

  // Entry 0 black: entry 1 takes the colour, entry 0 becomes transparent.
  d->PatchPNGPalette(s, "SetTrans", RGB(0x12, 0x34, 0x56));
  EXPECT_EQ(ChunksOf(s).palette, std::string("\0\0\0\x12\x34\x56", 6));
  EXPECT_EQ(ChunksOf(s).transparency, std::string("\0\xFF", 2));
  EXPECT_EQ(ReadBack(s), (std::vector<uint32_t>{0xFF123456u, 0x00000000u}));
  // A second SetTrans writes over the chunk instead of adding one.
  const int64_t size = s.Size();
  d->PatchPNGPalette(s, "Reset", 0);
  d->PatchPNGPalette(s, "SetTrans", RGB(0xAB, 0, 0));
  EXPECT_EQ(s.Size(), size);
  // Reset restores the palette and leaves the transparency chunk.
  d->PatchPNGPalette(s, "Reset", 0);
  EXPECT_EQ(ChunksOf(s).palette, std::string("\0\0\0\xFF\xFF\xFF", 6));
  EXPECT_EQ(ChunksOf(s).transparency, std::string("\0\xFF", 2));

  // Entry 0 not black: it takes the colour and entry 1 becomes transparent.
  d->PatchPNGPalette(s, "Swap", 0);
  d->PatchPNGPalette(s, "SetTrans", RGB(0, 0x80, 0));
  EXPECT_EQ(ChunksOf(s).palette, std::string("\0\x80\0\0\0\0", 6));
  EXPECT_EQ(ChunksOf(s).transparency, std::string("\xFF\0", 2));
  EXPECT_EQ(ReadBack(s), (std::vector<uint32_t>{0x00000000u, 0xFF008000u}));

  // Anything else, and PNGs without a two-entry palette, are left alone.
  const std::string before = s.DataString();
  d->PatchPNGPalette(s, "Other", 0);
  EXPECT_EQ(s.DataString(), before);
  TMemoryStream rgb(d->DataStream->DataString().substr(0, 8));
  d->PatchPNGPalette(rgb, "Swap", 0);
  EXPECT_EQ(rgb.Size(), 8);
}

TEST(CCITTPath, RowsTheDataDoNotReachStayWhite) {
  REQUIRE_TOOL("tiffcp");
  const Fax f = MakeFax("-c g4", 16, 4);
  TestStore t;
  auto d =
      Decode(t.Image("<< /Width 16 /Height 9 /BitsPerComponent 1 /ColorSpace /DeviceGray /Filter /CCITTFaxDecode "
                     "/DecodeParms << /K -1 /Columns 16 >> >>",
                     f.data));
  if (d->Failed) GTEST_SKIP() << "the fax decoder counts the missing rows as a failure";
  const Pixels p = BitmapPixels(*d->Bitmap);
  ASSERT_EQ(FaxMismatch(p, f, 16, 9), "");
}
