// BMP files written by ImageMagick and Pillow, decoded by our reader and compared pixel by
// pixel with what Pillow decodes from the same files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <tuple>
#include <vector>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/bmp_reader.h"
#include "platform/gdi/dib_rows.h"
#include "platform/gdi/graphics_errors.h"
#include "tests/platform/gdi/gdi_test_util.h"
#include "tests/support/test_support.h"

using namespace gditest;


namespace {

std::span<const uint8_t> AsBytes(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

// A 13 x 7 source (odd width: every depth needs row padding) with a gradient and odd pixels.
std::string MakeSource(const testsupport::TempDir& tmp) {
  // 29 x 7 with more than 16 colours (so palette output is 8-bit), white at (28, 0).
  std::string ppm = "P6\n29 7\n255\n";
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 29; ++x) {
      const bool white = x == 28 && y == 0;
      ppm.push_back(char(white ? 255 : x * 8));
      ppm.push_back(char(white ? 255 : y * 40));
      ppm.push_back(char(white ? 255 : (x * y * 3) % 256));
    }
  const std::string src = tmp.File("src.ppm");
  testsupport::WriteFile(src, ppm);
  return src;
}

void ExpectSamePixels(const std::string& file, int tolerance, bool alpha, int expectBpp) {
  SCOPED_TRACE(file);
  const std::string bytes = testsupport::ReadFile(file);
  std::shared_ptr<GdiBitmap> ours = ReadBmpFile(AsBytes(bytes));
  const Pixels pil = PilDecode(file);
  ASSERT_EQ(ours->Width(), pil.width);
  ASSERT_EQ(ours->Height(), pil.height);
  if (expectBpp) {
    EXPECT_EQ(ours->BitsPerPixel(), expectBpp);
  }
  for (int y = 0; y < pil.height; ++y)
    for (int x = 0; x < pil.width; ++x) {
      const uint32_t a = OurPixel(*ours, x, y, alpha), b = pil.At(x, y) | (alpha ? 0 : 0xFF000000u);
      for (int k = 0; k < 4; ++k) {  // channel by channel
        const int ca = int((a >> (8 * k)) & 0xFF), cb = int((b >> (8 * k)) & 0xFF);
        ASSERT_LE(std::abs(ca - cb), tolerance) << "pixel " << x << "," << y << " ours " << std::hex << a
                                                << " pil " << b;
      }
    }
}

struct ImCase {
  const char* name;
  const char* args;  // between the source and the output
  int tolerance;
  bool alpha;
  int bpp;
};

const ImCase kImCases[] = {
    {"bmp3_24", "-define bmp:format=bmp3 -type truecolor", 0, false, 24},
    {"bmp3_8", "-define bmp:format=bmp3 -type palette", 0, false, 8},
    {"bmp3_rle8", "-define bmp:format=bmp3 -type palette -compress RLE", 0, false, 8},
    {"bmp3_4", "-colors 16 -define bmp:format=bmp3 -type palette", 0, false, 4},
    {"bmp3_1", "-colors 2 -define bmp:format=bmp3 -type palette", 0, false, 1},
    {"v5_565", "-define bmp:subtype=RGB565", 1, false, 16},
    {"v5_555", "-define bmp:subtype=RGB555", 1, false, 16},
    {"v5_32_alpha", "-alpha on -channel A -fx 0.5 +channel", 0, true, 32},
    {"v4_24", "-define bmp:format=bmp4 -type truecolor", 0, false, 24},
    {"core_os2", "-type truecolor", 0, false, 24},  // written with the bmp2: prefix below
    {"core_os2_8", "-type palette", 0, false, 8},
};

}  // namespace

class ImageMagickBmp : public ::testing::TestWithParam<ImCase> {};

TEST_P(ImageMagickBmp, DecodesLikePillow) {
  REQUIRE_IM();
  REQUIRE_PIL();
  testsupport::TempDir tmp;
  const std::string src = MakeSource(tmp);
  const ImCase& c = GetParam();
  const std::string prefix = std::strncmp(c.name, "core", 4) == 0 ? "bmp2:" : "";
  const std::string out = tmp.File(std::string(c.name) + ".bmp");
  ASSERT_EQ(testsupport::Run(ImageMagick() + " " + src + " " + c.args + " " + prefix + out), 0);
  ExpectSamePixels(out, c.tolerance, c.alpha, c.bpp);
}

namespace {

// Every row read where it lies, from the bytes held in memory and from the file through a
// handle of its own, is the decoded picture's row.
void ExpectRowsWhereTheyLie(const std::string& bytes, const std::string& file = "") {
  const std::shared_ptr<GdiBitmap> decoded = ReadBmpFile(AsBytes(bytes));
  std::vector<TSharedBytes> sources = {MemoryBytes(bytes)};
  if (!file.empty()) {
    TFileStream stream(FileNameToWide(file), fmOpenRead);
    sources.push_back(FileBytes(stream.Handle()));
  }
  for (const TSharedBytes& source : sources) {
    const TDibRows rows = TDibRows::OfBmpFile(source);
    ASSERT_EQ(rows.Width(), decoded->Width());
    ASSERT_EQ(rows.Height(), decoded->Height());
    ASSERT_EQ(rows.BitsPerPixel(), decoded->BitsPerPixel());
    EXPECT_EQ(rows.Is565(), decoded->Is565());
    EXPECT_EQ(rows.Colors().size(), decoded->Colors().size());
    const auto reading = rows.Open();
    const size_t bytesOfRow = (size_t(rows.Width()) * size_t(rows.BitsPerPixel()) + 7) / 8;
    for (int32_t y = 0; y < rows.Height(); ++y)
      ASSERT_EQ(std::memcmp(reading->Next(), decoded->Row(y), bytesOfRow), 0) << "row " << y;
  }
}

// The rows read in place hold exactly the decoded picture's pixels, or are empty for every
// other depth and compression.
void ExpectRowsInPlace(const std::string& bytes) {
  const std::shared_ptr<GdiBitmap> decoded = ReadBmpFile(AsBytes(bytes));
  const BmpRows24 rows = ViewBmpRows24(AsBytes(bytes));
  ASSERT_EQ(rows.Empty(), decoded->BitsPerPixel() != 24);
  if (rows.Empty()) return;
  ASSERT_EQ(rows.width, decoded->Width());
  ASSERT_EQ(rows.height, decoded->Height());
  for (int32_t y = 0; y < rows.height; ++y)
    ASSERT_EQ(std::memcmp(rows.Row(y), decoded->Row(y), size_t(rows.width) * 3), 0) << "row " << y;
}

// ImageMagick's bottom-up 24-bit file of the source picture (29 x 7).
std::string BottomUpSource(const testsupport::TempDir& tmp) {
  const std::string out = tmp.File("b.bmp");
  EXPECT_EQ(testsupport::Run(ImageMagick() + " " + MakeSource(tmp) + " -define bmp:format=bmp3 -type truecolor " + out), 0);
  return testsupport::ReadFile(out);
}

// The same file top-down: its rows reversed and its height negated.
std::string TopDown(const std::string& bottomUp, int h, int stride) {
  const uint32_t off = uint8_t(bottomUp[10]);
  std::string topDown = bottomUp.substr(0, off);
  const int32_t negH = -h;
  std::memcpy(&topDown[22], &negH, 4);
  for (int row = h - 1; row >= 0; --row) topDown += bottomUp.substr(off + size_t(row) * stride, size_t(stride));
  return topDown;
}

}  // namespace

TEST_P(ImageMagickBmp, RowsInPlaceAreTheDecodedRows) {
  REQUIRE_IM();
  testsupport::TempDir tmp;
  const std::string src = MakeSource(tmp);
  const ImCase& c = GetParam();
  const std::string prefix = std::strncmp(c.name, "core", 4) == 0 ? "bmp2:" : "";
  const std::string out = tmp.File(std::string(c.name) + ".bmp");
  ASSERT_EQ(testsupport::Run(ImageMagick() + " " + src + " " + c.args + " " + prefix + out), 0);
  ExpectRowsInPlace(testsupport::ReadFile(out));
  ExpectRowsWhereTheyLie(testsupport::ReadFile(out), out);
}

INSTANTIATE_TEST_SUITE_P(Formats, ImageMagickBmp, ::testing::ValuesIn(kImCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BmpReader, PillowWrittenModes) {
  REQUIRE_PIL();
  testsupport::TempDir tmp;
  const std::string script =
      "import sys\nfrom PIL import Image\nim = Image.new('RGB', (11, 5))\n"
      "for y in range(5):\n  for x in range(11): im.putpixel((x, y), (x * 23, y * 50, (x * y * 7) % 256))\n"
      "d = sys.argv[1]\nim.save(d + '/rgb.bmp')\nim.convert('L').save(d + '/l.bmp')\n"
      "im.convert('1').save(d + '/one.bmp')\nim.convert('P', palette=Image.ADAPTIVE, colors=20).save(d + '/p.bmp')\n";
  testsupport::WriteFile(tmp.File("w.py"), script);
  ASSERT_EQ(testsupport::Run(PilPython() + " " + tmp.File("w.py") + " " + tmp.path()), 0);
  ExpectSamePixels(tmp.File("rgb.bmp"), 0, false, 24);
  ExpectSamePixels(tmp.File("l.bmp"), 0, false, 8);
  ExpectSamePixels(tmp.File("one.bmp"), 0, false, 1);
  ExpectSamePixels(tmp.File("p.bmp"), 0, false, 8);
}

// A top-down file: the bottom-up 24-bit file with its rows reversed and its height negated.
TEST(BmpReader, TopDownEqualsBottomUp) {
  REQUIRE_IM();
  testsupport::TempDir tmp;
  const std::string bottomUp = BottomUpSource(tmp);
  ASSERT_FALSE(HasFailure());
  const int w = 29, h = 7;
  const std::string topDown = TopDown(bottomUp, h, int(DibStride(w, 24)));
  auto a = ReadBmpFile(AsBytes(bottomUp));
  auto b = ReadBmpFile(AsBytes(topDown));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) ASSERT_EQ(a->GetColor(x, y), b->GetColor(x, y));
  // Scan line 0 is the top row in both: the white dot sits at (12, 0).
  EXPECT_EQ(b->GetColor(28, 0), RGB(255, 255, 255));
  EXPECT_EQ(a->GetColor(28, 0), RGB(255, 255, 255));
}

// Rows in place of a top-down file, of one whose pixels lie past a gap the header names, and of
// cut-off files (which raise as the reader does).
TEST(BmpReader, RowsInPlaceOfTopDownGappedAndCutFiles) {
  REQUIRE_IM();
  testsupport::TempDir tmp;
  const std::string bottomUp = BottomUpSource(tmp);
  ASSERT_FALSE(HasFailure());
  const uint32_t off = uint8_t(bottomUp[10]);
  const int stride = int(DibStride(29, 24));
  ExpectRowsInPlace(TopDown(bottomUp, 7, stride));
  std::string gapped = bottomUp.substr(0, off) + std::string(10, '\x7F') + bottomUp.substr(off);
  gapped[10] = char(off + 10);
  ExpectRowsInPlace(gapped);
  // The last row may lack its padding; one byte less is a cut-off file.
  const std::string unpadded = bottomUp.substr(0, bottomUp.size() - (stride - 29 * 3));
  ExpectRowsInPlace(unpadded);
  EXPECT_THROW(ViewBmpRows24(AsBytes(unpadded.substr(0, unpadded.size() - 1))), EInvalidGraphic);
  EXPECT_THROW(ViewBmpRows24(AsBytes(bottomUp.substr(0, 30))), EInvalidGraphic);
  // The rows read where they lie: the same files, and the same refusals.
  for (const std::string& file : {TopDown(bottomUp, 7, stride), gapped, unpadded}) ExpectRowsWhereTheyLie(file);
  EXPECT_THROW(TDibRows::OfBmpFile(MemoryBytes(unpadded.substr(0, unpadded.size() - 1))), EInvalidGraphic);
  EXPECT_THROW(TDibRows::OfBmpFile(MemoryBytes(bottomUp.substr(0, 30))), EInvalidGraphic);
}

namespace {

// A hand-made 4-bit RLE filenamespace {

// A hand-made 4-bit RLE file: 6 x 3, with an encoded run, an absolute run, a delta and an
// early end of bitmap.
std::string Rle4File() {
  std::string dib;
  auto put32 = [&](uint32_t v) { dib.append(reinterpret_cast<const char*>(&v), 4); };
  auto put16 = [&](uint16_t v) { dib.append(reinterpret_cast<const char*>(&v), 2); };
  put32(40); put32(6); put32(3); put16(1); put16(4); put32(BI_RLE4); put32(0); put32(0); put32(0); put32(16); put32(0);
  for (int i = 0; i < 16; ++i) put32(uint32_t(i * 0x111111));  // grey ramp: index i -> 0x11 * i
  const uint8_t codes[] = {
      6, 0x12,              // bottom row: 1 2 1 2 1 2
      0, 0,                 // end of line
      0, 3, 0x34, 0x50, 0, 0,  // absolute 3 4 5 (padded), then end of line (pixels 3..5 stay 0)
      0, 2, 2, 0,           // delta: two right, same row
      2, 0xFF,              // top row pixels 2, 3 = 15
      0, 1};                // end of bitmap
  dib.append(reinterpret_cast<const char*>(codes), sizeof codes);
  std::string file = "BM";
  const uint32_t size = uint32_t(14 + dib.size()), off = 14 + 40 + 64, zero = 0;
  file.append(reinterpret_cast<const char*>(&size), 4);
  file.append(reinterpret_cast<const char*>(&zero), 4);
  file.append(reinterpret_cast<const char*>(&off), 4);
  return file + dib;
}

}  // namespace

TEST(BmpReader, Rle4RunsAbsoluteAndDelta) {
  auto b = ReadBmpFile(AsBytes(Rle4File()));
  ASSERT_EQ(b->BitsPerPixel(), 4);
  const int expected[3][6] = {{0, 0, 15, 15, 0, 0}, {3, 4, 5, 0, 0, 0}, {1, 2, 1, 2, 1, 2}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(int(b->GetRaw(x, y)), expected[y][x]) << x << "," << y;
  EXPECT_EQ(b->GetColor(2, 0), RGB(0xFF, 0xFF, 0xFF));
}

namespace {

// A BMP file of the given header values, colour table and bits.
std::string BmpFile(int32_t w, int32_t h, uint16_t bpp, uint32_t compression, uint32_t colours, const std::string& bits) {
  std::string dib;
  auto put = [&](uint32_t v, int bytes) { dib.append(reinterpret_cast<const char*>(&v), size_t(bytes)); };
  put(40, 4), put(uint32_t(w), 4), put(uint32_t(h), 4), put(1, 2), put(bpp, 2), put(compression, 4);
  put(uint32_t(bits.size()), 4), put(0, 4), put(0, 4), put(colours, 4), put(0, 4);
  for (uint32_t i = 0; i < colours; ++i) put(i * 0x010305u, 4);
  const uint32_t size = uint32_t(14 + dib.size() + bits.size()), off = uint32_t(14 + dib.size());
  std::string file = "BM";
  file.append(reinterpret_cast<const char*>(&size), 4).append(4, '\0').append(reinterpret_cast<const char*>(&off), 4);
  return file + dib + bits;
}

// Random run-length codes: runs, absolute runs of odd and even lengths, line ends, deltas far
// enough to pass over whole stretches of rows, and at last an end of bitmap.
std::string RandomRuns(std::mt19937& rng, int rows) {
  std::string codes;
  for (int line = 0; line < rows;) {
    const unsigned pick = rng() % 16;
    if (pick < 7) {
      codes += char(1 + rng() % 255), codes += char(rng());
    } else if (pick < 11) {
      const int n = 3 + int(rng() % 60);
      codes += '\0', codes += char(n);
      for (int i = 0; i < (n + 1) / 2 * 2; ++i) codes += char(rng());
    } else if (pick < 15) {
      codes += std::string("\0\0", 2);
      ++line;
    } else {
      const int dy = int(rng() % (rng() % 4 ? 8 : 300));
      codes += '\0', codes += '\2', codes += char(rng() % 256), codes += char(dy);
      line += dy;
    }
  }
  return codes + std::string("\0\1", 2);
}

}  // namespace

// Pictures taller than a block of rows, read where they lie: uncompressed rows of odd widths
// bottom-up and top-down, and run-length rows whose codes jump over whole segments of rows (or
// end before the top, or break off), equal the whole decode's.
TEST(BmpReader, RowsWhereTheyLieAcrossBlocksAndRunSegments) {
  std::mt19937 rng(17);
  for (const auto& [w, bpp] : {std::pair<int32_t, uint16_t>{1001, 24}, {9001, 1}, {2999, 16}, {777, 32}}) {
    SCOPED_TRACE(std::to_string(w) + " pixels of " + std::to_string(bpp) + " bits");
    std::string bits(size_t(DibStride(w, bpp)) * 700, '\0');
    for (char& c : bits) c = char(rng());
    const uint32_t colours = bpp == 1 ? 2 : 0;
    ExpectRowsWhereTheyLie(BmpFile(w, 700, bpp, BI_RGB, colours, bits));
    ExpectRowsWhereTheyLie(BmpFile(w, -700, bpp, BI_RGB, colours, bits));
  }
  // Segments of 262 and 348 rows.
  for (const auto& [w, h, bpp] : {std::tuple<int32_t, int32_t, uint16_t>{1999, 600, 8}, {3001, 400, 4}}) {
    const uint32_t colours = 1u << bpp, compression = bpp == 8 ? BI_RLE8 : BI_RLE4;
    for (const int rows : {h + 100, h * 2 / 3}) {
      SCOPED_TRACE(std::to_string(w) + " pixels of " + std::to_string(bpp) + " bits, codes for " + std::to_string(rows));
      const std::string codes = RandomRuns(rng, rows);
      ExpectRowsWhereTheyLie(BmpFile(w, h, bpp, compression, colours, codes));
      ExpectRowsWhereTheyLie(BmpFile(w, h, bpp, compression, colours, codes.substr(0, codes.size() * 2 / 3)));
    }
  }
}

TEST(BmpReader, LoadedThroughTBitmapKeepsFormat) {
  REQUIRE_IM();
  testsupport::TempDir tmp;
  const std::string src = MakeSource(tmp);
  const struct {
    const char* args;
    TPixelFormat format;
  } cases[] = {{"-define bmp:format=bmp3 -type truecolor", pf24bit},
               {"-define bmp:format=bmp3 -type palette", pf8bit},
               {"-colors 2 -define bmp:format=bmp3 -type palette", pf1bit},
               {"-colors 16 -define bmp:format=bmp3 -type palette", pf4bit},
               {"-define bmp:subtype=RGB565", pf16bit},
               {"-define bmp:subtype=RGB555", pf15bit},
               {"-alpha on", pf32bit}};
  for (const auto& c : cases) {
    const std::string out = tmp.File("x.bmp");
    ASSERT_EQ(testsupport::Run(ImageMagick() + " " + src + " " + c.args + " " + out), 0);
    TBitmap bmp;
    bmp.LoadFromFile(FileNameToWide(out));
    EXPECT_EQ(bmp.PixelFormat(), c.format) << c.args;
    EXPECT_EQ(bmp.Width(), 29);
    EXPECT_EQ(bmp.Height(), 7);
  }
}
