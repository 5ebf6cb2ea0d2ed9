#include "pdf/core/cmaps/cmap_parser.h"

#include <gtest/gtest.h>

#include <string>

#include "pdf/core/byte_buffer.h"

namespace {

std::unique_ptr<TOrvanePDFLibraryCMap> Parse(const std::string& body, const char* type = "2") {
  return ParseCMapText(std::string("/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n/CMapType ") +
                       type + " def\n" + body + "\nendcmap\n");
}

TEST(CMapParser, BfCharSetsOneByteCodes) {
  auto cmap = Parse("2 beginbfchar <01> <0041> <02> <00420043> endbfchar");
  EXPECT_EQ(cmap->Kind, TOrvanePDFLibraryCMap::kKindUnicode);
  EXPECT_TRUE(cmap->OneByteCodes);
  EXPECT_EQ(cmap->MapCode(1), 0x41);
  EXPECT_EQ(cmap->MapCode(2), 0x42);
  ASSERT_EQ(cmap->BfRanges().size(), 2u);
  EXPECT_EQ(cmap->BfRanges()[1].Units[1], 0x43);
  EXPECT_EQ(cmap->MapCode(3), -1);
}

TEST(CMapParser, BfRangeArrayAndStringForms) {
  auto cmap = Parse(
      "2 beginbfrange\n<0000> <0002> [<0041> <0042> <0043>]\n<0010> <0012> <0061>\nendbfrange\n"
      "1 beginbfrange <0020> <0021> [<00660069>] endbfrange");
  EXPECT_FALSE(cmap->OneByteCodes);
  EXPECT_EQ(cmap->MapCode(0), 'A');
  EXPECT_EQ(cmap->MapCode(1), 'B');
  EXPECT_EQ(cmap->MapCode(2), 'C');
  EXPECT_EQ(cmap->MapCode(0x11), 'b');  // the entry after the array is read as well
  EXPECT_EQ(cmap->MapCode(0x20), 'f');  // a short array covers what it holds
  EXPECT_EQ(cmap->BfRanges().back().Units[1], 'i');
  EXPECT_EQ(cmap->MapCode(0x21), -1);
  // An array shorter than its range ends at its "]": the codes it leaves out stay unmapped and
  // the entry after it is read as an entry of its own.
  auto shortArray = Parse("2 beginbfrange <0030> <0033> [<0041> <0042>] <0040> <0041> <0050> endbfrange");
  EXPECT_EQ(shortArray->MapCode(0x31), 'B');
  EXPECT_EQ(shortArray->MapCode(0x32), -1);
  EXPECT_EQ(shortArray->MapCode(0x33), -1);
  EXPECT_EQ(shortArray->MapCode(0x41), 'Q');
}

TEST(CMapParser, CidRangeCodespaceAndUseCMap) {
  auto cmap = Parse(
      "/90ms-RKSJ-H usecmap\n2 begincodespacerange <00> <80> <8140> <9FFC> endcodespacerange\n"
      "1 begincidrange <8140> <817E> 633 endcidrange\n2 begincidchar <20> 231 <8180> 700 endcidchar",
      "1");
  EXPECT_EQ(cmap->Kind, TOrvanePDFLibraryCMap::kKindCID);
  EXPECT_EQ(cmap->UseCMapName, "90ms-RKSJ-H");
  ASSERT_EQ(cmap->CodespaceRanges().size(), 2u);
  EXPECT_EQ(cmap->CodespaceRanges()[1].High, 0x9FFCu);
  EXPECT_TRUE(cmap->OneByteCodes);
  EXPECT_EQ(cmap->MapCode(0x8140), 633);
  EXPECT_EQ(cmap->MapCode(0x8141), 634);
  EXPECT_EQ(cmap->MapCode(0x20), 231);
  EXPECT_EQ(cmap->MapCode(0x8180), 700);
  EXPECT_EQ(cmap->MapCode(0x817F), -1);
}

// Only mapping entries say that codes are one byte long; a codespace range does not, nor does
// an entry that is not read.
TEST(CMapParser, OneByteCodesComeFromMappingEntriesOnly) {
  EXPECT_FALSE(Parse("1 begincodespacerange <00> <FF> endcodespacerange\n"
                     "1 beginbfchar <0041> <0041> endbfchar")
                   ->OneByteCodes);
  EXPECT_FALSE(Parse("1 beginbfchar <41> <zz> endbfchar")->OneByteCodes) << "no destination";
  EXPECT_TRUE(Parse("2 beginbfchar <41> <zz> <20> <0020> endbfchar")->OneByteCodes);
  EXPECT_FALSE(Parse("1 beginbfrange <20> <0021> <0041> endbfrange")->OneByteCodes) << "ends of unequal length";
  EXPECT_TRUE(Parse("1 begincidrange <20> <7E> 1 endcidrange", "1")->OneByteCodes);
  EXPECT_FALSE(Parse("1 begincidrange <20> <7E> x endcidrange", "1")->OneByteCodes) << "no CID";
}

TEST(CMapParser, CMapTypeSetsTheKind) {
  EXPECT_EQ(Parse("", "0")->Kind, TOrvanePDFLibraryCMap::kKindCID);
  EXPECT_EQ(Parse("", "1")->Kind, TOrvanePDFLibraryCMap::kKindCID);
  EXPECT_EQ(Parse("", "2")->Kind, TOrvanePDFLibraryCMap::kKindUnicode);
  EXPECT_EQ(Parse("", "7")->Kind, TOrvanePDFLibraryCMap::kKindNone);
  EXPECT_EQ(ParseCMapText("begincmap 1 begincidrange <00> <FF> 5 endcidrange endcmap ")->MapCode(1), -1);
}

TEST(CMapParser, SectionsOutsideBegincmapAreIgnored) {
  auto cmap = ParseCMapText("/CMapType 2 def 1 beginbfchar <01> <0041> endbfchar endcmap\n");
  EXPECT_TRUE(cmap->BfRanges().empty());
}

TEST(CMapParser, InvalidEntriesAreSkipped) {
  auto cmap = Parse(
      "9 beginbfchar\n"
      "<01> <0041>\n"          // good
      "<0002> <0042>\n"        // good
      "<03> <00zz>\n"          // bad destination digit
      "<0g> <0044>\n"          // bad source digit
      "<> <0045>\n"            // no digits
      "<05> <41>\n"            // destination without a whole unit
      "<06> 70000\n"           // decimal destination above 16 bits
      "<07> /space\n"          // a glyph name is no number
      "<08> 72\n"              // decimal destination
      "endbfchar\n"
      "5 beginbfrange\n"
      "<30> <31> <41>\n"                      // destination without a whole unit
      "<10> <0011> <0061>\n"                  // ends of different lengths
      "<00000000000000000000> <01> <0061>\n"  // more than 16 digits
      "<100000000> <100000001> <0061>\n"      // above 32 bits
      "<20> <21> <0061>\n"                    // good
      "endbfrange\n"
      "3 begincidrange <0100> <01FF> 70000 <0200> <02FF> -1 <0300> <03FF> 9 endcidrange");
  EXPECT_EQ(cmap->MapCode(1), 0x41);
  EXPECT_EQ(cmap->MapCode(2), 0x42);
  for (uint32_t code : {3u, 4u, 5u, 6u, 7u, 0x10u, 0x30u, 0x31u}) EXPECT_EQ(cmap->MapCode(code), -1) << code;
  EXPECT_EQ(cmap->MapCode(8), 72);
  EXPECT_EQ(cmap->MapCode(0x21), 0x62);
  EXPECT_EQ(cmap->BfRanges().size(), 4u);
  EXPECT_TRUE(cmap->CidRanges().size() == 1 && cmap->CidRanges()[0].CID == 9);
}

TEST(CMapParser, CountsBoundTheEntries) {
  // One entry announced, two written: the second is not read. Too few: the end keyword ends
  // the section. A count that is no number reads nothing.
  auto cmap = Parse(
      "1 beginbfchar <01> <0041> <02> <0042> endbfchar\n"
      "5 beginbfchar <03> <0043> endbfchar\n"
      "x beginbfchar <04> <0044> endbfchar\n"
      "-3 beginbfchar <05> <0045> endbfchar");
  EXPECT_EQ(cmap->MapCode(1), 0x41);
  EXPECT_EQ(cmap->MapCode(2), -1);
  EXPECT_EQ(cmap->MapCode(3), 0x43);
  EXPECT_EQ(cmap->MapCode(4), -1);
  EXPECT_EQ(cmap->MapCode(5), -1);
}

TEST(CMapParser, CidRangeArrayDropsTheRestOfTheSection) {
  auto cmap = Parse("3 begincidrange <00> <01> 10 <02> <03> [ 20 21 ] <04> <05> 30 endcidrange "
                    "1 begincidrange <06> <06> 40 endcidrange", "1");
  EXPECT_EQ(cmap->MapCode(1), 11);
  EXPECT_EQ(cmap->MapCode(2), -1);
  EXPECT_EQ(cmap->MapCode(4), -1);
  EXPECT_EQ(cmap->MapCode(6), 40);
}

TEST(CMapParser, HugeRangesCostNoMoreThanTheirText) {
  // All 2^32 codes in one bfrange array with three destinations: three entries, no more.
  auto cmap = Parse("1 beginbfrange <00000000> <FFFFFFFF> [<0041> <0042> <0043>] endbfrange\n"
                    "1 beginbfrange <00000000> <FFFFFFFF> <0041> endbfrange\n"
                    "1 beginbfrange <0000> <FFFFFFFFFFFF> [<0041>] endbfrange\n"
                    "2147483647 beginbfchar <7F> <0041> endbfchar");
  EXPECT_EQ(cmap->BfRanges().size(), 5u);
  EXPECT_EQ(cmap->MapCode(2), 'C');
  EXPECT_EQ(cmap->MapCode(0x10), 0x51);
  EXPECT_EQ(cmap->MapCode(0xFFFFFFF0u), -1);  // beyond an int
  // An array that runs to the end of the text stops there.
  auto open = Parse("1 beginbfrange <0000> <FFFF> [<0041> <0042>");
  EXPECT_EQ(open->BfRanges().size(), 2u);
}

TEST(CMapParser, TruncatedAndOddText) {
  const std::string texts[] = {
      "",
      "begincmap",
      "begincmap 1 beginbfchar <01",
      "begincmap 1 beginbfchar <01> <0041",
      "begincmap 1 beginbfchar <01> <0041>",
      "begincmap 1 begincidrange <01> <02>",
      "begincmap <<",
      "begincmap << /A 1 >> 1 beginbfchar",
      "%%%%%%%%",
      "begincmap [[[[[[ ]]]]] ",
      std::string(100000, '['),
      std::string("\x00\x01\x02 begincmap \xff\xfe", 16),
  };
  for (const auto& t : texts) {
    auto cmap = ParseCMapText(t);
    ASSERT_NE(cmap, nullptr);
  }
  // The last entry of a text without a final delimiter is lost with the token it ends in.
  auto cmap = ParseCMapText("begincmap /CMapType 2 def 1 beginbfchar <01> <0041>");
  EXPECT_EQ(cmap->MapCode(1), 0x41);
}

TEST(CMapParser, CommentsCarryNoData) {
  auto cmap = Parse("% leading\n2 beginbfchar % inside\n<01> % between\n<0041>\n<02> <0042> endbfchar\n"
                    "1 beginbfrange <10> <11> [ % in the array\n<0061> <0062> ] endbfrange");
  EXPECT_EQ(cmap->MapCode(1), 0x41);
  EXPECT_EQ(cmap->MapCode(2), 0x42);
  EXPECT_EQ(cmap->MapCode(0x11), 0x62);
}

TEST(CMapParser, DictionariesAndNamesPassThrough) {
  auto cmap = Parse("/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                    "/CMapName /Adobe-Identity-UCS def\n1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
                    "1 beginbfchar <0003> <0020> endbfchar");
  EXPECT_EQ(cmap->MapCode(3), 0x20);
  EXPECT_FALSE(cmap->OneByteCodes);
  EXPECT_EQ(cmap->CodespaceRanges().size(), 1u);
}

TEST(CMapParser, ReadsFromTheBufferPosition) {
  TZRXBuffer buffer;
  const std::string text = "junk 1 beginbfchar <09> <0041> endbfchar begincmap /CMapType 2 "
                           "1 beginbfchar <01> <0041> endbfchar endcmap trailing";
  buffer.LoadFromString(text);
  buffer.SetPosition(5);
  TOrvanePDFLibraryCMapParser parser;
  auto cmap = parser.CreateCMap(buffer);
  EXPECT_EQ(cmap->MapCode(1), 0x41);
  EXPECT_EQ(cmap->MapCode(9), -1);
  EXPECT_EQ(buffer.Position(), static_cast<int64_t>(text.find("endcmap") + 7));
  // The same parser reads a second CMap.
  buffer.LoadFromString("begincmap /CMapType 1 1 begincidchar <02> 5 endcidchar endcmap");
  EXPECT_EQ(parser.CreateCMap(buffer)->MapCode(2), 5);
}

TEST(ParseCMapNumber, HexAndDecimal) {
  uint64_t v = 0;
  EXPECT_TRUE(ParseCMapNumber("<00ff>", v));
  EXPECT_EQ(v, 255u);
  EXPECT_TRUE(ParseCMapNumber("<FFFFFFFFFFFFFFFF>", v));
  EXPECT_EQ(v, ~uint64_t{0});
  EXPECT_FALSE(ParseCMapNumber("<1FFFFFFFFFFFFFFFF>", v));
  EXPECT_FALSE(ParseCMapNumber("<>", v));
  EXPECT_FALSE(ParseCMapNumber("<0x1>", v));
  EXPECT_TRUE(ParseCMapNumber("633", v));
  EXPECT_EQ(v, 633u);
  EXPECT_TRUE(ParseCMapNumber("+7", v));
  EXPECT_FALSE(ParseCMapNumber("-1", v));
  EXPECT_FALSE(ParseCMapNumber("1.5", v));
  EXPECT_FALSE(ParseCMapNumber("", v));
  EXPECT_FALSE(ParseCMapNumber("99999999999999999999", v));
}

}  // namespace
