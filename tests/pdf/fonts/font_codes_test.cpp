// The collection's code services: splitting shown strings by the codespace of predefined CJK
// CMaps (against a splitter written from the encodings' byte rules), usecmap chains, ToUnicode
// ranges and CID widths.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "pdf/core/objects/pdf_objects.h"
#include "pdf/fonts/cid_metrics.h"
#include "pdf/fonts/font_collection.h"
#include "pdf/fonts/tounicode.h"

namespace {

// Shift-JIS: a lead byte 81-9F or E0-FC followed by a trail byte 40-FC makes one two-byte code.
std::vector<uint32_t> SplitShiftJIS(const std::string& s) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < s.size();) {
    const uint8_t a = uint8_t(s[i]);
    const bool lead = (a >= 0x81 && a <= 0x9F) || (a >= 0xE0 && a <= 0xFC);
    if (lead && i + 1 < s.size() && uint8_t(s[i + 1]) >= 0x40 && uint8_t(s[i + 1]) <= 0xFC) {
      out.push_back(uint32_t(a) << 8 | uint8_t(s[i + 1]));
      i += 2;
    } else {
      out.push_back(a);
      ++i;
    }
  }
  return out;
}

// Big Five (ETen): a lead byte A1-FE followed by a trail byte 40-FE.
std::vector<uint32_t> SplitBig5(const std::string& s) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < s.size();) {
    const uint8_t a = uint8_t(s[i]);
    if (a >= 0xA1 && a <= 0xFE && i + 1 < s.size() && uint8_t(s[i + 1]) >= 0x40 && uint8_t(s[i + 1]) <= 0xFE) {
      out.push_back(uint32_t(a) << 8 | uint8_t(s[i + 1]));
      i += 2;
    } else {
      out.push_back(a);
      ++i;
    }
  }
  return out;
}

// Text mixing ASCII and well-formed double-byte characters.
std::string MixedText(std::mt19937& rng, uint8_t leadLow, uint8_t leadHigh, uint8_t trailLow, uint8_t trailHigh) {
  std::string s;
  for (int i = 0; i < 200; ++i) {
    if (rng() % 2) {
      s.push_back(char(0x20 + rng() % 0x5F));
    } else {
      s.push_back(char(leadLow + rng() % (leadHigh - leadLow + 1)));
      s.push_back(char(trailLow + rng() % (trailHigh - trailLow + 1)));
    }
  }
  return s;
}

}  // namespace

TEST(FontCodes, PredefinedCMapsSplitLikeTheirEncodings) {
  TPDFFontCollection fonts;
  std::mt19937 rng(7);
  struct Case {
    const char* cmap;
    std::vector<uint32_t> (*split)(const std::string&);
    uint8_t leadLow, leadHigh, trailLow, trailHigh;
  } cases[] = {
      {"90ms-RKSJ-H", SplitShiftJIS, 0x81, 0x9F, 0x40, 0xFC},
      {"90ms-RKSJ-V", SplitShiftJIS, 0xE0, 0xEF, 0x40, 0xFC},
      {"ETenms-B5-V", SplitBig5, 0xA1, 0xF9, 0x40, 0xFE},
  };
  for (const Case& c : cases) {
    const int index = fonts.LoadPredefinedCMap(c.cmap);
    ASSERT_GE(index, 0) << c.cmap;
    for (int round = 0; round < 20; ++round) {
      const std::string text = MixedText(rng, c.leadLow, c.leadHigh, c.trailLow, c.trailHigh);
      std::vector<uint32_t> codes;
      ASSERT_TRUE(fonts.MapCodes(index, text, codes));
      EXPECT_EQ(codes, c.split(text)) << c.cmap;
    }
  }
  // Half-width katakana (A0-DF) stays one byte; a lone lead byte at the end is a code of its own.
  const int rksj = fonts.LoadPredefinedCMap("90ms-RKSJ-H");
  std::vector<uint32_t> codes;
  fonts.MapCodes(rksj, std::string("\xB1\x41\x88\x9F\x88", 5), codes);
  EXPECT_EQ(codes, (std::vector<uint32_t>{0xB1, 0x41, 0x889F, 0x88}));
  // UTF-8 CMaps have codes of three and four bytes: A, then あ (E3 81 82, CID 843).
  const int utf8 = fonts.LoadPredefinedCMap("UniJIS-UTF8-H");
  fonts.MapCodes(utf8, std::string("A\xE3\x81\x82", 4), codes);
  EXPECT_EQ(codes, (std::vector<uint32_t>{0x41, 0xE38182}));
  EXPECT_EQ(fonts.LookupCMap(utf8, 0xE38182), 843);
}

TEST(FontCodes, UsecmapChainsResolveThroughParents) {
  TPDFFontCollection fonts;
  const int h = fonts.LoadPredefinedCMap("90ms-RKSJ-H");
  const int v = fonts.LoadPredefinedCMap("90ms-RKSJ-V");
  ASSERT_GE(v, 0);
  // 亜 (889F) is CID 1125 in Adobe-Japan1; the vertical CMap only inherits it.
  EXPECT_EQ(fonts.LookupCMap(h, 0x889F), 1125);
  EXPECT_EQ(fonts.LookupCMap(v, 0x889F), 1125);
  // Two levels: ETenms-B5-V -> ETenms-B5-H -> ETen-B5-H. 一 (A440) is CID 595 in Adobe-CNS1.
  const int b5 = fonts.LoadPredefinedCMap("ETenms-B5-V");
  EXPECT_EQ(fonts.LookupCMap(b5, 0xA440), 595);
  EXPECT_EQ(fonts.LoadPredefinedCMap("ETenms-B5-V"), b5);  // cached
  EXPECT_EQ(fonts.LoadPredefinedCMap("No-Such-CMap"), -1);
  EXPECT_EQ(fonts.LookupCMap(-1, 0x41), -1);
  EXPECT_EQ(fonts.LookupCMap(fonts.CMapCount(), 0x41), -1);
}

TEST(FontCodes, EmbeddedCMapWithoutCodespaceFallsBack) {
  TPDFFontCollection fonts;
  const int one = fonts.AddCMap("One", "begincmap /CMapType 1 def 1 begincidrange <20> <7E> 1 endcidrange endcmap");
  std::vector<uint32_t> codes;
  fonts.MapCodes(one, std::string("\x41\x81\x40\x42", 4), codes);
  EXPECT_EQ(codes, (std::vector<uint32_t>{0x41, 0x8140, 0x42}));
  const int two = fonts.AddCMap("", "begincmap endcmap");
  fonts.MapCodes(two, std::string("\x00\x41\x00", 3), codes);
  EXPECT_EQ(codes, (std::vector<uint32_t>{0x41}));  // an odd last byte is dropped
  EXPECT_FALSE(fonts.MapCodes(-1, "AB", codes));
}

TEST(FontCodes, ToUnicodeRanges) {
  const std::string text =
      "/CIDInit /ProcSet findresource begin 1 begincodespacerange <0000> <FFFF> endcodespacerange "
      "2 beginbfrange <0001> <0002> [<0041> <0042>] <0005> <0007> <0041> endbfrange "
      "2 beginbfchar <0010> <00660066> <0011> <D835DC00> endbfchar "
      "1 beginbfrange <0020> <0021> <00660069> endbfrange endcmap";
  bool oneByte = true;
  std::vector<TToUnicodeRange> ranges;
  ParseToUnicode(text, oneByte, ranges);
  EXPECT_FALSE(oneByte);
  struct {
    uint32_t code;
    std::u16string text;
  } cases[] = {{1, u"A"}, {2, u"B"}, {5, u"A"}, {7, u"C"}, {0x10, u"ff"}, {0x11, u"\xD835\xDC00"},
               {0x20, u"fi"}, {0x21, u"fj"}, {3, u""}, {0x22, u""}};
  for (const auto& c : cases) EXPECT_EQ(ToUnicodeText(ranges, c.code), c.text) << c.code;
  // No codespace range: nothing is read.
  ParseToUnicode("1 beginbfchar <01> <0041> endbfchar", oneByte, ranges = {});
  EXPECT_TRUE(ranges.empty());
  ParseToUnicode("begincodespacerange <00> <FF> endcodespacerange beginbfchar <41> <0061>", oneByte, ranges);
  EXPECT_TRUE(oneByte);
  EXPECT_EQ(ToUnicodeText(ranges, 0x41), u"a");
}

// A ToUnicode CMap that labels its pairs as cid blocks is read through those blocks when it
// has no bf blocks; with bf blocks, the cid blocks follow them.
TEST(FontCodes, ToUnicodeWrittenWithCidBlocks) {
  const std::string codespace = "1 begincodespacerange <00> <FF> endcodespacerange ";
  struct {
    const char* what;
    std::string text;
    std::vector<std::pair<uint32_t, std::u16string>> codes;
  } cases[] = {
      {"cid blocks alone map their codes",
       codespace + "1 begincidchar <01> <0041> endcidchar 1 begincidrange <02> <03> <0042> endcidrange endcmap",
       {{1, u"A"}, {2, u"B"}, {3, u"C"}, {4, u""}}},
      {"an array destination", codespace + "begincidrange <05> <06> [<0061> <0062>] endcidrange",
       {{5, u"a"}, {6, u"b"}}},
      {"a decimal destination (a CID) ends its block",
       codespace + "begincidrange <20> <7E> 1 <80> <80> <20AC> endcidrange begincidchar <81> <0031> endcidchar",
       {{0x20, u""}, {0x80, u""}, {0x81, u"1"}}},
      {"bf blocks come first", codespace + "begincidchar <01> <0058> <09> <0039> endcidchar "
                                           "beginbfchar <01> <0041> endbfchar",
       {{1, u"A"}, {9, u"9"}}},
      {"a cid block inside a bf block is part of it",
       codespace + "beginbfchar <01> <0041> begincidchar <02> <0042> endcidchar endbfchar", {{1, u"A"}, {2, u""}}},
      {"a char block without its end keyword runs to endcmap",
       codespace + "begincidchar <01> <0041> <02> <0042> endcmap <03> <0043>", {{1, u"A"}, {2, u"B"}, {3, u""}}},
      {"no end of the codespace block: nothing",
       "1 begincodespacerange <00> <FF> begincidchar <01> <0041> endcidchar", {{1, u""}}},
      {"codes with leading zeros", codespace + "beginbfchar <000000041> <0061> endbfchar", {{0x41, u"a"}}},
  };
  for (const auto& c : cases) {
    bool oneByte = false;
    std::vector<TToUnicodeRange> ranges;
    ParseToUnicode(c.text, oneByte, ranges);
    for (const auto& [code, text] : c.codes) EXPECT_EQ(ToUnicodeText(ranges, code), text) << c.what << " " << code;
  }
  // Many blocks of one kind and none of the other cost one pass over the text. (A search per
  // block over the rest of the text would take minutes: the test has a timeout of its own, in
  // tests/hang_guards.cmake.)
  std::string many = codespace;
  for (int i = 0; i < 20000; ++i) many += "begincidchar <41> <0061> endcidchar ";
  bool oneByte = false;
  std::vector<TToUnicodeRange> ranges;
  ParseToUnicode(many, oneByte, ranges);
  EXPECT_EQ(ranges.size(), 20000u);
  // So do many blocks without their end keyword, each running to the endcmap after it (a
  // search for the end keyword over the rest of the text at each block would take minutes).
  for (const char* block : {"beginbfchar <41> <0061> endcmap ", "begincidchar <41> <0061> endcmap "}) {
    std::string unended = codespace;
    for (int i = 0; i < 80000; ++i) unended += block;
    ranges.clear();
    ParseToUnicode(unended, oneByte, ranges);
    EXPECT_EQ(ranges.size(), 80000u) << block;
  }
}

TEST(FontCodes, CIDWidths) {
  TPDFStructure store;
  auto* w = PDFCast<TPDFArray>(store.ParseObject("[1 [500 600 /x 700] 10 20 300 15 30 999 -5 2 111 65530 70000 222]"));
  ASSERT_NE(w, nullptr);
  TCIDWidths widths;
  widths.Read(w, nullptr);
  struct {
    int64_t cid;
    std::optional<int32_t> width;
  } cases[] = {{0, 111}, {1, 500}, {2, 600}, {3, 700}, {4, std::nullopt}, {10, 300}, {20, 300},
               {21, 999},  // the first width given wins
               {30, 999}, {65535, 222}, {65536, std::nullopt}, {-1, std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(widths.Find(c.cid), c.width) << c.cid;
  // Ranges over every CID, many times over, cost no more than the CIDs they fill.
  std::string big = "[";
  for (int i = 0; i < 20000; ++i) big += "0 65535 " + std::to_string(i) + " ";
  TCIDWidths all;
  all.Read(PDFCast<TPDFArray>(store.ParseObject(big + "]")), nullptr);
  EXPECT_EQ(all.Find(40000), 0);
}

TEST(FontCodes, VerticalMetrics) {
  TPDFStructure store;
  TCIDVerticalMetrics v;
  v.ReadDW2(PDFCast<TPDFArray>(store.ParseObject("[900 -1100]")));
  v.ReadW2(PDFCast<TPDFArray>(store.ParseObject("[5 [-500 250 880 -600 300 880] 10 12 -700 500 900]")), nullptr);
  int32_t w1y = 0, vy = 0;
  v.Find(6, w1y, vy);
  EXPECT_EQ(w1y, -600);
  EXPECT_EQ(vy, 880);
  v.Find(11, w1y, vy);
  EXPECT_EQ(w1y, -700);
  v.Find(100, w1y, vy);
  EXPECT_EQ(w1y, -1100);
  EXPECT_EQ(vy, 900);
}
