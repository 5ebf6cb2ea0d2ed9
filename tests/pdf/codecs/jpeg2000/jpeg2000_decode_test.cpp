// Files made by opj_compress, decoded by TJpeg2000Bitmap and compared with what
// opj_decompress reads from them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "pdf/codecs/jpeg2000/jpeg2000_bitmap.h"
#include "pdf/codecs/jpeg2000/jpeg2000_layout.h"
#include "platform/gdi/picture.h"
#include "tests/pdf/codecs/jpeg2000/jpeg2000_fixtures.h"
#include "tests/support/limited_child.h"

using jp2test::ComponentFormat;
using jp2test::Plane;

namespace {

#define REQUIRE_OPENJPEG_TOOLS() \
  REQUIRE_TOOL("opj_compress");  \
  REQUIRE_TOOL("opj_decompress")

uint8_t ByteAt(TBitmap& bitmap, int x, int y, int position) {
  const int bpp = bitmap.Dib().BitsPerPixel() / 8;
  return bitmap.Dib().Row(y)[x * bpp + position];
}

// The byte a sample becomes: shifted into the unsigned range, then scaled to 0..255. A
// subsampled component's sample covers its whole block of pixels.
int ExpectedByte(const Plane& p, int x, int y, int width, int height) {
  const int sx = x / ((width + p.Width - 1) / p.Width);
  const int sy = y / ((height + p.Height - 1) / p.Height);
  const int64_t max = (int64_t{1} << p.Precision) - 1;
  const int64_t v = p.At(sx, sy) + (p.Signed ? (int64_t{1} << (p.Precision - 1)) : 0);
  return int(v * 255 / max);
}

struct DecodeCase {
  const char* name;
  int width, height;
  std::vector<ComponentFormat> components;  // raw input; empty for a PNG of pngChannels
  int pngChannels;
  const char* output;
  TPixelFormat format;
  // The byte within a pixel of each component used.
  std::vector<int> positions;
};

const ComponentFormat kU8{8, false}, kS8{8, true}, kU12{12, false}, kS12{12, true}, kU16{16, false};

std::vector<DecodeCase> DecodeCases() {
  return {
      {"rgb8_j2k", 24, 16, {kU8, kU8, kU8}, 0, "a.j2k", pf24bit, {2, 1, 0}},
      {"rgb8_jp2", 24, 16, {kU8, kU8, kU8}, 0, "a.jp2", pf24bit, {2, 1, 0}},
      {"rgb8_signed_jp2", 20, 12, {kS8, kS8, kS8}, 0, "a.jp2", pf24bit, {2, 1, 0}},
      {"grey12_jp2", 19, 13, {kU12}, 0, "a.jp2", pf8bit, {0}},
      {"grey12_signed_j2k", 19, 13, {kS12}, 0, "a.j2k", pf8bit, {0}},
      {"grey16_jp2", 16, 9, {kU16}, 0, "a.jp2", pf8bit, {0}},
      {"rgb12_j2k", 17, 11, {kU12, kU12, kU12}, 0, "a.j2k", pf24bit, {2, 1, 0}},
      // (opj_decompress takes a codestream whose second component is subsampled across as
      // YCbCr; a codestream says nothing of that, so this one avoids it.)
      {"subsampled_j2k", 23, 15, {kU8, {8, false, 1, 2}, {8, false, 2, 2}}, 0, "a.j2k", pf24bit, {2, 1, 0}},
      {"subsampled_tall_j2k", 21, 14, {kU8, {8, false, 1, 3}, {8, false, 3, 1}}, 0, "a.j2k", pf24bit, {2, 1, 0}},
      // A codestream says nothing of its channels: four components land last to first.
      {"four_j2k", 16, 8, {kU8, kU8, kU8, kU8}, 0, "a.j2k", pf32bit, {3, 2, 1, 0}},
      {"two_j2k", 16, 8, {kU8, kU8}, 0, "a.j2k", pf8bit, {0}},
      {"grey_png_jp2", 18, 10, {}, 1, "a.jp2", pf8bit, {0}},
      {"grey_alpha_png_jp2", 18, 10, {}, 2, "a.jp2", pf8bit, {0}},
      {"rgb_png_jp2", 18, 10, {}, 3, "a.jp2", pf24bit, {2, 1, 0}},
      // opj_compress writes a channel definition for the alpha of such a file.
      {"rgba_png_jp2", 18, 10, {}, 4, "a.jp2", pf32bit, {2, 1, 0, 3}},
      {"rgba_png_j2k", 18, 10, {}, 4, "a.j2k", pf32bit, {3, 2, 1, 0}},
  };
}

std::string MakeFile(const testsupport::TempDir& dir, const DecodeCase& c) {
  if (!c.components.empty()) {
    const auto planes = jp2test::PatternPlanes(c.width, c.height, c.components);
    return jp2test::CompressPlanes(dir, planes, c.width, c.height, c.output, "-n 3");
  }
  std::vector<uint8_t> pixels;
  for (int i = 0; i < c.width * c.height * c.pngChannels; ++i) pixels.push_back(uint8_t(i * 29 + i / 7));
  return jp2test::CompressPNG(dir, c.width, c.height, c.pngChannels, pixels, c.output, "-n 3");
}

TEST(Jpeg2000Bitmap, DecodesLikeOpenJPEGTools) {
  REQUIRE_OPENJPEG_TOOLS();
  for (const DecodeCase& c : DecodeCases()) {
    SCOPED_TRACE(c.name);
    testsupport::TempDir dir;
    const std::string file = MakeFile(dir, c);
    ASSERT_FALSE(file.empty());
    const auto oracle = jp2test::DecompressPlanes(dir, dir.File(c.output));
    ASSERT_GE(oracle.size(), c.positions.size());

    TJpeg2000Bitmap bitmap;
    TMemoryStream stream(file);
    bitmap.LoadFromStream(stream);
    ASSERT_EQ(bitmap.Width(), c.width);
    ASSERT_EQ(bitmap.Height(), c.height);
    ASSERT_EQ(bitmap.PixelFormat(), c.format);
    int mismatches = 0;
    for (size_t i = 0; i < c.positions.size(); ++i)
      for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
          if (ByteAt(bitmap, x, y, c.positions[i]) != ExpectedByte(oracle[i], x, y, c.width, c.height) &&
              mismatches++ < 3)
            ADD_FAILURE() << "component " << i << " at " << x << "," << y;
    EXPECT_EQ(mismatches, 0);
    if (c.format == pf8bit) {
      const RGBQUAD entry = bitmap.Dib().Colors()[200];
      EXPECT_EQ(entry, (RGBQUAD{200, 200, 200, 0}));
    }
  }
}

TEST(Jpeg2000Bitmap, ConvertsYCbCrFilesToRGB) {
  REQUIRE_OPENJPEG_TOOLS();
  // opj_compress stores subsampled raw input as a YCbCr file; opj_decompress converts it.
  testsupport::TempDir dir;
  const int w = 22, h = 14;
  const auto planes = jp2test::PatternPlanes(w, h, {kU8, {8, false, 2, 2}, {8, false, 2, 2}});
  const std::string file = jp2test::CompressPlanes(dir, planes, w, h, "y.jp2", "-n 3");
  ASSERT_FALSE(file.empty());
  const auto rgb = jp2test::DecompressRGB(dir, dir.File("y.jp2"));
  ASSERT_EQ(rgb.size(), 3u);
  TJpeg2000Bitmap bitmap;
  TMemoryStream stream(file);
  bitmap.LoadFromStream(stream);
  ASSERT_EQ(bitmap.PixelFormat(), pf24bit);
  // The tool truncates where we round: a step or two apart.
  int worst = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(ByteAt(bitmap, x, y, 2 - c) - rgb[size_t(c)].At(x, y)));
  EXPECT_LE(worst, 2);
}

TEST(Jpeg2000Bitmap, LeavesTheStreamAfterTheCodestream) {
  REQUIRE_OPENJPEG_TOOLS();
  testsupport::TempDir dir;
  const auto planes = jp2test::PatternPlanes(20, 10, {kU8});
  for (const char* name : {"t.j2k", "t.jp2"}) {
    SCOPED_TRACE(name);
    const std::string file = jp2test::CompressPlanes(dir, planes, 20, 10, name, "-n 2");
    ASSERT_FALSE(file.empty());
    // Preceded by other data and followed by bytes that are no part of it.
    TMemoryStream stream("prefix" + file + "trailing bytes");
    stream.SetPosition(6);
    EXPECT_EQ(DetectJpeg2000Codec(stream), std::string(name) == "t.jp2" ? 1 : 2);
    EXPECT_EQ(stream.Position(), 6);
    TJpeg2000Bitmap bitmap;
    bitmap.LoadFromStream(stream);
    EXPECT_EQ(stream.Position(), 6 + int64_t(file.size()));
    EXPECT_EQ(bitmap.Width(), 20);
  }
}

// A real codestream whose image and size marker states another image size and tile size
// (Xsiz at byte 8, Ysiz at 12, XTsiz at 24, YTsiz at 28).
std::string Restated(std::string bytes, uint32_t width, uint32_t height, uint32_t tileWidth, uint32_t tileHeight) {
  auto put = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + size_t(i)] = char(v >> (24 - 8 * i));
  };
  put(8, width);
  put(12, height);
  put(24, tileWidth);
  put(28, tileHeight);
  return bytes;
}

TEST(Jpeg2000Bitmap, FailsCleanlyAndKeepsThePicture) {
  REQUIRE_OPENJPEG_TOOLS();
  testsupport::TempDir dir;
  const std::string j2k =
      jp2test::CompressPlanes(dir, jp2test::PatternPlanes(24, 16, {kU8, kU8, kU8}), 24, 16, "f.j2k", "-n 3");
  ASSERT_FALSE(j2k.empty());
  // Image and size marker fields: Xsiz at 8, Ysiz at 12, XTsiz at 24, YTsiz at 28.
  struct Failure {
    const char* name;
    std::string bytes;
    const char* message;
  };
  const std::vector<Failure> failures = {
      {"empty", "", "Unknown JPEG 2000 file type"},
      {"seven_bytes", j2k.substr(0, 7), "Unknown JPEG 2000 file type"},
      {"gif", "GIF89a\x01\x00\x01\x00", "Unknown JPEG 2000 file type"},
      {"signature_only", std::string("\0\0\0\x0CjP  \r\n\x87\n", 12), "JPEG 2000 image decoding failed"},
      {"truncated", j2k.substr(0, j2k.size() / 2), "JPEG 2000 image decoding failed"},
      {"header_only", j2k.substr(0, 60), "JPEG 2000 image decoding failed"},
      {"past_pixel_limit", Restated(j2k, 40000, 40000, 40000, 40000), "JPEG 2000 image decoding failed"},
      {"past_sample_limit", Restated(j2k, 8192, 8192, 8192, 8192), "JPEG 2000 image decoding failed"},
      {"tiny_tiles", Restated(j2k, 4096, 4096, 4, 4), "JPEG 2000 image decoding failed"},
      {"largest_stated", Restated(j2k, 0xFFFFFFFF, 0xFFFFFFFF, 1, 1), "JPEG 2000 image decoding failed"},
  };
  for (const Failure& f : failures) {
    SCOPED_TRACE(f.name);
    TJpeg2000Bitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(3, 2);
    TMemoryStream stream(f.bytes);
    try {
      bitmap.LoadFromStream(stream);
      ADD_FAILURE() << "loaded";
    } catch (const EJpeg2000Error& e) {
      EXPECT_STREQ(e.what(), f.message);
    }
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.Height(), 2);
    EXPECT_EQ(bitmap.PixelFormat(), pf24bit);
  }
}

// A whole, valid codestream of one 8-bit grey tile whose samples are all zero (a single
// empty packet), stated by a few dozen bytes.
std::string EmptyCodestream(uint32_t width, uint32_t height) {
  auto be16 = [](uint32_t v) { return std::string{char(v >> 8), char(v)}; };
  auto be32 = [&](uint32_t v) { return be16(v >> 16) + be16(v & 0xFFFF); };
  std::string siz = be16(0) + be32(width) + be32(height) + be32(0) + be32(0) + be32(width) + be32(height) +
                    be32(0) + be32(0) + be16(1) + std::string("\x07\x01\x01", 3);
  // One layer, no decomposition, 64 x 64 code-blocks, the reversible wavelet, no quantisation.
  const std::string cod = std::string("\0\0\0\x01\0\0\x04\x04\0\x01", 10);
  const std::string qcd = std::string("\x20\x40", 2);
  std::string out = std::string("\xFF\x4F\xFF\x51", 4) + be16(uint32_t(siz.size() + 2)) + siz;
  out += std::string("\xFF\x52", 2) + be16(uint32_t(cod.size() + 2)) + cod;
  out += std::string("\xFF\x5C", 2) + be16(uint32_t(qcd.size() + 2)) + qcd;
  out += std::string("\xFF\x90\0\x0A\0\0", 6) + be32(15) + std::string("\0\x01\xFF\x93\0\xFF\xD9", 7);
  return out;
}

TEST(Jpeg2000Bitmap, DecodesAHandMadeCodestream) {
  TJpeg2000Bitmap bitmap;
  const std::string bytes = EmptyCodestream(70, 33);
  TMemoryStream stream(bytes + "tail");
  bitmap.LoadFromStream(stream);
  ASSERT_EQ(bitmap.Width(), 70);
  ASSERT_EQ(bitmap.Height(), 33);
  EXPECT_EQ(stream.Position(), int64_t(bytes.size()));
  // Code-blocks that say nothing leave every sample in the middle of its range.
  EXPECT_EQ(ByteAt(bitmap, 0, 0, 0), 128);
  EXPECT_EQ(ByteAt(bitmap, 69, 32, 0), 128);
}

TEST(Jpeg2000Layout, CountsTheSamplesOfEveryComponent) {
  const std::string bytes = EmptyCodestream(70, 33);
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  const TJpeg2000Layout layout = ReadJpeg2000Layout({data, bytes.size()});
  ASSERT_TRUE(layout.Header.Valid);
  EXPECT_EQ(layout.Header.Samples, 70 * 33);
  EXPECT_EQ(layout.Header.Tiles, 1);
  EXPECT_EQ(layout.CodestreamEnd, int64_t(bytes.size()));
  REQUIRE_OPENJPEG_TOOLS();
  testsupport::TempDir dir;
  const std::string sub = jp2test::CompressPlanes(
      dir, jp2test::PatternPlanes(23, 15, {kU8, {8, false, 2, 2}, {8, false, 3, 1}}), 23, 15, "s.j2k", "-n 2 -t 8,8");
  ASSERT_FALSE(sub.empty());
  const TJpeg2000Layout s = ReadJpeg2000Layout({reinterpret_cast<const uint8_t*>(sub.data()), sub.size()});
  EXPECT_EQ(s.Header.Samples, 23 * 15 + 12 * 8 + 8 * 15);
  EXPECT_EQ(s.Header.Tiles, 3 * 2);
  EXPECT_EQ(s.Header.Components, 3);
}

TEST(Jpeg2000Bitmap, TheLargestPictureDecodesWithinAGigabyte) {
  // Decoding takes memory in proportion to the pixels, whatever few bytes state them: the
  // largest picture the limits let through decodes under a gigabyte, and one more column is
  // refused before anything is allocated for it.
  testsupport::ChildLimits limits;
  limits.address_space = 1ull << 30;
  limits.seconds = 120;
  const auto end = testsupport::RunLimited(
      [] {
        TJpeg2000Bitmap bitmap;
        TMemoryStream stream(EmptyCodestream(16384, 8192));
        bitmap.LoadFromStream(stream);
        if (bitmap.Width() != 16384 || bitmap.Height() != 8192) return 1;
        TMemoryStream wider(EmptyCodestream(16385, 8192));
        try {
          bitmap.LoadFromStream(wider);
          return 2;
        } catch (const EJpeg2000Error&) {
          return bitmap.Width() == 16384 ? 0 : 3;
        }
      },
      limits);
  EXPECT_TRUE(end.Normal()) << testsupport::Describe(end);
}

TEST(Jpeg2000Bitmap, DetectsTheTwoForms) {
  struct Case {
    std::string bytes;
    int expected;
  };
  const std::vector<Case> cases = {
      {std::string("\0\0\0\x0CjP  \r\n\x87\n", 12), 1},
      {std::string("\xFF\x4F\xFF\x51\0\x29\0\0", 8), 2},
      {std::string("\xFF\x4F\xFF\x52\0\x29\0\0", 8), 0},
      {std::string("\xFF\x4F\xFF\x51\0\x29\0", 7), 0},
      {std::string("\0\0\0\x0CjP  ", 8), 1},
      {"\x89PNG\r\n\x1a\n", 0},
  };
  for (const Case& c : cases) {
    TMemoryStream stream("xy" + c.bytes);
    stream.SetPosition(2);
    EXPECT_EQ(DetectJpeg2000Codec(stream), c.expected);
    EXPECT_EQ(stream.Position(), 2);
  }
}

TEST(Jpeg2000Bitmap, IsRegisteredForItsExtensions) {
  for (const char* extension : {"jp2", "J2K", "jpc"}) {
    const TGraphicClass make = GraphicClassForExtension(extension);
    ASSERT_NE(make, nullptr) << extension;
    EXPECT_STREQ(make()->ClassName(), "TJpeg2000Bitmap");
  }
}

TEST(Jpeg2000Bitmap, PicturesLoadJP2FilesByExtension) {
  REQUIRE_OPENJPEG_TOOLS();
  testsupport::TempDir dir;
  ASSERT_FALSE(
      jp2test::CompressPlanes(dir, jp2test::PatternPlanes(12, 9, {kU8, kU8, kU8}), 12, 9, "p.jp2", "-n 2").empty());
  TPicture picture;
  picture.LoadFromFile(Utf8ToWide(dir.File("p.jp2")));
  ASSERT_NE(picture.Graphic(), nullptr);
  EXPECT_STREQ(picture.Graphic()->ClassName(), "TJpeg2000Bitmap");
  EXPECT_EQ(picture.Width(), 12);
  EXPECT_EQ(picture.Height(), 9);
}

}  // namespace
