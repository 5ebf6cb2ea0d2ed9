#include "pdf/codecs/png/png_reader.h"

#include <gtest/gtest.h>

#include <cstring>

#include "pdf/codecs/png/png_image_data.h"

#include "pdf/codecs/png/png_common.h"
#include "pdf/core/filters/flate.h"
#include "tests/pdf/image_support/image_cases.h"
#include "tests/pdf/image_support/png_build.h"
#include "tests/support/test_support.h"

using imagetest::ImageSet;

namespace {

// The colour samples the reader hands on, without zlib, predictor or filter bytes.
std::string Samples(const TPNGReader& r) {
  if (!r.PassThrough) return FlateDecompressString(r.ImageData);
  const int colors = r.ColorType == 2 ? 3 : 1;
  return FlatePredictorDecode(r.ImageData, {15, colors, int(r.BitDepth), int(r.Width)});
}

std::string MostSignificantBytes(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); i += 2) out += s[i];
  return out;
}

TPNGReader Read(const std::string& bytes, bool reduceImage = false, bool reduceAlpha = false) {
  TMemoryStream stream(bytes);
  TPNGReader r;
  r.Reduce16BitImage = reduceImage;
  r.Reduce16BitAlpha = reduceAlpha;
  r.ReadChunks(stream);
  return r;
}

// Every file Pillow and ImageMagick wrote decodes to what Pillow (or the 16-bit source) holds.
TEST(PNGReader, DecodesEveryKindLikeTheOracle) {
  REQUIRE_IMAGE_TOOLS();
  const ImageSet& set = ImageSet::Get("png");
  ASSERT_TRUE(set.ok()) << set.error();
  for (const auto& c : set.Cases()) {
    SCOPED_TRACE(c.name);
    const TPNGReader r = Read(set.Read(c.Get("file")));
    EXPECT_EQ(r.Width, uint32_t(c.Int("width")));
    EXPECT_EQ(r.Height, uint32_t(c.Int("height")));
    EXPECT_EQ(r.BitDepth, uint32_t(c.Int("depth")));
    EXPECT_EQ(r.ColorType, c.Int("colortype"));
    const bool alpha = r.ColorType == 4 || r.ColorType == 6;
    EXPECT_EQ(r.PassThrough, !alpha && c.Int("interlace") == 0);
    EXPECT_EQ(r.ImageBitsPerComponent, r.BitDepth);
    EXPECT_TRUE(Samples(r) == set.Read(c.name + ".colour"));
    EXPECT_TRUE(FlateDecompressString(r.AlphaData) == set.Read(c.name + ".alpha"));
    if (r.ColorType == 3) {
      EXPECT_GT(r.PaletteCount, 0u);
      EXPECT_EQ(r.Palette.size(), r.PaletteCount * 3);
    }
  }
}

TEST(PNGReader, PassThroughKeepsTheIDATDataByteForByte) {
  REQUIRE_IMAGE_TOOLS();
  const ImageSet& set = ImageSet::Get("png");
  ASSERT_TRUE(set.ok()) << set.error();
  const std::string file = set.Read("rgb8.png");
  const TPNGReader r = Read(file);
  ASSERT_TRUE(r.PassThrough);
  EXPECT_TRUE(r.ImageData == pngtest::JoinedIDAT(file));
  EXPECT_TRUE(r.AlphaData.empty());
}

TEST(PNGReader, SixteenBitReductionKeepsTheHighBytes) {
  REQUIRE_IMAGE_TOOLS();
  const ImageSet& set = ImageSet::Get("png");
  ASSERT_TRUE(set.ok()) << set.error();
  for (const char* name : {"c0_16", "c2_16", "c4_16", "c6_16", "c6_16_il"}) {
    SCOPED_TRACE(name);
    const auto& c = set.Case(name);
    const TPNGReader r = Read(set.Read(c.Get("file")), true, true);
    EXPECT_FALSE(r.PassThrough);
    EXPECT_EQ(r.ImageBitsPerComponent, 8u);
    EXPECT_TRUE(FlateDecompressString(r.ImageData) == MostSignificantBytes(set.Read(c.name + ".colour")));
    const std::string alpha = set.Read(c.name + ".alpha");
    EXPECT_TRUE(FlateDecompressString(r.AlphaData) == MostSignificantBytes(alpha));
    if (!alpha.empty()) { EXPECT_EQ(r.AlphaBitsPerComponent, 8u); }
    // Only the alpha channel reduced: the colour stays 16 bits.
    const TPNGReader a = Read(set.Read(c.Get("file")), false, true);
    if (c.Int("colortype") >= 4) {
      EXPECT_EQ(a.ImageBitsPerComponent, 16u);
      EXPECT_EQ(a.AlphaBitsPerComponent, 8u);
    }
  }
}

TEST(PNGReader, HeaderOnlyFindsThePaletteWithoutCollectingData) {
  REQUIRE_IMAGE_TOOLS();
  const ImageSet& set = ImageSet::Get("png");
  ASSERT_TRUE(set.ok()) << set.error();
  const std::string file = set.Read("pal4.png");
  TMemoryStream stream(file);
  TPNGReader r;
  r.HeaderOnly = true;
  r.ReadChunks(stream);
  EXPECT_TRUE(r.IDATData.empty());
  EXPECT_TRUE(r.ImageData.empty());
  ASSERT_GT(r.PalettePosition, 0);
  EXPECT_EQ(file.compare(size_t(r.PalettePosition), r.Palette.size(), r.Palette), 0);
  EXPECT_EQ(file.substr(size_t(r.PalettePosition) - 4, 4), "PLTE");
  EXPECT_EQ(file.substr(size_t(r.FirstIDATPosition) + 4, 4), "IDAT");
}

using pngtest::Chunk;
using pngtest::IHDR;
using pngtest::MakePNG;

TEST(PNGReader, Resolution) {
  struct {
    uint32_t x, y;
    uint8_t unit;
    uint32_t rx, ry;
  } cases[] = {{3780, 3780, 1, 96, 96}, {2, 3, 0, 96, 144}, {0, 5, 1, 96, 96}, {11811, 5906, 1, 299, 150},
               {0xFFFFFFFF, 0xFFFFFFFF, 1, 109092169, 109092169}, {1, 0xFFFFFFFF, 0, 96, 0x7FFFFFFF}};
  for (const auto& t : cases) {
    const std::string phys = pngtest::BE32(t.x) + pngtest::BE32(t.y) + char(t.unit);
    const TPNGReader r = Read(MakePNG({Chunk("IHDR", IHDR(1, 1, 8, 0)), Chunk("pHYs", phys),
                                       Chunk("IDAT", FlateCompressString(std::string("\0\0", 2))), Chunk("IEND", "")}));
    EXPECT_EQ(r.ResolutionX, t.rx) << t.x << " " << t.y;
    EXPECT_EQ(r.ResolutionY, t.ry);
  }
  // A pHYs chunk too short to hold its values leaves 96 dpi.
  const TPNGReader r = Read(MakePNG({Chunk("IHDR", IHDR(1, 1, 8, 0)), Chunk("pHYs", "abc")}));
  EXPECT_EQ(r.ResolutionX, 96u);
  EXPECT_EQ(r.ResolutionY, 96u);
}

TEST(PNGReader, ICCProfileLosesNameSeparatorAndMethod) {
  const std::string profile = FlateCompressString("profile bytes");
  struct {
    std::string data;
    std::string expected;
  } cases[] = {
      {std::string("sRGB\0\0", 6) + profile, profile},
      {std::string("\0\0", 2) + profile, profile},                      // empty name
      {std::string("name\0\1", 6) + profile, ""},                       // unknown method
      {"no terminator at all", ""},                                     //
      {std::string(80, 'n') + std::string("\0\0", 2) + profile, ""},    // name too long
  };
  for (const auto& t : cases) {
    const TPNGReader r = Read(MakePNG({Chunk("IHDR", IHDR(1, 1, 8, 0)), Chunk("iCCP", t.data)}));
    EXPECT_TRUE(r.ICCProfile == t.expected) << t.data.substr(0, 8);
  }
}

TEST(PNGReader, IndexedColorSpaceText) {
  const TPNGReader r = Read(MakePNG({Chunk("IHDR", IHDR(1, 1, 8, 3)), Chunk("PLTE", std::string("\x00\x10\xFF\xAB\xCD\xEF\x01", 7))}));
  EXPECT_EQ(r.PaletteCount, 2u);
  std::string text;
  r.GetIndexedColorSpace(text);
  EXPECT_EQ(text, "/DeviceRGB 1<0010FFABCDEF>");
}

TEST(PNGReader, MissingRowsComeOutWhite) {
  // Three rows of an 8-bit grey image, the data holding only the first.
  const std::string rows = std::string("\0\x11\x22", 3);
  const TPNGReader r = Read(MakePNG({Chunk("IHDR", IHDR(2, 3, 8, 0, 1)), Chunk("IDAT", FlateCompressString(rows))}));
  // Interlaced: nothing passes through, every missing row of every pass is white.
  ASSERT_FALSE(r.PassThrough);
  const std::string s = FlateDecompressString(r.ImageData);
  ASSERT_EQ(s.size(), 6u);
  EXPECT_EQ(uint8_t(s[0]), 0x11);  // pass 1 row 0 takes the one row there is
  for (size_t i = 1; i < 6; ++i) EXPECT_EQ(uint8_t(s[i]), 0xFF) << i;
}

// Headers that do not describe a valid image size nothing and decode nothing.
TEST(PNGReader, InvalidHeadersAreRefusedBeforeAnythingIsSized) {
  const std::string idat = Chunk("IDAT", FlateCompressString(std::string(64, '\0')));
  struct {
    const char* why;
    std::string ihdr;
  } cases[] = {
      {"zero width", IHDR(0, 4, 8, 0)},
      {"zero height", IHDR(4, 0, 8, 0)},
      {"width above 2^31-1", IHDR(0x80000000u, 1, 8, 0)},
      {"over 2^28 pixels", IHDR(65536, 8192, 8, 0)},
      {"RGB at 4 bits", IHDR(4, 4, 4, 2)},
      {"palette at 16 bits", IHDR(4, 4, 16, 3)},
      {"grey at 3 bits", IHDR(4, 4, 3, 0)},
      {"colour type 5", IHDR(4, 4, 8, 5)},
      {"alpha at 1 bit", IHDR(4, 4, 1, 6)},
      {"compression 1", IHDR(4, 4, 8, 0, 0, 1)},
      {"filter method 1", IHDR(4, 4, 8, 0, 0, 0, 1)},
      {"interlace 2", IHDR(4, 4, 8, 0, 2)},
      {"short IHDR", IHDR(4, 4, 8, 0).substr(0, 12)},
  };
  for (const auto& t : cases) {
    const TPNGReader r = Read(MakePNG({Chunk("IHDR", t.ihdr), idat, Chunk("IEND", "")}));
    EXPECT_FALSE(r.HeaderValid()) << t.why;
    EXPECT_TRUE(r.ImageData.empty()) << t.why;
    EXPECT_TRUE(r.IDATData.empty()) << t.why;
  }
}

TEST(PNGReader, ChunkLengthsAreCheckedAgainstTheData) {
  const std::string good = MakePNG({Chunk("IHDR", IHDR(4, 1, 8, 0)),
                                    Chunk("IDAT", FlateCompressString(std::string("\0abcd", 5))), Chunk("IEND", "")});
  // An unknown chunk claiming more than the file holds ends the reading before the image data.
  std::string lying = MakePNG({Chunk("IHDR", IHDR(4, 1, 8, 0))}) + pngtest::BE32(0x7FFFFFF0) + "zzZz";
  lying += good.substr(33);
  EXPECT_TRUE(Read(lying).ImageData.empty());
  // A length beyond what PNG allows ends it too.
  std::string huge = MakePNG({Chunk("IHDR", IHDR(4, 1, 8, 0))}) + pngtest::BE32(0x80000000u) + "IDAT";
  EXPECT_TRUE(Read(huge).IDATData.empty());
  // A cut IDAT keeps what is there and stops.
  const TPNGReader cut = Read(good.substr(0, good.size() - 20));
  EXPECT_TRUE(cut.HeaderValid());
  EXPECT_TRUE(cut.ImageData == pngtest::JoinedIDAT(good).substr(0, cut.ImageData.size()));
  EXPECT_FALSE(cut.ImageData.empty());
  // The first chunk must be the header.
  EXPECT_EQ(Read(MakePNG({Chunk("gAMA", "abcd"), Chunk("IHDR", IHDR(4, 1, 8, 0))})).Width, 0u);
  // A second header cannot change the size after the first.
  const TPNGReader twice = Read(MakePNG({Chunk("IHDR", IHDR(4, 1, 8, 0)), Chunk("IHDR", IHDR(4000, 4000, 8, 0))}));
  EXPECT_EQ(twice.Width, 4u);
  // A palette holds at most the 256 entries an 8-bit index can name.
  const TPNGReader palette = Read(MakePNG({Chunk("IHDR", IHDR(4, 1, 8, 3)), Chunk("PLTE", std::string(300 * 3, 'p')),
                                           Chunk("IEND", "")}));
  EXPECT_EQ(palette.PaletteCount, 256u);
  EXPECT_EQ(palette.Palette.size(), 768u);
}

// Image data split over many chunks (empty ones, others between them, the last one cut) are
// joined in order, in room no larger than the file.
TEST(PNGReader, ImageDataOfManyChunksAreJoined) {
  std::string samples;
  for (int y = 0; y < 40; ++y) samples += '\0' + std::string(size_t(30), char(y * 5));
  const std::string z = FlateCompressString(samples);
  ASSERT_GT(z.size(), 20u);
  std::vector<std::string> chunks = {Chunk("IHDR", IHDR(10, 40, 8, 2))};
  size_t at = 0;
  for (size_t n : {size_t(0), size_t(1), size_t(7), size_t(0)}) {
    chunks.push_back(Chunk("IDAT", z.substr(at, n)));
    at += n;
    chunks.push_back(Chunk("tEXt", "k\0v"));
  }
  chunks.push_back(Chunk("IDAT", z.substr(at)));
  chunks.push_back(Chunk("IEND", ""));
  std::string file = MakePNG({});
  for (const std::string& c : chunks) file += c;
  const TPNGReader whole = Read(file);
  EXPECT_TRUE(whole.ImageData == z);
  EXPECT_LE(whole.ImageData.capacity(), file.size());
  std::string rows;
  for (int y = 0; y < 40; ++y) rows += std::string(size_t(30), char(y * 5));
  EXPECT_TRUE(Samples(whole) == rows);
  // Cut inside the last chunk: what is there, then the reading stops.
  const size_t lastData = file.size() - 12 - 4 - (z.size() - at);
  const TPNGReader cut = Read(file.substr(0, lastData + 5));
  EXPECT_TRUE(cut.IDATData == z.substr(0, at + 5) || cut.ImageData == z.substr(0, at + 5));
  // A file past the size read whole keeps its image data where they lie: the rows made from
  // them there are those of the data joined, whole or cut.
  for (const std::string& bytes : {file, file.substr(0, lastData + 5)}) {
    TPNGReader inFile;
    inFile.DeferSamples = true;
    inFile.HeldFileBytes = 0;
    inFile.File = MemoryBytes(bytes);
    TMemoryStream stream(bytes);
    inFile.ReadChunks(stream);
    ASSERT_TRUE(inFile.ImageDataInFile && inFile.SamplesDeferred);
    EXPECT_TRUE(inFile.IDATData.empty());
    const std::string joined = bytes.size() == file.size() ? z : z.substr(0, at + 5);
    EXPECT_EQ(inFile.IDATBytes, int64_t(joined.size()));
    const auto there = TPNGImageData(inFile.File, inFile.FirstIDATPosition, inFile.IDATBytes).Rows(inFile.Format());
    TPNGRows held(inFile.Format(), joined);
    for (int y = 0; y < 40; ++y) {
      there->Next();
      held.Next();
      ASSERT_EQ(std::memcmp(there->Colour(), held.Colour(), 30), 0) << "row " << y;
    }
  }
}

TEST(PNGReader, DataThatCannotFillTheImageIsNotInflatedIntoAHugeBuffer) {
  // 16384 x 16384 RGBA at 16 bits (2 GiB of samples) from a few bytes of deflate data.
  const std::string png = MakePNG({Chunk("IHDR", IHDR(16384, 16384, 16, 6)),
                                   Chunk("IDAT", FlateCompressString(std::string(1000, '\0'))), Chunk("IEND", "")});
  const TPNGReader r = Read(png);
  EXPECT_TRUE(r.HeaderValid());
  EXPECT_TRUE(r.ImageData.empty());
  EXPECT_TRUE(r.AlphaData.empty());
}

// A picture whose image data could never fill it is refused even where the data would be
// handed on unchanged (a palette image passes through): a few hundred bytes of deflate data do
// not make tens of megabytes of rows. Data that can fill it are taken, whole or cut short.
TEST(PNGReader, APictureItsDataCannotFillIsRefusedAlsoWhenPassingThrough) {
  const TPNGReader lying = Read(testsupport::ReadFile(testsupport::DataPath("hostile/png-wide-palette.png")));
  EXPECT_TRUE(lying.HeaderValid());
  EXPECT_EQ(uint64_t(lying.Width) * lying.Height, 32u * 8323104u);
  EXPECT_EQ(lying.ColorType, 3);
  EXPECT_TRUE(lying.ImageData.empty());

  // 3,000,000 x 4 palette indexes (12 MB of rows, a block of 251 indexes over and over) deflate
  // to about 150 KB: taken as they are, and so is the same stream cut to a third (the missing
  // rows are the reader's to fill).
  std::string rows;
  uint32_t seed = 1;
  for (int y = 0; y < 4; ++y) {
    std::string block;
    for (int i = 0; i < 251; ++i) block += char((seed = seed * 1103515245u + 12345u) >> 24);
    rows += '\0';
    while (rows.size() % 3000001 != 0) rows += block.substr(0, std::min<size_t>(251, 3000001 - rows.size() % 3000001));
  }
  ASSERT_EQ(rows.size(), 4u * 3000001u);
  const std::string z = FlateCompressString(rows);
  auto palettePNG = [](const std::string& idat) {
    return MakePNG({Chunk("IHDR", IHDR(3000000, 4, 8, 3)), Chunk("PLTE", std::string(12, '\x40')),
                    Chunk("IDAT", idat), Chunk("IEND", "")});
  };
  const TPNGReader honest = Read(palettePNG(z));
  EXPECT_TRUE(honest.PassThrough);
  EXPECT_TRUE(honest.ImageData == z);
  EXPECT_FALSE(Read(palettePNG(z.substr(0, z.size() / 3))).ImageData.empty());
  // The first hundred bytes of it can never make 12 MB: refused, passing through or decoded.
  EXPECT_TRUE(Read(palettePNG(z.substr(0, 100))).ImageData.empty());
  const std::string interlaced = MakePNG({Chunk("IHDR", IHDR(3000000, 4, 8, 3, 1)), Chunk("PLTE", std::string(12, '\x40')),
                                          Chunk("IDAT", z.substr(0, 100)), Chunk("IEND", "")});
  EXPECT_TRUE(Read(interlaced).ImageData.empty());
}

TEST(PNGReader, WrongSignatureReadsNothing) {
  std::string png = MakePNG({Chunk("IHDR", IHDR(1, 1, 8, 0))});
  png[1] = 'Q';
  EXPECT_EQ(Read(png).Width, 0u);
  EXPECT_EQ(Read("").Width, 0u);
}

TEST(PNGReader, CRC) {
  EXPECT_EQ(PNGCRC32(""), 0u);
  EXPECT_EQ(PNGCRC32("123456789"), 0xCBF43926u);  // the CRC-32 check value
  EXPECT_EQ(PNGCRC32("IEND"), 0xAE426082u);        // as every PNG file ends
  EXPECT_EQ(PNGCRC32Update(PNGCRC32("1234"), "56789"), 0xCBF43926u);
}

}  // namespace
