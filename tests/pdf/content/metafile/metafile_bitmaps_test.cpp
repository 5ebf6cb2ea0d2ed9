// Bitmap records of the converter: which images it writes (lossless where anything of them is
// transparent or recoloured, JPEG only for large opaque copies), 1-bit bitmaps in their own
// colours, raster operations, SETDIBITSTODEVICE pixel for pixel, and alpha blending through
// soft masks. Drawn through our renderer; a logical unit is one pixel of the page.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "pdf/content/image_import/pdf_image.h"
#include "pdf/content/metafile/pdf_metafile.h"
#include "pdf/core/objects/pdf_objects.h"
#include "tests/pdf/content/metafile/metafile_test_support.h"
#include "tests/support/test_support.h"

namespace {

using namespace mftest;

// A device-independent bitmap: its info (header and colour table) and its bits, bottom-up.
struct Dib {
  std::vector<uint8_t> info, bits;
};

// A 24-bit bitmap whose pixel (x, y), counted from the top, has the COLORREF colour(x, y).
Dib Dib24(int w, int h, const std::function<uint32_t(int, int)>& colour) {
  Dib d;
  Bytes info;
  info.U32(40).I32(w).I32(h).U16(1).U16(24).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
  d.info = info.b;
  const int stride = (w * 3 + 3) & ~3;
  d.bits.assign(size_t(stride) * size_t(h), 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t c = colour(x, y);
      uint8_t* p = &d.bits[size_t(h - 1 - y) * size_t(stride) + size_t(x) * 3];
      p[0] = uint8_t(c >> 16), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c);
    }
  return d;
}

// A 32-bit bitmap of premultiplied BGRA pixels (x, y from the top).
Dib Dib32(int w, int h, const std::function<uint32_t(int, int)>& argb) {
  Dib d;
  Bytes info;
  info.U32(40).I32(w).I32(h).U16(1).U16(32).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
  d.info = info.b;
  d.bits.assign(size_t(w) * size_t(h) * 4, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t c = argb(x, y);
      uint8_t* p = &d.bits[(size_t(h - 1 - y) * size_t(w) + size_t(x)) * 4];
      p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16), p[3] = uint8_t(c >> 24);
    }
  return d;
}

// A 1-bit bitmap with the two colours (COLORREF) of its table; bit(x, y) picks entry 1.
Dib Dib1(int w, int h, uint32_t entry0, uint32_t entry1, const std::function<bool(int, int)>& bit) {
  Dib d;
  Bytes info;
  info.U32(40).I32(w).I32(h).U16(1).U16(1).U32(0).U32(0).U32(0).U32(0).U32(2).U32(0);
  for (uint32_t c : {entry0, entry1}) info.U16(uint16_t(((c >> 16) & 0xFF) | (c & 0xFF00))).U16(uint16_t(c & 0xFF));
  d.info = info.b;
  const int stride = ((w + 31) / 32) * 4;
  d.bits.assign(size_t(stride) * size_t(h), 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (bit(x, y)) d.bits[size_t(h - 1 - y) * size_t(stride) + size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
  return d;
}

Record StretchDIBits(int x, int y, int cx, int cy, const Dib& d, uint32_t rop, int sw = -1, int sh = -1) {
  const int w = int(int32_t(d.info[4] | d.info[5] << 8 | d.info[6] << 16 | d.info[7] << 24));
  const int h = int(int32_t(d.info[8] | d.info[9] << 8 | d.info[10] << 16 | d.info[11] << 24));
  Bytes p;
  p.Rect(0, 0, 0, 0).I32(x).I32(y).I32(0).I32(0).I32(sw < 0 ? w : sw).I32(sh < 0 ? h : sh);
  p.U32(80).U32(uint32_t(d.info.size())).U32(80 + uint32_t(d.info.size())).U32(uint32_t(d.bits.size()));
  p.U32(0).U32(rop).I32(cx).I32(cy).Raw(d.info).Raw(d.bits);
  return Rec(81, p);
}

// BITBLT (76), STRETCHBLT (77), TRANSPARENTBLT (116) and ALPHABLEND (114): `op` is the raster
// operation, the transparent colour or the blend function.
Record Blit(uint32_t type, int x, int y, int cx, int cy, uint32_t op, const Dib& d, int sw, int sh) {
  const uint32_t fixed = type == 76 ? 100 : 108;
  Bytes p;
  p.Rect(0, 0, 0, 0).I32(x).I32(y).I32(cx).I32(cy).U32(op).I32(0).I32(0);
  p.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(0);
  p.U32(fixed).U32(uint32_t(d.info.size())).U32(fixed + uint32_t(d.info.size())).U32(uint32_t(d.bits.size()));
  if (type != 76) p.I32(sw).I32(sh);
  p.Raw(d.info).Raw(d.bits);
  return Rec(type, p);
}

Record SetDIBitsToDevice(int x, int y, int cx, int cy, const Dib& d, uint32_t start, uint32_t scans) {
  Bytes p;
  p.Rect(0, 0, 0, 0).I32(x).I32(y).I32(0).I32(0).I32(cx).I32(cy);
  p.U32(76).U32(uint32_t(d.info.size())).U32(76 + uint32_t(d.info.size())).U32(uint32_t(d.bits.size()));
  p.U32(0).U32(start).U32(scans).Raw(d.info).Raw(d.bits);
  return Rec(80, p);
}

// The value of an image dictionary's entry as text ("" when absent).
std::string Entry(const TPDFImage& image, const char* key) {
  if (!image.Dict || !image.Dict->GetValue(key)) return "";
  std::string text;
  image.Dict->GetValue(key)->WriteToString(text);
  return text;
}

bool Near(uint32_t rgb, uint32_t want, int tolerance = 24) {
  for (int s = 0; s < 24; s += 8)
    if (std::abs(int((rgb >> s) & 0xFF) - int((want >> s) & 0xFF)) > tolerance) return false;
  return true;
}

const auto kBlueSquare = [](int x, int y) { return (x / 4 + y / 4) % 2 ? 0xFF0000u : 0x00C0FFu; };
const auto kWhiteSquare = [](int x, int y) { return (x / 4 + y / 4) % 2 ? 0xFFFFFFu : 0x00C0FFu; };

TEST(MetafileBitmaps, LargeOpaqueCopiesGoInAsJpegEverythingElseLossless) {
  struct Case {
    const char* name;
    Record record;
    const char* filter;
    bool softMask;
  } cases[] = {
      {"small copy", StretchDIBits(0, 0, 32, 32, Dib24(32, 32, kBlueSquare), 0xCC0020), "/FlateDecode", false},
      {"large copy", StretchDIBits(0, 0, 96, 72, Dib24(100, 100, kBlueSquare), 0xCC0020), "/DCTDecode", false},
      {"wide strip", StretchDIBits(0, 0, 96, 72, Dib24(200, 64, kBlueSquare), 0xCC0020), "/FlateDecode", false},
      {"tall strip", StretchDIBits(0, 0, 96, 72, Dib24(40, 300, kBlueSquare), 0xCC0020), "/FlateDecode", false},
      {"65 by 65", StretchDIBits(0, 0, 96, 72, Dib24(65, 65, kBlueSquare), 0xCC0020), "/DCTDecode", false},
      {"large keyed", Blit(116, 0, 0, 96, 72, 0xFF0000, Dib24(100, 100, kBlueSquare), 100, 100), "/FlateDecode",
       true},
      {"large with a raster operation (SRCAND)", StretchDIBits(0, 0, 96, 72, Dib24(100, 100, kWhiteSquare), 0x8800C6),
       "/FlateDecode", true},
      // An operation that does not mix with the page is stored like a copy.
      {"large inverted (NOTSRCCOPY)", StretchDIBits(0, 0, 96, 72, Dib24(100, 100, kBlueSquare), 0x330008),
       "/DCTDecode", false},
      {"large blended", Blit(114, 0, 0, 96, 72, 0x00800000, Dib24(100, 100, kBlueSquare), 100, 100), "/FlateDecode",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Converter conv;
    conv.Convert({c.record}, 96, 72);
    ASSERT_EQ(conv.lists->images.size(), 1u);
    const TPDFImage& image = *conv.lists->images[0];
    EXPECT_EQ(Entry(image, "Filter"), c.filter);
    EXPECT_EQ(!Entry(image, "SMask").empty(), c.softMask);
  }
}

// A picture drawn at (10, 10), 32 x 32 pixels, under each raster operation: the colours
// (0xRRGGBB) drawn at a point of its first square and of its second, and white beside it.
struct RopCase {
  const char* name;
  uint32_t rop;
  uint32_t first, second;
};
void ExpectDrawnColours(const Dib& picture, const std::vector<RopCase>& cases, int firstX, int secondX, int y) {
  for (const RopCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto r = Draw({StretchDIBits(10, 10, 32, 32, picture, c.rop)}, 96, 72);
    EXPECT_EQ(Pixel(r, firstX, y), c.first);
    EXPECT_EQ(Pixel(r, secondX, y), c.second);
    EXPECT_EQ(Pixel(r, 60, y), 0xFFFFFFu);
  }
}

TEST(MetafileBitmaps, OneBitBitmapsKeepTheirColourTable) {
  const Dib navyOrange = Dib1(16, 16, 0x800000, 0x008CFF, [](int x, int y) { return (x / 4 + y / 4) % 2 == 1; });
  // The bitmap's square (0, 0) is entry 0 and (1, 0) entry 1, each 8 x 8 pixels on the page.
  ExpectDrawnColours(navyOrange,
                     {{"SRCCOPY", 0xCC0020, 0x000080, 0xFF8C00},
                      {"SRCAND over white", 0x8800C6, 0x000080, 0xFF8C00},
                      {"NOTSRCCOPY", 0x330008, 0xFFFF7F, 0x0073FF}},
                     14, 22, 14);
}

// A raster operation works on every pixel of a colour picture by its own truth table:
// NOTSRCCOPY draws each colour inverted, and SRCAND (source AND destination) over the page's
// white draws the colours as they are.
TEST(MetafileBitmaps, RasterOperationsWorkOnEveryPixelOfAColourPicture) {
  // Orange and blue squares of 4 pixels, 16 on the page.
  ExpectDrawnColours(Dib24(8, 8, kBlueSquare),
                     {{"NOTSRCCOPY", 0x330008, 0x003FFF, 0xFFFF00}, {"SRCAND", 0x8800C6, 0xFFC000, 0x0000FF}}, 17, 33,
                     17);
}

TEST(MetafileBitmaps, OperationsThatKeepTheDestinationDrawNothing) {
  const Dib picture = Dib24(8, 8, kBlueSquare);
  Converter conv;
  const std::string content = conv.Convert({SolidBrush(1, 0x0000FF), Select(1), StretchDIBits(0, 0, 40, 40, picture, 0xAA0029),
                                            Blit(76, 0, 0, 40, 40, 0xAA0029, picture, 0, 0)},
                                           96, 72);
  EXPECT_EQ(content, "0.001 0 0 0.001 0 0 cm\n");
  EXPECT_TRUE(conv.lists->images.empty());
  // Without a bitmap: DSTINVERT and the like need the destination, PATCOPY paints the brush.
  const auto r = Draw({SolidBrush(1, 0x0000FF), Select(1),
                       Rec(76, Bytes().Rect(0, 0, 0, 0).I32(10).I32(10).I32(30).I32(30).U32(0xF00021).I32(0).I32(0)
                                   .F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0))},
                      96, 72);
  EXPECT_EQ(CountColor(r, 11, 11, 39, 39, 0xFF0000), 28 * 28);
  // BLACKNESS paints black whatever the brush (here the white one).
  const auto black = Draw({Rec(76, Bytes().Rect(0, 0, 0, 0).I32(10).I32(10).I32(30).I32(30).U32(0x000042).I32(0)
                                       .I32(0).F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(0).U32(0).U32(0)
                                       .U32(0).U32(0))},
                          96, 72);
  EXPECT_EQ(CountColor(black, 11, 11, 39, 39, 0x000000), 28 * 28);
}

TEST(MetafileBitmaps, SetDIBitsToDeviceCopiesPixelForPixel) {
  // Two device pixels a logical unit: STRETCHDIBITS stretches to its logical size, while
  // SETDIBITSTODEVICE puts each bitmap pixel on one device pixel from the mapped point.
  const Dib picture = Dib24(16, 12, [](int, int) { return 0x0000FFu; });
  const std::vector<Record> mapping = {Rec(17, Bytes().U32(8)), Rec(9, Bytes().I32(50).I32(50)),
                                       Rec(11, Bytes().I32(100).I32(100))};
  std::vector<Record> records = mapping;
  records.push_back(SetDIBitsToDevice(5, 5, 16, 12, picture, 0, 12));
  records.push_back(StretchDIBits(25, 5, 16, 12, picture, 0xCC0020));
  const auto r = Draw(records, 96, 72);
  EXPECT_EQ(CountColor(r, 10, 10, 26, 22, 0xFF0000), 16 * 12);
  EXPECT_EQ(Pixel(r, 27, 15), 0xFFFFFFu);
  EXPECT_EQ(CountColor(r, 50, 10, 82, 34, 0xFF0000), 32 * 24);
  // A record with only some scan lines: the first two rows of a bottom-up bitmap are its
  // lowest, drawn at the bottom of the destination.
  Dib rows = picture;
  rows.bits.resize(rows.bits.size() / 6);  // 2 of 12 rows
  const auto s = Draw({SetDIBitsToDevice(10, 10, 16, 12, rows, 0, 2)}, 96, 72);
  EXPECT_EQ(CountColor(s, 10, 20, 26, 22, 0xFF0000), 16 * 2);
  EXPECT_EQ(Pixel(s, 15, 15), 0xFFFFFFu);
}

TEST(MetafileBitmaps, AlphaBlendingUsesSoftMasks) {
  // Per-pixel alpha: an opaque blue left half, a half-transparent red right half
  // (premultiplied), over green.
  const Dib halves = Dib32(8, 8, [](int x, int) { return x < 4 ? 0xFF0000FFu : 0x80800000u; });
  const std::vector<Record> background = {SolidBrush(1, 0x00FF00), Select(1), Select(kNullPen),
                                          Rec(43, Bytes().Rect(0, 0, 96, 72))};
  std::vector<Record> records = background;
  records.push_back(Blit(114, 10, 10, 40, 40, 0x01FF0000, halves, 8, 8));
  // Constant alpha alone: a red picture at half opacity.
  records.push_back(Blit(114, 60, 10, 30, 30, 0x00800000, Dib24(4, 4, [](int, int) { return 0x0000FFu; }), 4, 4));
  std::string content;
  const auto r = Draw(records, 96, 72, &content);
  EXPECT_EQ(Pixel(r, 20, 30), 0x0000FFu);
  EXPECT_TRUE(Near(Pixel(r, 40, 30), 0x807F00)) << std::hex << Pixel(r, 40, 30);
  EXPECT_TRUE(Near(Pixel(r, 75, 25), 0x807F00)) << std::hex << Pixel(r, 75, 25);
  EXPECT_EQ(Pixel(r, 5, 5), 0x00FF00u);
  // Without a bitmap a blend draws nothing (not a rectangle in the brush's colour).
  Bytes none;
  none.Rect(0, 0, 0, 0).I32(10).I32(10).I32(40).I32(40).U32(0x00FF0000).I32(0).I32(0);
  none.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0).I32(8).I32(8);
  const auto bare = Draw({SolidBrush(1, 0x0000FF), Select(1), Rec(114, none)}, 96, 72);
  EXPECT_EQ(CountColor(bare, 0, 0, 96, 72, 0xFF0000), 0);
  // A constant alpha of 0 draws nothing.
  Converter conv;
  conv.Convert({Blit(114, 0, 0, 30, 30, 0x00000000, halves, 8, 8)}, 96, 72);
  EXPECT_TRUE(conv.lists->images.empty());
}

// What the format defines beyond a plain copy: an operation that needs a source draws nothing
// without one, a source rectangle of a bottom-up bitmap counts its rows from the bottom,
// and pattern brushes keep their colours (a monochrome brush the text and background colours).
TEST(MetafileBitmaps, SourcesAndBrushesAsTheFormatDefinesThem) {
  const std::vector<Record> redBrush = {SolidBrush(1, 0x0000FF), Select(1), Select(kNullPen)};
  // SRCCOPY without a bitmap, by BITBLT and by STRETCHDIBITS.
  for (const Record& blit :
       {Rec(76, Bytes().Rect(0, 0, 0, 0).I32(10).I32(10).I32(30).I32(30).U32(0xCC0020).I32(0).I32(0).F32(1).F32(0)
                    .F32(0).F32(1).F32(0).F32(0).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0)),
        Rec(81, Bytes().Rect(0, 0, 0, 0).I32(10).I32(10).I32(0).I32(0).I32(8).I32(8).U32(0).U32(0).U32(0).U32(0)
                    .U32(0).U32(0xCC0020).I32(30).I32(30))}) {
    std::vector<Record> records = redBrush;
    records.push_back(blit);
    const auto r = Draw(records, 96, 72);
    EXPECT_EQ(CountColor(r, 0, 0, 96, 72, 0xFF0000), 0);
  }
  // The lower half of a picture blue above, red below: ySrc 0 of a bottom-up bitmap is its
  // bottom row.
  const Dib halves = Dib24(8, 8, [](int, int y) { return y < 4 ? 0xFF0000u : 0x0000FFu; });
  Bytes p;
  p.Rect(0, 0, 0, 0).I32(10).I32(10).I32(0).I32(0).I32(8).I32(4);
  p.U32(80).U32(uint32_t(halves.info.size())).U32(80 + uint32_t(halves.info.size())).U32(uint32_t(halves.bits.size()));
  p.U32(0).U32(0xCC0020).I32(40).I32(20).Raw(halves.info).Raw(halves.bits);
  const auto lower = Draw({Rec(81, p)}, 96, 72);
  EXPECT_EQ(CountColor(lower, 10, 10, 50, 30, 0xFF0000), 40 * 20);
  // A bitmap info of a version 5 header and 256 colours (1,148 bytes) is read whole: the last
  // colour of its table is there.
  Dib v5;
  {
    Bytes info;
    info.U32(124).I32(4).I32(4).U16(1).U16(8).U32(0).U32(0).U32(0).U32(0).U32(256).U32(0);
    info.Raw(std::vector<uint8_t>(124 - 40, 0));
    for (int i = 0; i < 256; ++i) info.U32(i == 255 ? 0x00FF00u : 0x000000u);
    v5.info = info.b;
    v5.bits.assign(16, 255);
  }
  const auto last = Draw({StretchDIBits(10, 10, 20, 20, v5, 0xCC0020)}, 96, 72);
  EXPECT_EQ(CountColor(last, 10, 10, 30, 30, 0x00FF00), 20 * 20);
  // Pattern brushes of 8 x 8 pixels, half set: a DIB pattern in its own colours, a monochrome
  // one in the text colour (clear bits) and the background colour (set bits).
  const Dib pattern = Dib1(8, 8, 0x0000FF, 0x00FFFF, [](int x, int) { return x >= 4; });
  auto patternBrush = [&](uint32_t type) {
    Bytes b;
    b.U32(2).U32(0).U32(32).U32(uint32_t(pattern.info.size())).U32(32 + uint32_t(pattern.info.size()))
        .U32(uint32_t(pattern.bits.size()));
    b.Raw(pattern.info).Raw(pattern.bits);
    return Rec(type, b);
  };
  struct Case {
    const char* name;
    std::vector<Record> colours;
    uint32_t type, clear, set;  // RGB of the clear and the set bits
    std::vector<Record> coloursAfter = {};  // set after the brush is made, before it paints
  } cases[] = {
      {"DIB pattern", {}, 94, 0xFF0000, 0xFFFF00},
      {"monochrome", {Rec(24, Bytes().U32(0xFF0000)), Rec(25, Bytes().U32(0x00FF00))}, 93, 0x0000FF, 0x00FF00},
      // The brush takes the colours in force when it paints, not when it was made.
      {"monochrome coloured after it was made",
       {Rec(24, Bytes().U32(0x00FF00)), Rec(25, Bytes().U32(0xFF0000))}, 93, 0xFF0000, 0x0000FF,
       {Rec(24, Bytes().U32(0x0000FF)), Rec(25, Bytes().U32(0xFF0000))}},
      // A DIB pattern of one bit keeps its own colours whatever the text colour.
      {"DIB pattern under other colours", {}, 94, 0xFF0000, 0xFFFF00,
       {Rec(24, Bytes().U32(0x00FF00)), Rec(25, Bytes().U32(0x000000))}},
  };
  // A pattern brush without a readable picture is no brush: selecting it keeps the red one.
  const auto kept = Draw({SolidBrush(1, 0x0000FF), Select(1), Select(kNullPen),
                          Rec(94, Bytes().U32(2).U32(0).U32(0).U32(0).U32(0).U32(0)), Select(2),
                          Rec(43, Bytes().Rect(10, 10, 50, 50))},
                         96, 72);
  EXPECT_EQ(CountColor(kept, 11, 11, 49, 49, 0xFF0000), 38 * 38);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Through the application's road: the tiles are sized in the form the picture becomes.
    std::string file;
    std::vector<Record> records = {Header(96, 72)};
    records.insert(records.end(), c.colours.begin(), c.colours.end());
    records.push_back(patternBrush(c.type));
    records.insert(records.end(), c.coloursAfter.begin(), c.coloursAfter.end());
    for (const Record& r : {Select(2), Select(kNullPen), Rec(43, Bytes().Rect(0, 0, 96, 72)),
                            Rec(14, Bytes().U32(0).U32(16).U32(20))})
      records.push_back(r);
    for (const Record& r : records) file.append(r.begin(), r.end());
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.File("brush.emf"), file);
    std::string message;
    const auto r = RenderThroughApi(dir.File("brush.emf"), 96, 0, &message);
    ASSERT_EQ(r.Width, 96) << message;
    EXPECT_GT(CountColor(r, 0, 0, 96, 72, c.clear), 96 * 72 / 3);
    EXPECT_GT(CountColor(r, 0, 0, 96, 72, c.set), 96 * 72 / 3);
  }
}

// MASKBLT and PLGBLT blend their source through a mask as the format defines: where a MASKBLT
// mask is clear the operation of the code's high byte applies (here PATCOPY, the blue brush),
// and a PLGBLT draws onto any parallelogram, a quarter turn included.
TEST(MetafileBitmaps, MaskedAndParallelogramBlits) {
  const Dib red = Dib24(40, 40, [](int, int) { return 0x0000FFu; });
  const Dib leftHalf = Dib1(40, 40, 0x000000, 0xFFFFFF, [](int x, int) { return x < 20; });
  Bytes m;
  m.Rect(0, 0, 0, 0).I32(10).I32(10).I32(40).I32(40).U32(0xF0CC0020).I32(0).I32(0);
  m.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0xFFFFFF).U32(0);
  const uint32_t srcAt = 128, maskAt = srcAt + uint32_t(red.info.size() + red.bits.size());
  m.U32(srcAt).U32(uint32_t(red.info.size())).U32(srcAt + uint32_t(red.info.size())).U32(uint32_t(red.bits.size()));
  m.I32(0).I32(0).U32(0).U32(maskAt).U32(uint32_t(leftHalf.info.size()));
  m.U32(maskAt + uint32_t(leftHalf.info.size())).U32(uint32_t(leftHalf.bits.size()));
  m.Raw(red.info).Raw(red.bits).Raw(leftHalf.info).Raw(leftHalf.bits);
  const auto masked = Draw({SolidBrush(1, 0xFF0000), Select(1), Rec(78, m)}, 96, 72);
  EXPECT_EQ(CountColor(masked, 11, 11, 29, 49, 0xFF0000), 18 * 38);  // set: the source
  EXPECT_EQ(CountColor(masked, 31, 11, 49, 49, 0x0000FF), 18 * 38);  // clear: the brush

  // Left half red, right half blue, turned a quarter clockwise: its top row runs down the
  // page from (60, 10), its left column leftwards.
  const Dib halves = Dib24(30, 30, [](int x, int) { return x < 15 ? 0x0000FFu : 0xFF0000u; });
  Bytes p;
  p.Rect(0, 0, 0, 0).Pt(60, 10).Pt(60, 40).Pt(30, 10).I32(0).I32(0).I32(30).I32(30);
  p.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(0);
  p.U32(140).U32(uint32_t(halves.info.size())).U32(140 + uint32_t(halves.info.size()))
      .U32(uint32_t(halves.bits.size()));
  p.I32(0).I32(0).U32(0).U32(0).U32(0).U32(0).U32(0).Raw(halves.info).Raw(halves.bits);
  const auto turned = Draw({Rec(79, p)}, 96, 72);
  EXPECT_EQ(CountColor(turned, 32, 11, 59, 24, 0xFF0000), 27 * 13);
  EXPECT_EQ(CountColor(turned, 32, 26, 59, 39, 0x0000FF), 27 * 13);
  EXPECT_EQ(Pixel(turned, 45, 45), 0xFFFFFFu);
  // A bitmap turns with the world transform (x' = 80 - y, y' = x): its left half lands above
  // its right half.
  const auto world = Draw({Rec(35, Bytes().F32(0).F32(1).F32(-1).F32(0).F32(80).F32(0)),
                           StretchDIBits(10, 10, 30, 20, halves, 0xCC0020)},
                          96, 72);
  EXPECT_EQ(CountColor(world, 51, 11, 69, 24, 0xFF0000), 18 * 13);
  EXPECT_EQ(CountColor(world, 51, 26, 69, 39, 0x0000FF), 18 * 13);
}

}  // namespace
