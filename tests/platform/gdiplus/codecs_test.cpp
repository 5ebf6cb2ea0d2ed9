// Image files read by the provider against Pillow's reading of the same files (made with
// Pillow, ImageMagick and libtiff's tools), and files the provider writes read back by Pillow
// and tiffinfo.
#include <cmath>

#include "tests/platform/gdiplus/provider.h"

namespace gptest {
namespace {

using testsupport::HaveTool;


// Source pictures and their files, made once for the whole test program.
class CodecFiles : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (PythonWithPil().empty() || !HaveTool("tiffcp") || !HaveTool("convert")) return;
    dir_ = new testsupport::TempDir;
    const std::string& d = dir_->path();
    std::string out;
    const int rc = RunPython(d,
                             "im = Image.new('RGBA', (13, 9))\n"
                             "for y in range(9):\n"
                             "    for x in range(13):\n"
                             "        im.putpixel((x, y), (x * 19, y * 28, (x * y * 11) % 256, 255 if x % 4 else 40 * y))\n"
                             "im.save('alpha.png')\n"
                             "rgb = im.convert('RGB')\n"
                             "rgb.save('rgb.png'); rgb.save('rgb.bmp'); rgb.save('rgb.jpg', quality=92)\n"
                             "rgb.convert('L').save('grey.jpg'); rgb.convert('L').save('grey.png')\n"
                             "pal = rgb.convert('P'); pal.save('pal8.bmp'); pal.save('palette.gif')\n"
                             "pal.info['transparency'] = 3; pal.save('trns.png', transparency=3)\n"
                             "bw = rgb.convert('1'); bw.save('bilevel.bmp'); bw.save('bw-raw.tif', compression=None)\n"
                             "rgb.save('rgb-raw.tif', compression=None)\n"
                             "big = Image.new('RGB', (40, 30), (200, 10, 10)); big.save('page2.tif', compression=None)\n"
                             "f2 = rgb.rotate(180)\n"
                             "rgb.save('anim.gif', save_all=True, append_images=[f2], duration=100)\n",
                             &out);
    ASSERT_EQ(rc, 0) << out;
    const std::string cd = "cd '" + d + "' && ";
    ASSERT_EQ(testsupport::Run(cd + "tiffcp -c none rgb-raw.tif none.tif && tiffcp -c lzw rgb-raw.tif lzw.tif && "
                       "tiffcp -c g4 bw-raw.tif g4.tif && tiffcp g4.tif page2.tif pages.tif"),
              0);
    ASSERT_EQ(testsupport::Run(cd + "/usr/bin/convert rgb.png -colorspace CMYK cmyk.jpg && "
                       "/usr/bin/convert pal8.bmp -compress RLE bmp3:rle8.bmp"),
              0);
    ASSERT_EQ(RunPython(d,
                        "for n in ['alpha.png','rgb.png','rgb.bmp','rgb.jpg','grey.jpg','grey.png','pal8.bmp',"
                        "'palette.gif','trns.png','bilevel.bmp','none.tif','lzw.tif','g4.tif','cmyk.jpg','rle8.bmp']:\n"
                        "    dump(n)\n"
                        "im = Image.open('pages.tif'); im.seek(1); im.convert('RGBA').save('pages-2.png'); dump('pages-2.png')\n"
                        "im = Image.open('anim.gif'); im.seek(1); im.convert('RGBA').save('anim-2.png'); dump('anim-2.png')\n",
                        &out),
              0)
        << out;
    ready_ = true;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  void SetUp() override {
    if (!ready_) GTEST_SKIP() << "needs Python PIL, tiffcp and ImageMagick";
  }
  static std::string Path(const std::string& name) { return dir_->File(name); }

  static testsupport::TempDir* dir_;
  static bool ready_;
};
testsupport::TempDir* CodecFiles::dir_ = nullptr;
bool CodecFiles::ready_ = false;

void ExpectSamePixels(const Pixels& ours, const Pixels& pillow, int tolerance, const std::string& what) {
  ASSERT_EQ(ours.width, pillow.width) << what;
  ASSERT_EQ(ours.height, pillow.height) << what;
  ASSERT_EQ(ours.argb.size(), pillow.argb.size()) << what;
  for (size_t i = 0; i < ours.argb.size(); ++i) {
    const uint32_t a = ours.argb[i], b = pillow.argb[i];
    if ((a >> 24) == 0 && (b >> 24) == 0) continue;  // fully transparent: colour does not matter
    for (int s = 0; s < 32; s += 8) {
      const int d = std::abs(int((a >> s) & 0xff) - int((b >> s) & 0xff));
      ASSERT_LE(d, tolerance) << what << " pixel " << i << std::hex << " ours " << a << " pillow " << b;
    }
  }
}

TEST_F(CodecFiles, DecodesLikePillow) {
  struct Case {
    const char* file;
    int tolerance;
    PixelFormat format;
  };
  const Case cases[] = {
      {"alpha.png", 0, PixelFormat32bppARGB},     {"rgb.png", 0, PixelFormat24bppRGB},
      {"grey.png", 0, PixelFormat8bppIndexed},    {"trns.png", 0, PixelFormat8bppIndexed},
      {"rgb.bmp", 0, PixelFormat24bppRGB},        {"pal8.bmp", 0, PixelFormat8bppIndexed},
      {"rle8.bmp", 0, PixelFormat8bppIndexed},    {"bilevel.bmp", 0, PixelFormat1bppIndexed},
      {"rgb.jpg", 0, PixelFormat24bppRGB},        {"grey.jpg", 0, PixelFormat8bppIndexed},
      {"cmyk.jpg", 1, PixelFormat24bppRGB},       {"none.tif", 0, PixelFormat24bppRGB},
      {"lzw.tif", 0, PixelFormat24bppRGB},        {"g4.tif", 0, PixelFormat1bppIndexed},
      {"palette.gif", 0, PixelFormat32bppARGB},
  };
  for (const Case& c : cases) {
    GpStatus st;
    GpImage* image = LoadFile(Path(c.file), &st);
    ASSERT_EQ(st, Ok) << c.file;
    PixelFormat format = 0;
    GP(GdipGetImagePixelFormat)(image, &format);
    EXPECT_EQ(format, c.format) << c.file;
    ExpectSamePixels(ReadPixels(image), PillowPixels(dir_->path(), c.file), c.tolerance, c.file);
    GP(GdipDisposeImage)(image);
  }
}

TEST_F(CodecFiles, SelectsPagesAndFrames) {
  struct Case {
    const char* file;
    GUID dimension;
    const char* second;
  };
  const Case cases[] = {{"pages.tif", FrameDimensionPage, "pages-2.png"},
                        {"anim.gif", FrameDimensionTime, "anim-2.png"}};
  for (const Case& c : cases) {
    GpImage* image = LoadFile(Path(c.file));
    ASSERT_NE(image, nullptr) << c.file;
    uint32_t count = 0;
    GUID dimension{};
    ASSERT_EQ(GP(GdipImageGetFrameDimensionsList)(image, &dimension, 1), Ok);
    EXPECT_TRUE(dimension == c.dimension) << c.file;
    const GUID& other = c.dimension == FrameDimensionPage ? FrameDimensionTime : FrameDimensionPage;
    EXPECT_EQ(GP(GdipImageGetFrameCount)(image, &other, &count), InvalidParameter);
    ASSERT_EQ(GP(GdipImageGetFrameCount)(image, &c.dimension, &count), Ok);
    EXPECT_EQ(count, 2u) << c.file;
    EXPECT_EQ(GP(GdipImageSelectActiveFrame)(image, &c.dimension, 2), InvalidParameter);
    ASSERT_EQ(GP(GdipImageSelectActiveFrame)(image, &c.dimension, 1), Ok);
    ExpectSamePixels(ReadPixels(image), PillowPixels(dir_->path(), c.second), 0, c.second);
    GP(GdipDisposeImage)(image);
  }
}

TEST_F(CodecFiles, StreamsAreReadFromTheirPositionWithOrWithoutImageBytes) {
  const std::string png = testsupport::ReadFile(Path("alpha.png"));
  for (bool imageBytes : {false, true}) {
    MemoryStream stream("junk" + png);
    stream.offerImageBytes = imageBytes;
    uint64_t pos = 0;
    stream.Seek(4, STREAM_SEEK_SET, &pos);
    GpImage* image = nullptr;
    ASSERT_EQ(GP(GdipLoadImageFromStream)(&stream, &image), Ok) << imageBytes;
    EXPECT_EQ(stream.lockedBuffers, 0);
    ExpectSamePixels(ReadPixels(image), PillowPixels(dir_->path(), "alpha.png"), 0, "stream");
    GP(GdipDisposeImage)(image);
  }
}

// A 24-bit picture of the test's own, drawn into a new bitmap.
GpImage* TestPicture(int w, int h, bool bilevel) {
  GpBitmap* bitmap = nullptr;
  EXPECT_EQ(GP(GdipCreateBitmapFromScan0)(w, h, 0, PixelFormat24bppRGB, nullptr, &bitmap), Ok);
  BitmapData data{};
  EXPECT_EQ(GP(GdipBitmapLockBits)(bitmap, nullptr, ImageLockModeWrite, PixelFormat32bppARGB, &data), Ok);
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(data.Scan0) + ptrdiff_t(y) * data.Stride);
    for (int x = 0; x < w; ++x)
      row[x] = bilevel ? (((x / 3 + y / 2) % 2) ? 0xffffffffu : 0xff000000u)
                       : 0xff000000u | uint32_t(x * 17 % 256) << 16 | uint32_t(y * 23 % 256) << 8 | uint32_t((x ^ y) * 9 % 256);
  }
  EXPECT_EQ(GP(GdipBitmapUnlockBits)(bitmap, &data), Ok);
  return reinterpret_cast<GpImage*>(bitmap);
}

TEST_F(CodecFiles, WritesPngBmpAndTiffThatPillowReads) {
  GpImage* picture = TestPicture(21, 11, false);
  GP(GdipBitmapSetResolution)(reinterpret_cast<GpBitmap*>(picture), 300, 300);
  const Pixels source = ReadPixels(picture);
  struct Case {
    const char* file;
    CLSID encoder;
  };
  for (const Case& c : {Case{"out.png", EncoderClsidPNG}, Case{"out.bmp", EncoderClsidBMP}, Case{"out.tif", EncoderClsidTIFF}}) {
    const std::string path = Path(c.file);
    const std::u16string wide(path.begin(), path.end());
    ASSERT_EQ(GP(GdipSaveImageToFile)(picture, wide.c_str(), &c.encoder, nullptr), Ok) << c.file;
    std::string out;
    ASSERT_EQ(RunPython(dir_->path(), std::string("dump('") + c.file + "')\n", &out), 0) << out;
    ExpectSamePixels(source, PillowPixels(dir_->path(), c.file), 0, c.file);
    // And the provider reads its own files back.
    GpImage* back = LoadFile(Path(c.file));
    ASSERT_NE(back, nullptr) << c.file;
    ExpectSamePixels(ReadPixels(back), source, 0, std::string("reread ") + c.file);
    REAL dpi = 0;
    GP(GdipGetImageHorizontalResolution)(back, &dpi);
    EXPECT_NEAR(dpi, 300, 0.1) << c.file;
    GP(GdipDisposeImage)(back);
  }
  GP(GdipDisposeImage)(picture);
}

TEST_F(CodecFiles, WritesGroup4TiffAtOneBit) {
  GpImage* picture = TestPicture(30, 12, true);
  uint32_t compression = EncoderValueCompressionCCITT4, depth = 1;
  std::vector<uint8_t> buffer(offsetof(EncoderParameters, Parameter) + 2 * sizeof(EncoderParameter));
  auto* params = reinterpret_cast<EncoderParameters*>(buffer.data());
  params->Count = 2;
  EncoderParameter* list = params->Parameter;
  list[0] = EncoderParameter{EncoderCompression, 1, EncoderParameterValueTypeLong, &compression};
  list[1] = EncoderParameter{EncoderColorDepth, 1, EncoderParameterValueTypeLong, &depth};
  MemoryStream stream;
  ASSERT_EQ(GP(GdipSaveImageToStream)(picture, &stream, &EncoderClsidTIFF, params), Ok);
  testsupport::WriteFile(Path("g4-out.tif"), stream.str());
  std::string info;
  ASSERT_EQ(testsupport::Run("tiffinfo '" + Path("g4-out.tif") + "' 2>&1", &info), 0);
  EXPECT_NE(info.find("CCITT Group 4"), std::string::npos) << info;
  EXPECT_NE(info.find("Bits/Sample: 1"), std::string::npos) << info;
  std::string out;
  ASSERT_EQ(RunPython(dir_->path(), "dump('g4-out.tif')\n", &out), 0) << out;
  ExpectSamePixels(ReadPixels(picture), PillowPixels(dir_->path(), "g4-out.tif"), 0, "g4-out.tif");

  // Parameters the TIFF encoder cannot honour are refused.
  uint32_t badDepth = 7;
  list[1].Value = &badDepth;
  MemoryStream rejected;
  EXPECT_EQ(GP(GdipSaveImageToStream)(picture, &rejected, &EncoderClsidTIFF, params), InvalidParameter);
  EXPECT_TRUE(rejected.bytes().empty());
  const CLSID unknown{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  EXPECT_EQ(GP(GdipSaveImageToStream)(picture, &rejected, &unknown, nullptr), FileNotFound);
  GP(GdipDisposeImage)(picture);
}

TEST_F(CodecFiles, OneBitPicturesBecomeTwoEntryPalettePngs) {
  GpImage* image = LoadFile(Path("bilevel.bmp"));
  ASSERT_NE(image, nullptr);
  MemoryStream stream;
  ASSERT_EQ(GP(GdipSaveImageToStream)(image, &stream, &EncoderClsidPNG, nullptr), Ok);
  testsupport::WriteFile(Path("bilevel-out.png"), stream.str());
  std::string out;
  ASSERT_EQ(RunPython(dir_->path(),
                      "im = Image.open('bilevel-out.png'); print(im.mode, len(im.getpalette()) // 3)\n"
                      "dump('bilevel-out.png')\n",
                      &out),
            0);
  EXPECT_EQ(out, "P 2\n");
  ExpectSamePixels(ReadPixels(image), PillowPixels(dir_->path(), "bilevel-out.png"), 0, "bilevel-out.png");
  GP(GdipDisposeImage)(image);
}

TEST_F(CodecFiles, DecodedFileDrawnAtIdentityKeepsItsPixels) {
  GpImage* image = LoadFile(Path("rgb.jpg"));
  ASSERT_NE(image, nullptr);
  const Pixels source = ReadPixels(image);
  FakeDC dc(13, 9, 24);
  {
    DcGraphics g(dc);
    // The image quality of the renderer's default settings.
    GP(GdipSetSmoothingMode)(g.get(), SmoothingModeNone);
    GP(GdipSetInterpolationMode)(g.get(), InterpolationModeNearestNeighbor);
    GP(GdipSetPixelOffsetMode)(g.get(), PixelOffsetModeHalf);
    ASSERT_EQ(GP(GdipDrawImageRect)(g.get(), image, 0, 0, 13, 9), Ok);
  }
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 13; ++x) ASSERT_EQ(dc.Pixel(x, y), source.argb[size_t(y) * 13 + size_t(x)] & 0xffffff);
  GP(GdipDisposeImage)(image);
}

}  // namespace
}  // namespace gptest
