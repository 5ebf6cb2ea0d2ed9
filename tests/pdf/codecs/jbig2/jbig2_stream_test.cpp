// How segments are framed and pages grow: data parts bounded by their lengths, arithmetic
// data without its end marker, JBIG2 files in both organisations, striped pages of unknown
// height with end-of-stripe segments, and generic regions of unknown data length.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/pdf/codecs/jbig2/jbig2_halftone_encoder.h"
#include "tests/pdf/codecs/jbig2/jbig2_text_encoder.h"

using namespace jbig2_test;

namespace {

// A page of w x h pixels of `fill` with the parts combined onto it by op.
Bitmap Placed(int w, int h, const std::vector<std::tuple<const Bitmap*, int, int>>& parts, bool fill = false,
              int op = 0) {
  Bitmap out{w, h};
  std::fill(out.Bits.begin(), out.Bits.end(), fill ? 0xFF : 0x00);
  for (const auto& [b, x0, y0] : parts) CombineAt(out, *b, x0, y0, op);
  return out;
}

}  // namespace

TEST(JBIG2Stream, EachDataPartEndsWhereItsLengthSays) {
  REQUIRE_TOOL("jbig2dec");
  // The first region's data part carries bytes its coding never reads; the next header
  // follows them.
  const Bitmap a = TextLike(30, 20, 1), b = TextLike(25, 15, 2);
  StreamBuilder s;
  s.Add(48, PageInfo(60, 40));
  s.Add(38, GenericRegionData(a, 0, 0, 0, NominalGeneric(0, false)) + std::string("\x12\x34\x56\x78\x9A", 5));
  s.Add(62, std::string("\x00\x00\x00\x00extension", 13));
  s.Add(38, GenericRegionData(b, 30, 20, 0, NominalGeneric(2, true)));
  s.Add(49, "");
  const Bitmap expected = Placed(60, 40, {{&a, 0, 0}, {&b, 30, 20}});
  ExpectSame(s.Bytes, "", &expected);
}

TEST(JBIG2Stream, ArithmeticDataWithoutItsEndMarker) {
  REQUIRE_TOOL("jbig2dec");
  // The coder closes its data with FF AC, past which it reads nothing. Data cut before the
  // marker decode as if zero bytes followed, as jbig2dec reads them too: where the coder's
  // last decisions needed the marker's one-bits (template 2 here) the last pixel comes out
  // white; everything before it is the picture coded.
  for (int t = 0; t < 4; ++t) {
    SCOPED_TRACE("template " + std::to_string(t));
    const Bitmap a = TextLike(41, 23, uint32_t(t + 5));
    std::string data = GenericRegionData(a, 0, 0, 0, NominalGeneric(t, t % 2 == 0));
    ASSERT_EQ(data.substr(data.size() - 2), "\xFF\xAC");
    data.resize(data.size() - 2);
    StreamBuilder s;
    s.Add(48, PageInfo(41, 23));
    s.Add(38, data);
    s.Add(49, "");
    Bitmap expected = a;
    if (t == 2) {
      ASSERT_TRUE(expected.Get(40, 22));
      expected.Set(40, 22, false);
    }
    ExpectSame(s.Bytes, "", &expected);
  }
}

TEST(JBIG2Stream, FileFormInBothOrganisations) {
  REQUIRE_TOOL("jbig2dec");
  const Bitmap a = TextLike(33, 21, 8);
  for (bool sequential : {true, false}) {
    const std::string header = std::string("\x97JB2\r\n\x1A\n", 8) + char(sequential ? 1 : 0) + U32(1);
    std::string file = header;
    const std::string page = PageInfo(33, 21), region = GenericRegionData(a, 0, 0, 0, NominalGeneric(1, false));
    if (sequential) {
      file += Segment(0, 48, {}, 1, page) + Segment(1, 38, {}, 1, region) + Segment(2, 49, {}, 1, "") +
              Segment(3, 51, {}, 0, "");
    } else {
      // All headers first, then the data parts in the same order.
      auto head = [](const std::string& seg, size_t dataSize) { return seg.substr(0, seg.size() - dataSize); };
      file += head(Segment(0, 48, {}, 1, page), page.size()) + head(Segment(1, 38, {}, 1, region), region.size()) +
              Segment(2, 49, {}, 1, "") + Segment(3, 51, {}, 0, "") + page + region;
    }
    Bitmap theirs, ours;
    ASSERT_TRUE(Jbig2decFile(file, theirs));
    ASSERT_EQ(ccitt_test::Difference(a, theirs), "");
    ASSERT_TRUE(Ours(file, "", ours)) << sequential;
    EXPECT_EQ(ccitt_test::Difference(a, ours), "") << sequential;
  }
}

TEST(JBIG2Stream, StripedPageOfUnknownHeightEndsWithItsLastStripe) {
  REQUIRE_TOOL("jbig2dec");
  // Three stripes of at most 32 rows: a generic region, a text region and a generic region
  // coded without a known data length. The page is as tall as the last stripe's end.
  const Bitmap first = TextLike(50, 20, 3), third = TextLike(50, 12, 4);
  std::vector<Bitmap> symbols = {TextLike(6, 9, 5), TextLike(8, 9, 6)};
  std::vector<TextInstance> instances;
  for (int i = 0; i < 6; ++i) {
    TextInstance in;
    in.Id = uint32_t(i % 2);
    in.X = 8 * i;
    in.Y = (i % 3) * 3;  // within the region, which lies at row 20
    instances.push_back(in);
  }
  StreamBuilder s;
  s.Add(48, PageInfo(50, 0xFFFFFFFF, 0, uint16_t(0x8000 | 32)));
  s.Add(38, GenericRegionData(first, 0, 0, 0, NominalGeneric(0, true)));
  s.Add(50, U32(19));
  const uint32_t dict = s.Add(0, SymbolDictionaryData({}, symbols, DictionaryOptions{}), {}, 1);
  s.Add(6, TextRegionData(50, 20, 0, 20, 0, symbols, instances, TextOptions{}) , {dict});
  s.Add(50, U32(39));
  // Unknown length: the coded data end with FF AC and the count of rows.
  s.Add(38, GenericRegionData(third, 0, 40, 0, NominalGeneric(1, false)) + U32(12), {}, 1, true);
  s.Add(50, U32(51));
  s.Add(49, "");
  const Bitmap text = DrawInstances(50, 20, symbols, instances, TextOptions{});
  const Bitmap expected = Placed(50, 52, {{&first, 0, 0}, {&text, 0, 20}, {&third, 0, 40}});
  Bitmap theirs, ours;
  std::string log;
  ASSERT_TRUE(Jbig2dec(s.Bytes, "", theirs, &log)) << log;
  EXPECT_EQ(theirs.Height, 52);
  ASSERT_TRUE(Ours(s.Bytes, "", ours));
  EXPECT_EQ(ccitt_test::Difference(expected, ours), "");
  EXPECT_EQ(ccitt_test::Difference(theirs, ours), "");
}

TEST(JBIG2Stream, EveryKindOfRegionInALaterStripeGrowsThePage) {
  REQUIRE_TOOL("jbig2dec");
  // Stripes of at most 16 rows: a generic region in the first, a text region in the second, a
  // halftone region in the third. Each region lies below the rows the page holds when it
  // comes; the page must grow for it, whatever its kind, or its picture is lost.
  const Bitmap first = TextLike(48, 16, 21);
  const std::vector<Bitmap> symbols = {TextLike(6, 9, 22), TextLike(7, 9, 23)};
  std::vector<TextInstance> instances;
  for (int i = 0; i < 6; ++i) {
    TextInstance in;
    in.Id = uint32_t(i % 2);
    in.X = 8 * i;
    in.Y = (i % 3) * 3;
    instances.push_back(in);
  }
  std::vector<Bitmap> patterns;
  for (int i = 0; i < 4; ++i) {
    Bitmap p{4, 4};
    for (int k = 0; k < i * 5; ++k) p.Set(k % 4, (k * 3) % 4, true);
    patterns.push_back(p);
  }
  HalftoneOptions h;
  h.GridWidth = 12, h.GridHeight = 4, h.StepX = 4 * 256;
  std::vector<uint32_t> values(48);
  for (size_t i = 0; i < values.size(); ++i) values[i] = uint32_t((i * 7) % 4);
  StreamBuilder s;
  s.Add(48, PageInfo(48, 0xFFFFFFFF, 0, uint16_t(0x8000 | 16)));
  s.Add(38, GenericRegionData(first, 0, 0, 0, NominalGeneric(0, false)));
  s.Add(50, U32(15));
  const uint32_t dict = s.Add(0, SymbolDictionaryData({}, symbols, DictionaryOptions{}));
  s.Add(6, TextRegionData(48, 16, 0, 16, 0, symbols, instances, TextOptions{}), {dict});
  s.Add(50, U32(31));
  const uint32_t screen = s.Add(16, PatternDictionaryData(patterns, false, 0));
  s.Add(22, HalftoneRegionData(48, 16, 0, 32, 0, patterns, values, h), {screen});
  s.Add(50, U32(47));
  s.Add(49, "");
  const Bitmap text = DrawInstances(48, 16, symbols, instances, TextOptions{});
  const Bitmap halftone = DrawHalftone(48, 16, patterns, values, h);
  const Bitmap expected = Placed(48, 48, {{&first, 0, 0}, {&text, 0, 16}, {&halftone, 0, 32}});
  ExpectSame(s.Bytes, "", &expected);
}

// A page whose height the encoder did not know ends where its last stripe ends: the end row
// of its last end-of-stripe segment is the page's last row, and no segment after an end of
// stripe touches the rows it closed. jbig2dec 0.19 keeps such a page as tall as the largest
// stripe it announced, or as low as its regions reach, whatever the end rows say; the rows
// both hold agree.
TEST(JBIG2Stream, StripedPageOfUnknownHeightIsAsTallAsItsStripes) {
  REQUIRE_TOOL("jbig2dec");
  const Bitmap a = TextLike(40, 16, 11), b = TextLike(40, 10, 12);
  struct Case {
    const char* What;
    uint16_t StripeSize;
    bool Black;  // the page's blank pixels
    // Region a at row 0, the first end of stripe, region b at row 16 (when two stripes),
    // the other ends of stripe.
    std::vector<uint32_t> EndRows;
    int Height;
  };
  const Case cases[] = {
      {"a page shorter than one stripe of at most 64 rows", 64, false, {20}, 21},
      {"black closing rows that no region covers", 16, true, {15, 31, 47}, 48},
      // Stripes go down the page; one that went back up would throw away what the stripes
      // above it closed.
      {"an end row above the last one", 16, false, {15, 25, 9}, 26},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    StreamBuilder s;
    s.Add(48, PageInfo(40, 0xFFFFFFFF, c.Black ? 4 : 0, uint16_t(0x8000 | c.StripeSize)));
    s.Add(38, GenericRegionData(a, 0, 0, 4, NominalGeneric(0, false)));
    for (size_t i = 0; i < c.EndRows.size(); ++i) {
      s.Add(50, U32(c.EndRows[i]));
      if (i == 0 && c.EndRows.size() > 1) s.Add(38, GenericRegionData(b, 0, 16, 4, NominalGeneric(1, false)));
    }
    s.Add(49, "");
    std::vector<std::tuple<const Bitmap*, int, int>> parts = {{&a, 0, 0}};
    if (c.EndRows.size() > 1) parts.emplace_back(&b, 0, 16);
    Bitmap ours, theirs;
    std::string log;
    ASSERT_TRUE(Ours(s.Bytes, "", ours));
    EXPECT_EQ(ccitt_test::Difference(Placed(40, c.Height, parts, c.Black, 4), ours), "");
    ASSERT_TRUE(Jbig2dec(s.Bytes, "", theirs, &log)) << log;
    for (int y = 0; y < std::min(ours.Height, theirs.Height); ++y)
      for (int x = 0; x < 40; ++x) ASSERT_EQ(ours.Get(x, y), theirs.Get(x, y)) << x << "," << y;
  }
}

TEST(JBIG2Stream, UnknownLengthRegionTakesItsRowCount) {
  REQUIRE_TOOL("jbig2dec");
  // The region says 100 rows; the data code 17, and the row count after the end sequence
  // says so. What follows the count is the next segment.
  const Bitmap a = TextLike(40, 17, 9), b = TextLike(20, 10, 10);
  for (bool mmr : {false, true}) {
    SCOPED_TRACE(mmr ? "MMR" : "arithmetic");
    std::string data;
    if (mmr) {
      const std::string coded = EncodeMMR(a);
      ASSERT_FALSE(coded.empty());
      data = RegionInfo(40, 100, 0, 0, 0) + '\x01' + coded + std::string("\x00\x00", 2) + U32(17);
    } else {
      data = RegionInfo(40, 100, 0, 0, 0) + char(0) + std::string("\x03\xFF\xFD\xFF\x02\xFE\xFE\xFE", 8) +
             EncodeGeneric(a, NominalGeneric(0, false)) + U32(17);
    }
    StreamBuilder s;
    s.Add(48, PageInfo(40, 0xFFFFFFFF, 0, uint16_t(0x8000 | 64)));
    s.Add(38, data, {}, 1, true);
    s.Add(38, GenericRegionData(b, 5, 17, 0, NominalGeneric(3, false)));
    s.Add(50, U32(26));
    s.Add(49, "");
    const Bitmap expected = Placed(40, 27, {{&a, 0, 0}, {&b, 5, 17}});
    Bitmap ours;
    ASSERT_TRUE(Ours(s.Bytes, "", ours));
    EXPECT_EQ(ccitt_test::Difference(expected, ours), "");
    // jbig2dec 0.19 keeps the page at its stripe size (64 rows) past the last stripe's end;
    // the rows of the page agree.
    Bitmap theirs;
    std::string log;
    ASSERT_TRUE(Jbig2dec(s.Bytes, "", theirs, &log)) << log;
    ASSERT_GE(theirs.Height, 27);
    Bitmap top{40, 27};
    std::copy(theirs.Bits.begin(), theirs.Bits.begin() + std::ptrdiff_t(top.Bits.size()), top.Bits.begin());
    EXPECT_EQ(ccitt_test::Difference(top, ours), "");
  }
}

TEST(JBIG2Stream, RegionPlacesAreUnsignedAndFarPlacesLieOffThePage) {
  // A region's place is an unsigned 32-bit number: 0xFFFFFFFB columns lie far right of any
  // page, not five columns left of it, and such a region leaves the page as it was. (jbig2dec
  // refuses these streams as a whole.)
  const Bitmap a = TextLike(20, 12, 21), b = TextLike(16, 10, 22);
  for (int op : {0, 2, 4}) {
    SCOPED_TRACE("operator " + std::to_string(op));
    StreamBuilder s;
    s.Add(48, PageInfo(40, 30));
    s.Add(38, GenericRegionData(b, 10, 5, uint8_t(op), NominalGeneric(1, false)));
    s.Add(38, GenericRegionData(a, uint32_t(-5), 3, uint8_t(op), NominalGeneric(0, false)));
    s.Add(38, GenericRegionData(a, 12, uint32_t(-4), uint8_t(op), NominalGeneric(2, false)));
    s.Add(38, GenericRegionData(a, 0x80000000u, 0x80000000u, uint8_t(op), NominalGeneric(3, false)));
    s.Add(49, "");
    const Bitmap expected = Placed(40, 30, {{&b, 10, 5}}, false, op);
    Bitmap ours;
    ASSERT_TRUE(Ours(s.Bytes, "", ours));
    EXPECT_EQ(ccitt_test::Difference(expected, ours), "");
  }
}

TEST(JBIG2Stream, EndSequenceOfAnUnknownLengthIsReadPairByPair) {
  // The scan for the end of a region of unknown length reads its bytes in order: a first end
  // byte takes the byte after it with it. FF FF AC holds no end sequence (the second FF is
  // taken with the first), so the region ends at the FF AC after it, and its row count and the
  // next segment follow there.
  const std::string coded = std::string("\xFF\xFF\xAC", 3) + U32(3) + std::string("\x00\x00\xFF\xAC", 4) + U32(7);
  StreamBuilder s;
  s.Add(48, PageInfo(8, 0xFFFFFFFF, 0, uint16_t(0x8000 | 64)));
  s.Add(38, RegionInfo(8, 50, 0, 0, 0) + char(0) + std::string("\x03\xFF\xFD\xFF\x02\xFE\xFE\xFE", 8) + coded, {}, 1,
        true);
  s.Add(50, U32(9));
  s.Add(49, "");
  Bitmap ours;
  ASSERT_TRUE(Ours(s.Bytes, "", ours));
  // The end-of-stripe segment was found where the region's data end: the page ends at row 9.
  EXPECT_EQ(ours.Height, 10);
}
