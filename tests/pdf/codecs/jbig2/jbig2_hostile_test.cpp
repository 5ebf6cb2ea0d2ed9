// Hostile JBIG2 data: lengths past the data, sizes past the pixel limit, references to
// segments that are missing, later or the segment itself, symbol and instance counts in the
// millions, Huffman tables that lie, and arithmetic decoding far past the data. Nothing may
// crash, hang or allocate beyond the limits; damaged streams still give what they hold.
#include <gtest/gtest.h>

#include <random>

#include "pdf/codecs/jbig2/jbig2_bitmap.h"
#include "pdf/codecs/jbig2/jbig2_decoder.h"
#include "pdf/codecs/jbig2/jbig2_segments.h"
#include "pdf/codecs/jbig2/jbig2_stream_decoder.h"
#include "tests/pdf/codecs/jbig2/jbig2_halftone_encoder.h"
#include "tests/pdf/codecs/jbig2/jbig2_text_encoder.h"

using namespace jbig2_test;

namespace {

std::span<const uint8_t> Span(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

// Decodes and answers the decoder's result. A runaway decode is caught by the test time-out of
// the suite, not by a clock here: wall-clock limits fail on a loaded machine.
bool DecodeBounded(const std::string& page, const std::string& globals = "") {
  TZRXJBIG2Decoder d;
  const bool ok = d.Decode(Span(page), Span(globals));
  if (ok) {
    EXPECT_GE(d.Width(), 1);
    EXPECT_LE(int64_t(d.Width()) * d.Height(), int64_t{1} << 28);
  }
  return ok;
}

std::string GenericPage(uint32_t pageW, uint32_t pageH, const std::string& region) {
  StreamBuilder s;
  s.Add(48, PageInfo(pageW, pageH));
  s.Add(38, region);
  s.Add(49, "");
  return s.Bytes;
}

}  // namespace

TEST(JBIG2Hostile, EmptyAndShortDataGiveNoPage) {
  TZRXJBIG2Decoder d;
  EXPECT_FALSE(d.DecodeWithoutGlobals({}));
  const uint8_t few[5] = {0, 0, 0, 0, 48};
  EXPECT_FALSE(d.DecodeWithoutGlobals(few));
  std::vector<uint8_t> row;
  EXPECT_FALSE(d.GetRow(0, row));
  EXPECT_TRUE(row.empty());
}

TEST(JBIG2Hostile, RowsOutsideThePictureAreZerosAndFalse) {
  const Bitmap b = TextLike(13, 5, 1);
  const std::string page = GenericPage(13, 5, GenericRegionData(b, 0, 0, 0, NominalGeneric(0, false)));
  TZRXJBIG2Decoder d;
  ASSERT_TRUE(d.DecodeWithoutGlobals(Span(page)));
  std::vector<uint8_t> row;
  for (int32_t index : {-1, 5}) {
    EXPECT_FALSE(d.GetRow(index, row));
    EXPECT_EQ(row, std::vector<uint8_t>(13, 0));
  }
  ASSERT_TRUE(d.GetRow(2, row));
  for (int x = 0; x < 13; ++x) EXPECT_EQ(row[size_t(x)], b.Get(x, 2) ? 1 : 0);
}

TEST(JBIG2Hostile, DataLengthsPastTheDataAndCutStreams) {
  const Bitmap b = TextLike(40, 30, 2);
  const std::string page = GenericPage(40, 30, GenericRegionData(b, 0, 0, 0, NominalGeneric(0, false)));
  // Every prefix of the stream: no crash; once the region is whole the page is right.
  for (size_t n = 0; n <= page.size(); ++n) DecodeBounded(page.substr(0, n));
  // A region whose data length claims far more than there is.
  std::string longer = page;
  const size_t at = longer.find(std::string("\x26", 1));
  ASSERT_NE(at, std::string::npos);
  longer[at + 3] = '\x7F';  // data length's high byte
  DecodeBounded(longer);
}

TEST(JBIG2Hostile, SizesPastThePixelLimitAreRefused) {
  // A page of 2^32 pixels, a page of exactly 2^28 with a region of 2^28 pixels coded in a
  // few bytes, regions far larger than their page.
  EXPECT_FALSE(DecodeBounded(GenericPage(65536, 65536, "")));
  const std::string tiny = RegionInfo(16384, 16384, 0, 0, 0) + std::string("\x00\x03\xFF\xFD\xFF\x02\xFE\xFE\xFE\x00\x11", 11);
  EXPECT_TRUE(DecodeBounded(GenericPage(16384, 16384, tiny)));
  EXPECT_TRUE(DecodeBounded(GenericPage(100, 100, RegionInfo(0xFFFFFFFF, 0xFFFFFFFF, 0, 0, 0) + std::string(10, '\x55'))));
  EXPECT_TRUE(DecodeBounded(GenericPage(100, 100, RegionInfo(1u << 20, 1u << 20, 5, 5, 0) + '\x01' + std::string(40, '\x0F'))));
  // The factory refuses what its budget cannot hold and gives the bytes back on release.
  jbig2::TJBIG2BitmapFactory factory(1 << 20);
  EXPECT_EQ(factory.Create(1 << 14, 1 << 14), nullptr);
  jbig2::TJBIG2Bitmap* small = factory.Create(2500, 2500);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(factory.Create(2500, 2500), nullptr);
  factory.Release(small);
  EXPECT_EQ(factory.BytesInUse(), 0);
  EXPECT_NE(factory.Create(2500, 2500), nullptr);
}

// Regions of no columns and 2^27 rows: nothing to draw, and with typical prediction a decision
// a row that the arithmetic decoder stops once past its data. The page keeps its pixels.
TEST(JBIG2Hostile, RegionsWithoutColumnsLeaveThePageAsItWas) {
  const std::string adaptive("\x03\xFF\xFD\xFF\x02\xFE\xFE\xFE", 8);
  for (const char flags : {'\x00', '\x08'}) {  // template 0, without and with typical prediction
    const std::string region = RegionInfo(0, 1u << 27, 2, 1, 0) + flags + adaptive + std::string(8, '\x55');
    TZRXJBIG2Decoder d;
    ASSERT_TRUE(d.DecodeWithoutGlobals(Span(GenericPage(9, 4, region)))) << int(flags);
    ASSERT_EQ(d.Width(), 9);
    ASSERT_EQ(d.Height(), 4);
    std::vector<uint8_t> row;
    for (int32_t y = 0; y < 4; ++y) {
      ASSERT_TRUE(d.GetRow(y, row));
      EXPECT_EQ(row, std::vector<uint8_t>(9, 0)) << int(flags) << " row " << y;
    }
  }
}

TEST(JBIG2Hostile, ArithmeticDecodingFarPastTheDataStops) {
  // Half of a region's coded data: the rows the data hold come out, and decoding stops soon
  // after the data ran out, leaving the remaining rows white instead of inventing them.
  const Bitmap b = TextLike(64, 200, 3);
  std::string region = GenericRegionData(b, 0, 0, 0, NominalGeneric(0, false));
  region.resize(18 + 8 + (region.size() - 26) / 2);
  Bitmap ours;
  ASSERT_TRUE(Ours(GenericPage(64, 200, region), "", ours));
  int matching = 0;
  while (matching < 200 && [&] {
    for (int x = 0; x < 64; ++x)
      if (ours.Get(x, matching) != b.Get(x, matching)) return false;
    return true;
  }())
    ++matching;
  EXPECT_GT(matching, 20);
  for (int y = 150; y < 200; ++y)
    for (int x = 0; x < 64; ++x) ASSERT_FALSE(ours.Get(x, y)) << x << "," << y;
}

// Generic and refinement regions of 16384 x 16384 pixels coded in a few bytes, four and two
// to a page (a page could hold thousands): each walks what its bytes can code and the
// coder's register can settle after them, not the 2^28 pixels it states. The bytes code at
// most 2^18 decisions each (2^15 a shifted bit in the coder's cheapest state), the register
// at most 2^22 more; decoding every region to its last row from zeros would cost 2^28 a
// region, however few bytes state it.
TEST(JBIG2Hostile, RegionsOfMillionsOfPixelsWalkWhatTheirBytesCode) {
  const std::string adaptive("\x03\xFF\xFD\xFF\x02\xFE\xFE\xFE", 8);
  for (const std::string& coded : {std::string("\x00\x11", 2), std::string("\xFF\xAC", 2), std::string(12, '\x5A')}) {
    SCOPED_TRACE(testing::PrintToString(coded));
    const int64_t limit = (int64_t(coded.size()) + 2) * (int64_t{1} << 18) + (int64_t{1} << 22) + 4096;
    StreamBuilder s;
    s.Add(48, PageInfo(64, 64));
    for (int t = 0; t < 4; ++t)
      s.Add(38, RegionInfo(16384, 16384, 0, 0, 0) + char(t << 1) + adaptive.substr(0, t == 0 ? 8 : 2) + coded);
    s.Add(42, RegionInfo(16384, 16384, 0, 0, 0) + '\x00' + adaptive.substr(0, 4) + coded);
    s.Add(42, RegionInfo(16384, 16384, 0, 0, 0) + '\x01' + coded);
    jbig2::TJBIG2StreamDecoder d;
    d.Decode(Span(s.Bytes));
    for (uint32_t n = 1; n <= 4; ++n) {
      const auto* g = dynamic_cast<const jbig2::TGenericRegionSegment*>(d.FindSegment(n));
      ASSERT_NE(g, nullptr) << n;
      EXPECT_GT(g->PixelsDecoded, 0) << n;
      EXPECT_LE(g->PixelsDecoded, limit) << n;
    }
    for (uint32_t n = 5; n <= 6; ++n) {
      const auto* r = dynamic_cast<const jbig2::TRefinementRegionSegment*>(d.FindSegment(n));
      ASSERT_NE(r, nullptr) << n;
      EXPECT_GT(r->PixelsDecoded, 0) << n;
      EXPECT_LE(r->PixelsDecoded, limit) << n;
    }
  }
}

// An immediate region whose page has no picture (a page too large to be made, or a page
// association no page has) goes nowhere: it is not decoded at all. Intermediate regions are.
TEST(JBIG2Hostile, RegionsThatGoNowhereAreNotDecoded) {
  const std::string adaptive("\x03\xFF\xFD\xFF\x02\xFE\xFE\xFE", 8);
  const std::string region = RegionInfo(4096, 4096, 0, 0, 0) + char(0) + adaptive + std::string(12, '\x5A');
  StreamBuilder s;
  s.Add(48, PageInfo(1048848, 131071));  // 2^37 pixels: no picture is made
  s.Add(38, region);
  s.Add(38, region, {}, 2);  // page 2 has no page information
  s.Add(36, region);         // intermediate
  s.Add(42, RegionInfo(4096, 4096, 0, 0, 0) + '\x01' + std::string(12, '\x5A'));
  jbig2::TJBIG2StreamDecoder d;
  d.Decode(Span(s.Bytes));
  for (uint32_t n : {1u, 2u}) {
    const auto* g = dynamic_cast<const jbig2::TGenericRegionSegment*>(d.FindSegment(n));
    ASSERT_NE(g, nullptr) << n;
    EXPECT_EQ(g->PixelsDecoded, 0) << n;
  }
  const auto* intermediate = dynamic_cast<const jbig2::TGenericRegionSegment*>(d.FindSegment(3));
  ASSERT_NE(intermediate, nullptr);
  EXPECT_GT(intermediate->PixelsDecoded, 0);
  const auto* refinement = dynamic_cast<const jbig2::TRefinementRegionSegment*>(d.FindSegment(4));
  ASSERT_NE(refinement, nullptr);
  EXPECT_EQ(refinement->PixelsDecoded, 0);
  TZRXJBIG2Decoder facade;
  EXPECT_FALSE(facade.DecodeWithoutGlobals(Span(s.Bytes)));
}

TEST(JBIG2Hostile, ReferencesToMissingLaterOrSelfSegments) {
  std::vector<Bitmap> symbols = {TextLike(5, 6, 1), TextLike(7, 6, 2)};
  std::vector<TextInstance> instances(4);
  for (int i = 0; i < 4; ++i) instances[size_t(i)].Id = uint32_t(i % 2), instances[size_t(i)].X = 8 * i;
  const std::string dict = SymbolDictionaryData({}, symbols, DictionaryOptions{});
  const std::string text = TextRegionData(40, 10, 0, 0, 0, symbols, instances, TextOptions{});
  for (const std::vector<uint32_t>& refs :
       std::vector<std::vector<uint32_t>>{{2}, {3}, {9}, {1, 1, 1, 1, 1, 1, 1}, {0}}) {
    // Segment 1 is a dictionary that refers to refs (itself, the text region after it, a
    // missing one, the page) ; the text region refers to it.
    StreamBuilder s;
    s.Add(48, PageInfo(40, 10));
    s.Add(0, dict, refs);
    s.Add(6, text, {1});
    s.Add(49, "");
    EXPECT_TRUE(DecodeBounded(s.Bytes));
  }
  // A refinement of a region that does not exist, and one of two regions.
  StreamBuilder s;
  s.Add(48, PageInfo(40, 10));
  s.Add(42, RegionInfo(40, 10, 0, 0, 0) + std::string(12, '\x11'), {7});
  s.Add(42, RegionInfo(40, 10, 0, 0, 0) + std::string(12, '\x11'), {0, 0});
  EXPECT_TRUE(DecodeBounded(s.Bytes));
}

TEST(JBIG2Hostile, SymbolAndInstanceCountsInTheMillions) {
  // Dictionaries that promise 2^32 - 1 symbols, arithmetic and Huffman, with a few bytes.
  for (bool huffman : {false, true}) {
    std::string dict = std::string(1, '\0') + char(huffman ? 1 : 0);
    if (!huffman) dict += std::string("\x03\xFF\xFD\xFF\x02\xFE\xFE\xFE", 8);
    dict += U32(0xFFFFFFFF) + U32(0xFFFFFFFF) + std::string(64, '\0');
    StreamBuilder s;
    s.Add(48, PageInfo(50, 50));
    s.Add(0, dict);
    s.Add(6, RegionInfo(50, 50, 0, 0, 0) + U16(huffman ? 1 : 0) + (huffman ? U16(0) : "") + U32(0xFFFFFFFF) +
                 std::string(200, '\x5A'),
          {1});
    EXPECT_TRUE(DecodeBounded(s.Bytes)) << huffman;
  }
  // A real dictionary, and a text region asking for 2^32 - 1 instances of its symbols.
  std::vector<Bitmap> symbols = {TextLike(40, 40, 5)};
  StreamBuilder s;
  s.Add(48, PageInfo(400, 400));
  s.Add(0, SymbolDictionaryData({}, symbols, DictionaryOptions{}));
  s.Add(6, RegionInfo(400, 400, 0, 0, 0) + U16(0) + U32(0xFFFFFFFF) + std::string(300, '\0'), {1});
  EXPECT_TRUE(DecodeBounded(s.Bytes));
}

TEST(JBIG2Hostile, HuffmanTablesThatLie) {
  // Table segments: over-full code lengths, an empty range, ranges of 2^30 lines, lengths
  // of 255 bits; text regions select them for every field.
  const std::vector<std::string> tables = {
      std::string("\x0F", 1) + U32(0) + U32(20) + std::string("\x11\x11\x11\x11\x11\x11\x11\x11\x11\x11", 10),
      std::string("\x01", 1) + U32(5) + U32(5),
      std::string("\x70", 1) + U32(0x80000000) + U32(0x7FFFFFFF) + std::string(16, '\0'),
      std::string("\x0E", 1) + U32(0) + U32(4) + std::string(8, '\xFF'),
  };
  for (const std::string& table : tables) {
    StreamBuilder s;
    s.Add(48, PageInfo(30, 30));
    const uint32_t t = s.Add(53, table);
    std::vector<Bitmap> symbols = {TextLike(5, 6, 1)};
    DictionaryOptions d;
    d.Huffman = true;
    const uint32_t dict = s.Add(0, SymbolDictionaryData({}, symbols, d));
    // Every table selection 3: the custom table stands for all of them.
    s.Add(6, RegionInfo(30, 30, 0, 0, 0) + U16(1) + U16(0x7FFF) + U32(50) + std::string(64, '\xA5'), {dict, t, t, t, t, t, t, t, t});
    // A dictionary coded with it, too.
    s.Add(0, U16(uint16_t(1 | 3 << 2 | 3 << 4 | 1 << 6 | 1 << 7)) + U32(3) + U32(3) + std::string(40, '\x96'), {t, t, t, t});
    EXPECT_TRUE(DecodeBounded(s.Bytes));
  }
  // A symbol code table whose lengths are all zero, or repeats before any length.
  std::vector<Bitmap> symbols = {TextLike(5, 6, 1), TextLike(6, 6, 2)};
  DictionaryOptions d;
  d.Huffman = true;
  for (const std::string& codeTable : {std::string(18, '\0'), std::string(17, '\x66') + "\xFF\xFF\xFF"}) {
    StreamBuilder s;
    s.Add(48, PageInfo(30, 30));
    const uint32_t dict = s.Add(0, SymbolDictionaryData({}, symbols, d));
    s.Add(6, RegionInfo(30, 30, 0, 0, 0) + U16(1) + U16(0) + U32(10) + codeTable + std::string(20, '\x3C'), {dict});
    EXPECT_TRUE(DecodeBounded(s.Bytes));
  }
}

TEST(JBIG2Hostile, HalftonesWithHugeGridsAndPatternCounts) {
  StreamBuilder s;
  s.Add(48, PageInfo(200, 200));
  // 2^32 patterns of 255 x 255, then a usable dictionary.
  s.Add(16, std::string("\x00\xFF\xFF", 3) + U32(0xFFFFFFFF) + std::string(30, '\0'));
  const uint32_t dict = s.Add(16, std::string("\x00\x04\x04", 3) + U32(3) + std::string(30, '\0'));
  // A grid of 2^32 x 2^32 cells; one of 60000 x 60000 with a tiny step.
  s.Add(22, RegionInfo(200, 200, 0, 0, 0) + '\x00' + U32(0xFFFFFFFF) + U32(0xFFFFFFFF) + U32(0) + U32(0) + U16(256) + U16(0), {dict});
  s.Add(22, RegionInfo(200, 200, 0, 0, 0) + '\x08' + U32(16000) + U32(16000) + U32(uint32_t(-5000)) + U32(0) + U16(1) + U16(1) +
                std::string(40, '\x77'),
        {dict});
  s.Add(22, RegionInfo(200, 200, 0, 0, 0) + '\x01' + U32(1000) + U32(1000) + U32(0) + U32(0) + U16(256) + U16(0) +
                std::string(40, '\x00'),
        {dict});
  EXPECT_TRUE(DecodeBounded(s.Bytes));
}

namespace {

// Decodes a page whose segment 1 is a dictionary of count 4 x 4 patterns and segment 2 the
// halftone region whose data part is given; answers that region's segment.
const jbig2::THalftoneRegionSegment* DecodeHalftone(jbig2::TJBIG2StreamDecoder& d, int count,
                                                    const std::string& region) {
  StreamBuilder s;
  s.Add(48, PageInfo(300, 300));
  const uint32_t dict = s.Add(16, std::string("\x00\x04\x04", 3) + U32(uint32_t(count - 1)) + std::string(30, '\x5A'));
  s.Add(22, region, {dict});
  d.Decode(Span(s.Bytes));
  return dynamic_cast<const jbig2::THalftoneRegionSegment*>(d.FindSegment(2));
}

}  // namespace

TEST(JBIG2Hostile, HalftoneCellsOutsideTheRegionAreNotWalked) {
  // 6 x 2883589 cells with skipping on, each row of the grid stepping 154 pixels right: only
  // the first 294 cells of column 0 reach the 45152-pixel-wide region; the millions of
  // others are neither decoded nor drawn.
  jbig2::TJBIG2StreamDecoder d;
  const auto* h = DecodeHalftone(d, 4, RegionInfo(45152, 148, 0, 0, 0) + '\x08' + U32(6) + U32(2883589) + U32(0) +
                                           U32(0) + U16(4) + U16(0x99F0) + std::string(12, '\x3C'));
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->CellsDrawn, 294);
  EXPECT_LE(h->CellsDecoded, 2 * 294);
}

TEST(JBIG2Hostile, HalftonePlanesAfterTheDataRanOutAreNotRead) {
  // 59 patterns take 6 gray planes of 1000 x 16000 cells, coded with MMR in 3 bytes: the first
  // plane uses them up (24 rows alike), the 5 others are not made. Of the grid only the
  // 500 cells of column 0 between x = 0 and 2000 reach the region.
  jbig2::TJBIG2StreamDecoder d;
  const auto* h = DecodeHalftone(d, 59, RegionInfo(2000, 2000, 0, 0, 0) + '\x01' + U32(1000) + U32(16000) +
                                            U32(uint32_t(-65536)) + U32(0) + U16(0) + U16(1024) +
                                            std::string(3, '\x80'));
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->CellsDecoded, 1000 * 16000);
  EXPECT_EQ(h->CellsDrawn, 500);
}

TEST(JBIG2Hostile, OverlappingHalftoneCellsCostWhatTheRegionHolds) {
  // 200 x 200 cells of one 255 x 255 pattern, all stepping 0, drawn again and again onto the
  // same corner of a 100 x 100 region: what is combined is bounded by the region's size
  // (eight times its bytes and a megabyte: 126 cells here), not by the grid a few bytes state
  // (the fixed ceiling alone lets 15 950 cells through).
  StreamBuilder s;
  s.Add(48, PageInfo(100, 100));
  const uint32_t dict = s.Add(16, std::string("\x00\xFF\xFF", 3) + U32(0) + std::string(30, '\x5A'));
  s.Add(22, RegionInfo(100, 100, 0, 0, 0) + '\x00' + U32(200) + U32(200) + U32(0) + U32(0) + U16(0) + U16(0), {dict});
  jbig2::TJBIG2StreamDecoder d;
  d.Decode(Span(s.Bytes));
  const auto* h = dynamic_cast<const jbig2::THalftoneRegionSegment*>(d.FindSegment(2));
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->CellsDrawn, 126);
}

TEST(JBIG2Hostile, MutatedStreamsNeverCrash) {
  // Valid streams of every kind with bytes changed at random.
  std::vector<std::pair<std::string, std::string>> streams;
  {
    const Bitmap b = TextLike(30, 20, 1);
    streams.push_back({"", GenericPage(30, 20, GenericRegionData(b, 0, 0, 0, NominalGeneric(0, true)))});
    streams.push_back({"", GenericPage(30, 20, GenericMMRData(b, 0, 0, 0, EncodeMMR(b)))});
  }
  for (bool huffman : {false, true}) {
    std::vector<Bitmap> symbols = {TextLike(5, 7, 1), TextLike(6, 7, 2), TextLike(4, 9, 3)};
    std::vector<TextInstance> instances(6);
    for (int i = 0; i < 6; ++i) instances[size_t(i)].Id = uint32_t(i % 3), instances[size_t(i)].X = 6 * i;
    DictionaryOptions d;
    d.Huffman = huffman;
    TextOptions o;
    o.Huffman = huffman;
    StreamBuilder g;
    g.Add(0, SymbolDictionaryData({}, symbols, d), {}, 0);
    StreamBuilder p;
    p.Next = 1;
    p.Add(48, PageInfo(40, 16));
    p.Add(6, TextRegionData(40, 16, 0, 0, 0, symbols, instances, o), {0});
    streams.push_back({g.Bytes, p.Bytes});
  }
  std::mt19937 rng(12345);
  for (const auto& [globals, page] : streams) {
    for (int round = 0; round < 300; ++round) {
      std::string g = globals, p = page;
      std::string& target = (!g.empty() && rng() % 3 == 0) ? g : p;
      const int edits = 1 + int(rng() % 4);
      for (int e = 0; e < edits; ++e) target[rng() % target.size()] = char(rng());
      DecodeBounded(p, g);
    }
  }
}
