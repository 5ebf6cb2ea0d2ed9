#include "pdf/core/encodings/font_encodings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>

#include "pdf/core/encodings/glyph_list.h"
#include "pdf/core/encodings/pdfdoc_encoding.h"
#include "pdf/core/objects/pdf_objects.h"
#include "platform/rtl/exceptions.h"
#include "tests/support/test_support.h"

namespace {

TGlyphNames Encoding(uint8_t kind) {
  TGlyphNames names;
  names.fill("stale");
  GetStandardEncoding(kind, names);
  return names;
}

struct NamedCode {
  uint8_t kind;
  int code;
  const char* name;
};

// From the published encoding tables.
TEST(StandardEncodings, KnownCodes) {
  const NamedCode cases[] = {
      {kWinAnsiEncoding, 128, "Euro"},      {kWinAnsiEncoding, 127, "bullet"},
      {kWinAnsiEncoding, 129, "bullet"},    {kWinAnsiEncoding, 160, "space"},
      {kWinAnsiEncoding, 173, "hyphen"},    {kWinAnsiEncoding, 31, ".notdef"},
      {kWinAnsiEncoding, 32, "space"},      {kWinAnsiEncoding, 39, "quotesingle"},
      {kWinAnsiEncoding, 96, "grave"},      {kWinAnsiEncoding, 142, "Zcaron"},
      {kWinAnsiEncoding, 159, "Ydieresis"}, {kWinAnsiEncoding, 181, "mu"},
      {kWinAnsiEncoding, 255, "ydieresis"}, {kMacRomanEncoding, 0xA5, "bullet"},
      {kMacRomanEncoding, 202, "space"},    {kMacRomanEncoding, 0xDB, "currency"},
      {kMacRomanEncoding, 0xDE, "fi"},      {kMacRomanEncoding, 0x80, "Adieresis"},
      {kMacRomanEncoding, 0xAD, ".notdef"}, {kMacRomanEncoding, 0xF0, ".notdef"},
      {kMacRomanEncoding, 0x27, "quotesingle"}, {kMacRomanEncoding, 200, "guillemotright"},
      {kStandardEncoding, 39, "quoteright"}, {kStandardEncoding, 96, "quoteleft"},
      {kStandardEncoding, 0xA4, "fraction"}, {kStandardEncoding, 0xAE, "fi"},
      {kStandardEncoding, 0xE8, "Lslash"},  {kStandardEncoding, 0xFB, "germandbls"},
      {kStandardEncoding, 0xF5, "dotlessi"}, {kStandardEncoding, 128, ".notdef"},
      {kStandardEncoding, 160, ".notdef"},  {kPDFDocEncoding, 0x18, "breve"},
      {kPDFDocEncoding, 0x1F, "tilde"},     {kPDFDocEncoding, 0x80, "bullet"},
      {kPDFDocEncoding, 0x8A, "minus"},     {kPDFDocEncoding, 0xA0, "Euro"},
      {kPDFDocEncoding, 0x7F, ".notdef"},   {kPDFDocEncoding, 0x9F, ".notdef"},
      {kPDFDocEncoding, 0xAD, ".notdef"},   {kPDFDocEncoding, 0x17, ".notdef"},
      {kMacExpertEncoding, 97, "Asmall"},   {kMacExpertEncoding, 190, "AEsmall"},
      {kMacExpertEncoding, 48, "zerooldstyle"}, {kMacExpertEncoding, 0, ".notdef"},
      {kSymbolBuiltInEncoding, 65, "Alpha"}, {kSymbolBuiltInEncoding, 0xA0, "Euro"},
      {kSymbolBuiltInEncoding, 0x20, "space"}, {kSymbolBuiltInEncoding, 0x80, ""},
      {kSymbolBuiltInEncoding, 0xF0, ""},   {kSymbolBuiltInEncoding, 0xFE, "bracerightbt"},
      {9, 65, ".notdef"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Encoding(c.kind)[static_cast<size_t>(c.code)], c.name) << "kind " << int{c.kind} << " code " << c.code;
}

// Python's codecs decode every assigned code of WinAnsi (cp1252) and MacRoman (mac_roman); our
// names must name the same characters through the glyph list.
std::vector<int> PythonDecode(const char* codec) {
  std::string out;
  const std::string cmd = std::string("/usr/bin/python3 -c \"import sys\nfor c in range(256):\n try: "
                                      "print(ord(bytes([c]).decode('") +
                          codec + "')))\n except Exception: print(-1)\"";
  EXPECT_EQ(testsupport::Run(cmd, &out), 0);
  std::vector<int> values;
  std::istringstream in(out);
  for (int v; in >> v;) values.push_back(v);
  return values;
}

TEST(StandardEncodings, AgreeWithPythonCodecs) {
  REQUIRE_TOOL("python3");
  const auto win = PythonDecode("cp1252");
  const auto mac = PythonDecode("mac_roman");
  ASSERT_EQ(win.size(), 256u);
  ASSERT_EQ(mac.size(), 256u);
  const auto winNames = Encoding(kWinAnsiEncoding);
  const auto macNames = Encoding(kMacRomanEncoding);
  // MacRomanEncoding leaves the Symbol font's characters and the Apple logo out, keeps the
  // older currency sign at 0xDB and names the no-break space "space".
  const std::set<int> macOmitted = {0xAD, 0xB0, 0xB2, 0xB3, 0xB6, 0xB7, 0xB8, 0xB9,
                                    0xBA, 0xBD, 0xC3, 0xC5, 0xC6, 0xD7, 0xF0};
  for (int c = 32; c < 256; ++c) {
    const auto i = static_cast<size_t>(c);
    if (win[i] >= 0 && c != 0x7F && c != 0xA0 && c != 0xAD) {
      EXPECT_EQ(GlyphNameToUnicode(winNames[i]), win[i]) << "WinAnsi " << c << " " << winNames[i];
    }
    if (c == 0x7F || c == 0xCA || c == 0xDB) continue;
    if (macOmitted.count(c))
      EXPECT_EQ(macNames[i], ".notdef") << c;
    else
      EXPECT_EQ(GlyphNameToUnicode(macNames[i]), mac[i]) << "MacRoman " << c << " " << macNames[i];
  }
  EXPECT_EQ(GlyphNameToUnicode(macNames[0xDB]), 0x00A4);
}

TEST(StandardEncodings, PDFDocNamesFollowTheTable) {
  const auto names = Encoding(kPDFDocEncoding);
  for (int c = 24; c < 256; ++c) {
    const auto i = static_cast<size_t>(c);
    if (PDFDocEncodingTable[i] == 0xFFFD)
      EXPECT_EQ(names[i], ".notdef") << c;
    else
      EXPECT_EQ(GlyphNameToUnicode(names[i]), PDFDocEncodingTable[i]) << c << " " << names[i];
  }
}

TEST(GlyphTables, SortedUniqueAndConsistent) {
  for (size_t i = 1; i < StandardGlyphTable.size(); ++i)
    EXPECT_LT(std::string_view(StandardGlyphTable[i - 1].Name), std::string_view(StandardGlyphTable[i].Name));
  for (size_t i = 1; i < SymbolGlyphTable.size(); ++i)
    EXPECT_LT(std::string_view(SymbolGlyphTable[i - 1].Name), std::string_view(SymbolGlyphTable[i].Name));
  EXPECT_STREQ(StandardGlyphTable.front().Name, "A");
  EXPECT_STREQ(StandardGlyphTable.back().Name, "zero");
  EXPECT_STREQ(SymbolGlyphTable.front().Name, "Alpha");
  EXPECT_STREQ(SymbolGlyphTable.back().Name, "zeta");
  // Each Latin glyph's Unicode value is the glyph list's.
  for (const auto& g : StandardGlyphTable) EXPECT_EQ(GlyphNameToUnicode(g.Name), g.Unicode) << g.Name;
  // No two glyphs share a code in one encoding.
  for (uint8_t kind = 0; kind <= kPDFDocEncoding; ++kind) {
    std::set<int> codes;
    for (const auto& g : StandardGlyphTable)
      if (g.Code(kind) >= 0) {
        EXPECT_TRUE(codes.insert(g.Code(kind)).second) << g.Name;
      }
  }
  std::set<int> symbolCodes;
  for (const auto& g : SymbolGlyphTable) EXPECT_TRUE(symbolCodes.insert(g.Code).second) << g.Name;
}

TEST(GetSymbolUnicodeNames, OnlyTheSymbolKind) {
  TGlyphNames names;
  names.fill("x");
  GetSymbolUnicodeNames(kStandardEncoding, names);
  EXPECT_TRUE(std::all_of(names.begin(), names.end(), [](const std::string& s) { return s.empty(); }));
  GetSymbolUnicodeNames(kSymbolBuiltInEncoding, names);
  EXPECT_EQ(names[65], "U+0391");
  EXPECT_EQ(names[0x22], "U+2200");
  EXPECT_EQ(names[0xA0], "U+20AC");
  EXPECT_EQ(names[0x80], "");
}

TEST(ApplyDifferences, NumbersSetTheCodeNamesAdvanceIt) {
  TPDFStructure store;
  auto* diffs = static_cast<TPDFArray*>(store.ParseObject("[32 /space /exclam 65 /A (skip) /B -1 /neg 255 /last /over]"));
  ASSERT_NE(diffs, nullptr);
  TGlyphNames names = Encoding(kStandardEncoding);
  names[34] = "keep";
  ApplyDifferences(names, diffs);
  EXPECT_EQ(names[32], "space");
  EXPECT_EQ(names[33], "exclam");
  EXPECT_EQ(names[34], "keep");
  EXPECT_EQ(names[65], "A");
  EXPECT_EQ(names[66], "B");  // the string is skipped without taking a code
  EXPECT_EQ(names[255], "last");
  ApplyDifferences(names, nullptr);
  // A huge start code followed by names never wraps into range.
  auto* huge = static_cast<TPDFArray*>(store.ParseObject("[4294967295 /x /y]"));
  TGlyphNames before = names;
  ApplyDifferences(names, huge);
  EXPECT_EQ(names, before);
}

TEST(UnicodeLookups, WinAnsiCodesAndGlyphNames) {
  EXPECT_EQ(UnicodeToWinAnsiCode(0x20AC), 128);
  EXPECT_EQ(UnicodeToWinAnsiCode(0xFB01), 0);  // fi has no WinAnsi code
  EXPECT_EQ(UnicodeToWinAnsiCode(0x0041), 65);
  EXPECT_EQ(UnicodeToWinAnsiCode(0x2022), 149);
  EXPECT_EQ(UnicodeToWinAnsiCode(0x00A0), 0);
  EXPECT_EQ(UnicodeToWinAnsiCode(0x4E00), 0);
  std::string name = "unchanged";
  EXPECT_TRUE(UnicodeToGlyphName(0x0041, name));
  EXPECT_EQ(name, "A");
  EXPECT_TRUE(UnicodeToGlyphName(0x03B1, name));  // only the Symbol font has alpha
  EXPECT_EQ(name, "alpha");
  EXPECT_TRUE(UnicodeToGlyphName(0x2212, name));  // the Latin table comes first
  EXPECT_EQ(name, "minus");
  name = "unchanged";
  EXPECT_FALSE(UnicodeToGlyphName(0x4E00, name));
  EXPECT_EQ(name, "unchanged");
}

TEST(EncodingConversions, WinAnsiAndUnicode) {
  TGlyphNames names;
  names.fill(".notdef");
  names[65] = "A";
  names[66] = "Euro";
  names[67] = "CID:233";  // no glyph of that name: the number is the Unicode value (e acute)
  names[68] = "fi";
  std::array<std::string, 256> chars;
  EncodingToWinAnsi(names, chars);
  EXPECT_EQ(chars[65], "A");
  EXPECT_EQ(chars[66], "\x80");
  EXPECT_EQ(chars[67], "\xE9");
  EXPECT_EQ(chars[68], std::string(1, '\0'));
  EXPECT_EQ(chars[0], std::string(1, '\0'));
  names[69] = "CID:x";
  EXPECT_THROW(EncodingToWinAnsi(names, chars), EConvertError);

  std::array<std::u16string, 256> wide;
  EncodingToUnicode(names, wide);
  EXPECT_EQ(wide[65], u"A");
  EXPECT_EQ(wide[66], u"\u20AC");
  EXPECT_EQ(wide[68], u"\uFB01");
  EXPECT_EQ(wide[0], std::u16string(1, u'\0'));
}

TEST(StandardGlyphIndex, OneBasedCaseSensitive) {
  EXPECT_EQ(StandardGlyphIndex("A"), 1);
  EXPECT_EQ(StandardGlyphIndex("AE"), 2);
  EXPECT_EQ(StandardGlyphIndex("zero"), 229);
  EXPECT_STREQ(StandardGlyphTable[static_cast<size_t>(StandardGlyphIndex("ae") - 1)].Name, "ae");
  EXPECT_EQ(StandardGlyphIndex("uni0041"), 0);
  EXPECT_EQ(StandardGlyphIndex("Alpha"), 0);
  EXPECT_EQ(StandardGlyphIndex(""), 0);
  EXPECT_EQ(StandardGlyphMacRomanCode(StandardGlyphIndex("Adieresis")), 128);
  EXPECT_EQ(StandardGlyphMacRomanCode(StandardGlyphIndex("Euro")), -1);
  EXPECT_EQ(StandardGlyphMacRomanCode(StandardGlyphIndex("space")), 32);
  EXPECT_EQ(StandardGlyphMacRomanCode(0), -1);
  EXPECT_EQ(StandardGlyphMacRomanCode(230), -1);
}

struct FontWidth {
  int font;
  const char* name;
  double width;
};

// Published metrics of the standard fonts.
TEST(GetStandardFontWidths, KnownWidths) {
  const FontWidth cases[] = {
      {1, "A", 600},  {2, "A", 600},  {4, "Euro", 600}, {5, "A", 667},  {5, "space", 278},
      {5, "quotesingle", 191}, {5, "W", 944}, {5, "m", 833}, {6, "A", 722}, {7, "A", 722},
      {8, "A", 667}, {9, "A", 722},  {9, "space", 250}, {9, "W", 944}, {9, "m", 778},
      {9, "quotesingle", 180}, {10, "a", 500}, {11, "A", 611}, {12, "A", 667}, {5, "uni0041", 750},
      {9, "", 750}, {13, "Alpha", 722}, {13, "Delta", 612}, {13, "A", 750}, {13, "Euro", 750},
  };
  for (const auto& c : cases) {
    TGlyphNames names;
    names.fill(".notdef");
    names[65] = c.name;
    TEncodingWidths widths{};
    GetStandardFontWidths(c.font, names, widths);
    EXPECT_EQ(widths[65], c.width) << c.font << " " << c.name;
  }
}

TEST(GetStandardFontWidths, CourierIsFixedPitch) {
  for (int font = 1; font <= 4; ++font)
    for (size_t i = 0; i < StandardWidthTable[static_cast<size_t>(font - 1)].size(); ++i)
      EXPECT_EQ(StandardWidthTable[static_cast<size_t>(font - 1)][i], 600) << StandardGlyphTable[i].Name;
}

TEST(GetStandardFontWidths, DingbatsFillCodes32To254Only) {
  TGlyphNames names;
  TEncodingWidths widths;
  widths.fill(5);
  GetStandardFontWidths(14, names, widths);
  EXPECT_EQ(widths[31], 5);
  EXPECT_EQ(widths[32], 278);
  EXPECT_EQ(widths[33], 974);
  EXPECT_EQ(widths[254], 918);
  EXPECT_EQ(widths[255], 5);
  widths.fill(5);
  GetStandardFontWidths(15, names, widths);
  GetStandardFontWidths(0, names, widths);
  EXPECT_TRUE(std::all_of(widths.begin(), widths.end(), [](double w) { return w == 5; }));
}

TEST(GetStandardFontWidths, WinAnsiEncodedHelvetica) {
  const auto names = Encoding(kWinAnsiEncoding);
  TEncodingWidths widths{};
  GetStandardFontWidths(5, names, widths);
  EXPECT_EQ(widths[32], 278);
  EXPECT_EQ(widths[128], 556);  // Euro
  EXPECT_EQ(widths[129], 350);  // an unassigned code is a bullet
  EXPECT_EQ(widths[0], 750);    // .notdef is not a standard glyph
}

}  // namespace
