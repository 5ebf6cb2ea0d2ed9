// The TrueType parser on small fonts made byte by byte: accepted versions, loca formats, post
// name versions, cmap formats, metrics, rebasing, and the reading of simple and composite
// glyphs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf/fonts/formats/truetype/truetype_parser.h"
#include "platform/rtl/streams.h"
#include "tests/pdf/fonts/sfnt_builder.h"

using namespace sfnttest;

namespace {

std::string Square(int size = 100) {
  return SimpleGlyph({{{0, 0}, {size, 0}, {size, size}, {0, size}}});
}

TPDFTrueTypeParser& Load(TPDFTrueTypeParser& p, const std::string& data) {
  p.LoadFromString(data);
  return p;
}

}  // namespace

TEST(TrueTypeParser, AcceptedVersions) {
  const struct {
    uint32_t version;
    bool accepted;
  } cases[] = {{0x00010000, true}, {0x74727565, true}, {0x74797031, true}, {0x4F54544F, true},
               {0x00020000, false}, {0x74746366, false}, {0, false}};
  for (const auto& c : cases) {
    Builder b;
    b.Add("maxp", Maxp(7));
    TPDFTrueTypeParser p;
    Load(p, b.Build(c.version));
    EXPECT_EQ(p.Loaded(), c.accepted) << std::hex << c.version;
    EXPECT_EQ(p.GlyphCount(), c.accepted ? 7 : 0) << std::hex << c.version;
  }
  TPDFTrueTypeParser p;
  Load(p, "");
  EXPECT_FALSE(p.Loaded());
  Load(p, "\x00\x01");
  EXPECT_FALSE(p.Loaded());
}

TEST(TrueTypeParser, StreamAndStringReadTheSame) {
  const std::string font = Font({"", Square()}, "", Post(0x00010000));
  TMemoryStream stream;
  stream.WriteBuffer(font.data(), int64_t(font.size()));
  stream.SetPosition(5);  // read from the start whatever the position
  TPDFTrueTypeParser a, b;
  a.LoadFromStream(stream);
  b.LoadFromString(font);
  ASSERT_TRUE(a.Loaded());
  EXPECT_EQ(a.GlyphCount(), b.GlyphCount());
  EXPECT_EQ(a.GetGlyph(1).Points.size(), 4u);
  EXPECT_EQ(a.Loca(), b.Loca());
  TMemoryStream empty;
  a.LoadFromStream(empty);
  EXPECT_FALSE(a.Loaded());
  EXPECT_EQ(a.GlyphCount(), 0);
}

TEST(TrueTypeParser, HeaderOnlyReadsDirectory) {
  TPDFTrueTypeParser p;
  p.HeaderOnly = true;
  Load(p, Font({"", Square()}, "", ""));
  EXPECT_TRUE(p.Loaded());
  EXPECT_EQ(p.NumTables(), 6);
  EXPECT_EQ(p.Tables().size(), 6u);
  EXPECT_EQ(p.GlyphCount(), 0);
  EXPECT_EQ(p.GetHead().UnitsPerEm, 2048);
}

TEST(TrueTypeParser, HeadFields) {
  TPDFTrueTypeParser p;
  Load(p, Font({Square()}, "", "", 2000));
  const TTrueTypeHead& h = p.GetHead();
  EXPECT_EQ(h.Version, 1.0);
  EXPECT_EQ(h.FontRevision, 1.5);
  EXPECT_EQ(h.Flags, 11);
  EXPECT_EQ(h.UnitsPerEm, 2000);
  EXPECT_EQ(h.Created, 100u);
  EXPECT_EQ(h.Modified, 200u);
  EXPECT_EQ(h.XMin, -10);
  EXPECT_EQ(h.YMin, -20);
  EXPECT_EQ(h.XMax, 900);
  EXPECT_EQ(h.YMax, 800);
  EXPECT_EQ(h.IndexToLocFormat, 1);
}

TEST(TrueTypeParser, LocaFormats) {
  for (const int format : {0, 1}) {
    std::string glyf, loca;
    GlyfAndLoca({"", Square(), Square(50)}, format, glyf, loca);
    Builder b;
    b.Add("head", Head(1000, format));
    b.Add("maxp", Maxp(3));
    b.Add("loca", loca);
    b.Add("glyf", glyf);
    TPDFTrueTypeParser p;
    Load(p, b.Build());
    const uint32_t len = uint32_t(Square().size());
    EXPECT_EQ(p.Loca(), (std::vector<uint32_t>{0, 0, len, 2 * len})) << format;
    EXPECT_EQ(p.GetGlyph(2).XMax, 50) << format;
  }
  // A long offset above 0xFFFFFF reads as 0; an unknown format gives zeros.
  Builder b;
  b.Add("head", Head(1000, 1));
  b.Add("maxp", Maxp(2));
  b.Add("loca", BE32(0) + BE32(0x01000000) + BE32(4));
  TPDFTrueTypeParser p;
  Load(p, b.Build());
  EXPECT_EQ(p.Loca(), (std::vector<uint32_t>{0, 0, 4}));
  Builder odd;
  odd.Add("head", Head(1000, 7));
  odd.Add("maxp", Maxp(1));
  odd.Add("loca", BE32(0) + BE32(40));
  Load(p, odd.Build());
  EXPECT_EQ(p.Loca(), (std::vector<uint32_t>{0, 0}));
  // The byte-swapped long format (256) counts as long.
  Builder swapped;
  swapped.Add("head", Head(1000, 256));
  swapped.Add("maxp", Maxp(1));
  swapped.Add("loca", BE32(0) + BE32(40));
  Load(p, swapped.Build());
  EXPECT_EQ(p.Loca(), (std::vector<uint32_t>{0, 40}));
}

TEST(TrueTypeParser, PostNames) {
  TPDFTrueTypeParser p;
  Load(p, Font({"", "", "", Square()}, "", Post20({".notdef", "foo", "A", "bar"})));
  EXPECT_EQ(p.GetPost().Version, 2.0);
  EXPECT_EQ(p.NameCount(), 4);
  EXPECT_EQ(p.GlyphName(1), "foo");  // index 258: the first string
  EXPECT_EQ(p.GlyphName(2), "A");
  EXPECT_EQ(p.GlyphName(3), "bar");
  EXPECT_EQ(p.NameIndex("bar"), 3);
  EXPECT_EQ(p.NameIndex("Bar"), -1);
  EXPECT_EQ(p.GetPost().UnderlinePosition, -100);
  EXPECT_EQ(p.GetPost().UnderlineThickness, 50);

  // Version 1.0: the standard names; 3.0: none.
  Load(p, Font({"", "", "", "", Square()}, "", Post(0x00010000)));
  EXPECT_EQ(p.NameCount(), 5);
  EXPECT_EQ(p.GlyphName(3), "space");
  EXPECT_EQ(p.NameIndex("nonmarkingreturn"), 2);
  Load(p, Font({"", Square()}, "", Post(0x00030000)));
  EXPECT_EQ(p.NameCount(), 0);
  EXPECT_EQ(p.NameIndex(".notdef"), -1);

  // Version 2.5: signed offsets into the standard order.
  std::string post25 = Post(0x00025000) + BE16(3) + std::string{char(0), char(35), char(-1)};
  Load(p, Font({"", "", ""}, "", post25));
  EXPECT_EQ(p.GlyphName(0), "");  // 0 + 0 is not in 1..257
  EXPECT_EQ(p.GlyphName(1), "A");  // 1 + 35 = 36
  EXPECT_EQ(p.GlyphName(2), ".null");

  // A string index the table does not hold keeps its placeholder.
  std::string short20 = Post(0x00020000) + BE16(2) + BE16(0) + BE16(260);
  Load(p, Font({"", ""}, "", short20));
  EXPECT_EQ(p.GlyphName(1), "new:2");

  // The italic angle is a signed 16.16 value.
  Load(p, Font({""}, "", Post(0x00030000, int32_t(-12.5 * 65536))));
  EXPECT_EQ(p.GetPost().ItalicAngle, -12.5);
}

TEST(TrueTypeParser, StandardMacNames) {
  EXPECT_EQ(TPDFTrueTypeParser::StandardMacName(0), ".notdef");
  EXPECT_EQ(TPDFTrueTypeParser::StandardMacName(3), "space");
  EXPECT_EQ(TPDFTrueTypeParser::StandardMacName(36), "A");
  EXPECT_EQ(TPDFTrueTypeParser::StandardMacName(257), "dcroat");
  EXPECT_EQ(TPDFTrueTypeParser::StandardMacName(258), "");
  EXPECT_EQ(TPDFTrueTypeParser::StandardMacName(-1), "");
  for (int i = 0; i < TPDFTrueTypeParser::kStandardMacNameCount; ++i) {
    EXPECT_FALSE(TPDFTrueTypeParser::StandardMacName(i).empty()) << i;
  }
}

TEST(TrueTypeParser, CmapFormats) {
  const std::string cmap = Cmap({{3, 1, CmapFormat4({{0x41, 0x43, -29}, {0x20, 0x20, -29}})},
                                 {1, 0, CmapFormat0({0, 0, 0, 7})},
                                 {3, 0, CmapFormat6(0xF041, {5, 6})},
                                 {3, 1, CmapFormat6(0x61, {9})},
                                 {0, 3, BE16(12) + BE16(0) + BE32(28)}});
  TPDFTrueTypeParser p;
  Load(p, Font({""}, cmap, ""));
  ASSERT_EQ(p.CmapCount(), 5);
  const TTrueTypeCmap& f4 = p.CmapAt(0);
  EXPECT_EQ(f4.Format, 4);
  EXPECT_EQ(f4.Codes, (std::vector<uint16_t>{0x41, 0x42, 0x43, 0x20}));
  EXPECT_EQ(f4.GlyphIds, (std::vector<uint16_t>{36, 37, 38, 3}));
  const TTrueTypeCmap& f0 = p.CmapAt(1);
  EXPECT_EQ(f0.Codes.size(), 256u);
  EXPECT_EQ(f0.GlyphIds[3], 7);
  const TTrueTypeCmap& f6 = p.CmapAt(2);
  EXPECT_EQ(f6.Codes, (std::vector<uint16_t>{0xF041, 0xF042}));
  EXPECT_EQ(f6.GlyphIds, (std::vector<uint16_t>{5, 6}));
  EXPECT_EQ(p.CmapAt(4).Format, 12);
  EXPECT_TRUE(p.CmapAt(4).Codes.empty());
  // The last subtable with the pair.
  EXPECT_EQ(p.FindCmap(3, 1), 3);
  EXPECT_EQ(p.FindCmap(3, 0), 2);
  EXPECT_EQ(p.FindCmap(3, 10), -1);
  const TTrueTypeCmap none = p.GetCmap(9);
  EXPECT_EQ(none.PlatformID, 0);
  EXPECT_TRUE(none.Codes.empty());
}

TEST(TrueTypeParser, CmapFormat4RangeOffsets) {
  // Two segments: 0x30..0x32 through the glyph id array (with idDelta 1 added to non-zero
  // entries), then the end marker.
  const int n = 2;
  std::string sub = BE16(4) + BE16(16 + 8 * n + 6) + BE16(0) + BE16(2 * n) + BE16(0) + BE16(0) + BE16(0);
  sub += BE16(0x32) + BE16(0xFFFF) + BE16(0) + BE16(0x30) + BE16(0xFFFF);
  sub += BE16(1) + BE16(1);
  sub += BE16(4) + BE16(0);  // idRangeOffset of segment 0 points at the array, 2 entries on
  sub += BE16(10) + BE16(0) + BE16(20);
  TPDFTrueTypeParser p;
  Load(p, Font({""}, Cmap({{3, 1, sub}}), ""));
  EXPECT_EQ(p.CmapAt(0).Codes, (std::vector<uint16_t>{0x30, 0x31, 0x32}));
  EXPECT_EQ(p.CmapAt(0).GlyphIds, (std::vector<uint16_t>{11, 0, 21}));
}

TEST(TrueTypeParser, MetricsScaledToThousandths) {
  TPDFTrueTypeParser p;
  Load(p, Font({"", "", ""}, "", "",
               {.unitsPerEm = 2048, .ascender = 1901, .descender = -483, .advances = {1024, 2048, 1229}}));
  EXPECT_EQ(p.GetHhea().Ascender, 928);    // 1901000 / 2048
  EXPECT_EQ(p.GetHhea().Descender, -235);  // truncated toward zero
  EXPECT_EQ(p.GetHhea().LineGap, 43);
  EXPECT_EQ(p.GetHhea().AdvanceWidthMax, 585);
  EXPECT_EQ(p.GetHhea().MinLeftSideBearing, -24);
  EXPECT_EQ(p.GetHhea().CaretSlopeRise, 1);
  EXPECT_EQ(p.GetHhea().NumberOfHMetrics, 3);
  EXPECT_EQ(p.GetAdvanceWidth(0), 500);
  EXPECT_EQ(p.GetAdvanceWidth(1), 1000);
  EXPECT_EQ(p.GetAdvanceWidth(2), 600);
  EXPECT_EQ(p.GetAdvanceWidth(500), 600);  // beyond the metrics: the last one
  // Without hmtx: 750.
  TPDFTrueTypeParser q;
  Load(q, Font({""}, "", "").substr(0, 12));
  EXPECT_EQ(q.GetAdvanceWidth(0), 750);
  // An hhea of another version is not read; a zero unit size leaves the widths out.
  Builder z;
  z.Add("head", Head(0, 1));
  z.Add("hhea", BE32(0x00020000) + Hhea(800, -200, 1).substr(4));
  z.Add("hmtx", Hmtx({500}));
  Load(q, z.Build());
  EXPECT_EQ(q.GetHhea().NumberOfHMetrics, 0);
  EXPECT_EQ(q.GetAdvanceWidth(0), 750);
}

TEST(TrueTypeParser, RebaseTableOffsets) {
  const std::string font = Font({"", Square()}, "", Post(0x00030000));
  // The same font as if it lay 1000 bytes into a collection: offsets counted from there.
  TPDFTrueTypeParser p;
  std::string shifted = font;
  p.RebaseTableOffsets(shifted, -1000);
  TPDFTrueTypeParser q;
  q.OffsetDelta = 1000;
  Load(q, shifted);
  EXPECT_EQ(q.GetGlyph(1).Points.size(), 4u);
  for (size_t i = 0; i < q.Tables().size(); ++i) EXPECT_EQ(q.Tables()[i].Offset, Load(p, font).Tables()[i].Offset);
  // Rebasing back gives the original bytes.
  p.RebaseTableOffsets(shifted, 1000);
  EXPECT_EQ(shifted, font);
  std::string junk = "not a font";
  p.RebaseTableOffsets(junk, 5);
  EXPECT_EQ(junk, "not a font");
}

TEST(TrueTypeParser, SimpleGlyphFlagsAndRepeats) {
  // Flags with a repeat count and short coordinates: x-short positive (0x12), y same (0x20).
  std::string g = BE16(1) + BE16(0) + BE16(0) + BE16(30) + BE16(0) + BE16(3) + BE16(2) + "\xAA\xBB";
  g += std::string{char(0x01 | 0x02 | 0x10 | 0x20 | 0x08), char(3)};  // four points, x += byte
  g += std::string{char(10), char(10), char(5), char(5)};
  TPDFTrueTypeParser p;
  Load(p, Font({"", g}, "", ""));
  const TTrueTypeGlyph glyph = p.GetGlyph(1);
  ASSERT_TRUE(glyph.Valid);
  EXPECT_EQ(glyph.NumberOfContours, 1);
  EXPECT_EQ(glyph.Flags.size(), 4u);
  ASSERT_EQ(glyph.Points.size(), 4u);
  EXPECT_EQ(glyph.Points[3].X, 30);
  EXPECT_EQ(glyph.Points[3].Y, 0);
  // Negative short deltas.
  std::string n = BE16(1) + std::string(8, '\0') + BE16(1) + BE16(0);
  n += std::string{char(0x01 | 0x02 | 0x04), char(0x01 | 0x02 | 0x04)};
  n += std::string{char(7), char(3), char(9), char(1)};
  Load(p, Font({"", n}, "", ""));
  const TTrueTypeGlyph neg = p.GetGlyph(1);
  ASSERT_EQ(neg.Points.size(), 2u);
  EXPECT_EQ(neg.Points[1].X, -10);
  EXPECT_EQ(neg.Points[1].Y, -10);
}

TEST(TrueTypeParser, CompositeComponents) {
  const std::string comp = CompositeGlyph({{1, 10, -20, 0x0003, {}},
                                           {1, 5, 6, 0x0002, {0.5}},
                                           {1, 0, 0, 0x0003, {2.0, -1.0}},
                                           {1, 1, 2, 0x0003, {1.0, 0.25, -0.25, 1.0}}});
  TPDFTrueTypeParser p;
  Load(p, Font({"", Square(), comp}, "", ""));
  const TTrueTypeGlyph g = p.GetGlyph(2);
  EXPECT_TRUE(g.Valid);
  EXPECT_EQ(g.NumberOfContours, 0);
  ASSERT_EQ(g.Components.size(), 4u);
  EXPECT_EQ(g.Components[0].Argument1, 10);
  EXPECT_EQ(g.Components[0].Argument2, -20);
  EXPECT_EQ(g.Components[1].Argument1, 5);  // bytes
  EXPECT_EQ(g.Components[1].XScale, 0.5);
  EXPECT_EQ(g.Components[1].YScale, 0.5);
  EXPECT_EQ(g.Components[2].XScale, 2.0 - 1.0 / 16384);  // 2.0 does not fit F2Dot14: the largest value
  EXPECT_EQ(g.Components[2].YScale, -1.0);
  EXPECT_EQ(g.Components[3].Scale01, 0.25);
  EXPECT_EQ(g.Components[3].Scale10, -0.25);
  // Out of range glyphs are empty records.
  EXPECT_EQ(p.GetGlyph(3).NumberOfContours, 0);
  EXPECT_EQ(p.GetGlyph(-1).Points.size(), 0u);
}
