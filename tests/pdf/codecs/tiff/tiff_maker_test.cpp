// The one-strip fax TIFF writer: its layout, and libtiff reading what it wrote.
#include "pdf/codecs/tiff/tiff_maker.h"

#include <gtest/gtest.h>

#include "pdf/codecs/tiff/tiff_reader.h"
#include "tests/pdf/image_support/raster_sets.h"
#include "tests/pdf/image_support/tiff_build.h"

namespace {

std::string Save(TPDFTIFFMaker& m) {
  TMemoryStream s;
  m.SaveToStream(s);
  return s.DataString();
}

uint32_t LE(const std::string& s, size_t at, int n) {
  uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | uint8_t(s[at + size_t(i)]);
  return v;
}

}  // namespace

// A Group 4 strip of 1,000 bytes for a 1728 x 2200 page: strip at 128, resolutions at 1,152
// and 1,160, the directory at 1,216 with 14 entries, 1,390 bytes in all.
TEST(TIFFMaker, LayoutOfAGroup4Page) {
  TPDFTIFFMaker m;
  EXPECT_EQ(m.ResolutionX, 96u);
  EXPECT_FALSE(m.T4ByteAligned);
  m.Data = std::string(1000, 'x');
  m.Width = 1728;
  m.Height = 2200;
  m.Compression = kTIFFGroup4;
  const std::string f = Save(m);
  ASSERT_EQ(f.size(), 1390u);
  EXPECT_EQ(f.substr(0, 4), std::string("II*\0", 4));
  EXPECT_EQ(LE(f, 4, 4), 1216u);
  EXPECT_EQ(f.substr(8, 120), std::string(120, '\0'));
  EXPECT_EQ(f.substr(128, 1000), m.Data);
  EXPECT_EQ(LE(f, 1152, 4), 96u);
  EXPECT_EQ(LE(f, 1156, 4), 1u);
  EXPECT_EQ(LE(f, 1160, 4), 96u);
  EXPECT_EQ(LE(f, 1216, 2), 14u);
  const uint16_t tags[14] = {256, 257, 258, 259, 262, 266, 273, 277, 278, 279, 282, 283, 293, 296};
  for (int i = 0; i < 14; ++i) EXPECT_EQ(LE(f, 1218 + 12 * size_t(i), 2), tags[i]) << i;
  EXPECT_EQ(LE(f, 1218 + 12 * 3 + 8, 2), 4u);        // compression 4
  EXPECT_EQ(LE(f, 1218 + 12 * 10 + 8, 4), 1152u);    // X resolution pair
  EXPECT_EQ(LE(f, 1218 + 12 * 14, 4), 0u);           // no next directory
  // Our own reader reads it back.
  TPDFTIFF t;
  t.ParseDirectory(f, -1);
  ASSERT_EQ(t.PageCount, 1);
  EXPECT_EQ(t.Pages[0].Width, 1728u);
  EXPECT_EQ(t.Pages[0].Compression, kTIFFGroup4);
  EXPECT_EQ(t.Pages[0].ResolutionX, 96u);
  EXPECT_EQ(t.Pages[0].Strips.at(0), m.Data);
}

// Without resolutions no pairs and no tags 282, 283 and 296; code 2 writes no tag 259; Group 3
// writes its options.
TEST(TIFFMaker, OptionalTags) {
  auto tagsOf = [](const std::string& f) {
    std::vector<uint32_t> tags;
    const uint32_t dir = LE(f, 4, 4);
    for (uint32_t i = 0; i < LE(f, dir, 2); ++i) tags.push_back(LE(f, dir + 2 + 12 * i, 2));
    return tags;
  };
  TPDFTIFFMaker m;
  m.Data = "abc";
  m.Width = 8;
  m.Height = 1;
  m.Compression = kTIFFNone;
  m.ResolutionX = 0;
  const std::string f = Save(m);
  EXPECT_EQ(tagsOf(f), (std::vector<uint32_t>{256, 257, 258, 262, 266, 273, 277, 278, 279}));
  EXPECT_EQ(LE(f, 4, 4), 192u);  // 131 -> 160, + 32 -> 192
  m.Compression = kTIFFGroup3TwoD;
  m.T4ByteAligned = true;
  m.MinIsBlack = true;
  m.ResolutionX = 200;
  m.ResolutionY = 100;
  const std::string g = Save(m);
  EXPECT_EQ(tagsOf(g), (std::vector<uint32_t>{256, 257, 258, 259, 262, 266, 273, 277, 278, 279, 282, 283, 292, 296}));
  TPDFTIFF t;
  t.ParseDirectory(g, -1);
  ASSERT_EQ(t.PageCount, 1);
  EXPECT_EQ(t.Pages[0].Compression, kTIFFGroup3TwoD);
  EXPECT_TRUE(t.Pages[0].T4ByteAligned);
  EXPECT_TRUE(t.Pages[0].MinIsBlack);
  EXPECT_EQ(t.Pages[0].ResolutionY, 100u);
  m.Compression = kTIFFLZW;
  TPDFTIFF l;
  l.ParseDirectory(Save(m), -1);
  EXPECT_EQ(l.Pages.at(0).Compression, kTIFFLZW);
  std::string row;
  TIFFBlankRow(17, row);
  EXPECT_EQ(row, std::string(3, '\xFF'));
  TIFFBlankRow(16, row);
  EXPECT_EQ(row.size(), 3u);
}

// libtiff reads the files the maker writes around fax strips that libtiff wrote.
TEST(TIFFMaker, LibtiffReadsTheWrappedStrips) {
  REQUIRE_RASTER_TOOLS();
  const auto& set = rastertest::RasterSet::Get("tiff");
  ASSERT_TRUE(set.ok()) << set.error();
  testsupport::TempDir dir;
  for (const char* name : {"bwwhite_g4", "bwwhite_g3", "bwwhite_g3_2d", "bwwhite_g3_fill", "bw_g4"}) {
    SCOPED_TRACE(name);
    TPDFTIFF source;
    source.ParseDirectory(set.Read(std::string(name) + ".tif"), -1);
    const TPDFTIFFPage& p = source.Pages.at(0);
    ASSERT_EQ(p.Strips.size(), 1u);
    TPDFTIFFMaker m;
    m.Data = p.Strips[0];
    m.Width = p.Width;
    m.Height = p.Height;
    m.Compression = p.Compression;
    m.T4ByteAligned = p.T4ByteAligned;
    m.MinIsBlack = p.MinIsBlack;
    const std::string path = dir.File("made.tif");
    testsupport::WriteFile(path, Save(m));
    // The same picture as libtiff decodes from the original file.
    std::string made, original;
    ASSERT_EQ(testsupport::Run("tifftopnm " + path + " 2>/dev/null", &made), 0);
    ASSERT_EQ(testsupport::Run("tifftopnm " + set.Path(name + std::string(".tif")) + " 2>/dev/null", &original), 0);
    EXPECT_FALSE(made.empty());
    EXPECT_TRUE(made == original);
  }
}
