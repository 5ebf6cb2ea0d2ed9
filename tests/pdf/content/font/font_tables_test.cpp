#include <gtest/gtest.h>

#include "pdf/content/font/code_page_differences.h"
#include "pdf/content/font/font_selection.h"
#include "pdf/content/font/pdf_font.h"
#include "pdf/content/font/standard_font_names.h"
#include "pdf/content/font/width_lookup.h"
#include "pdf/core/encodings/glyph_list.h"
#include "pdf/core/objects/pdf_objects.h"
#include "platform/rtl/code_pages.h"

namespace {

TEST(WidthLookup, FindsAfterUnsortedAdditions) {
  TTalvoPDFWidthLookup lookup;
  EXPECT_EQ(lookup.Find(65), 0);
  for (int c = 3000; c > 0; c -= 7) lookup.Add(uint16_t(c), c * 2);  // 3000, 2993, ... 4
  EXPECT_EQ(lookup.Find(2993), 5986);
  EXPECT_EQ(lookup.Find(4), 8);
  EXPECT_EQ(lookup.Find(6), 0);
  lookup.Add(6, 1);  // an addition after a search is found too
  lookup.Add(65535, 9);
  EXPECT_EQ(lookup.Find(6), 1);
  EXPECT_EQ(lookup.Find(65535), 9);
  EXPECT_EQ(lookup.Count(), 431);
}

TEST(StandardFontNames, AliasesNameTheStandardFonts) {
  const std::pair<const char*, int> cases[] = {
      {"Helvetica", 5},       {"Arial", 5},        {"Arial,Bold", 6}, {"TimesNewRoman", 9},
      {"TimesNewRomanPS", 9}, {"CourierNew", 1},   {"Symbol", 13},    {"ZapfDingbats", 14},
      {"Times-BoldItalic", 12}, {"arial", 0},      {"", 0},           {"Aria", 0},
  };
  for (const auto& [name, number] : cases) EXPECT_EQ(FindStandardFont(name), number) << name;
  EXPECT_EQ(StandardFontTrueTypeName(11), "TimesNewRoman,Italic");
  EXPECT_EQ(StandardFontTrueTypeName(12), "TimesNewRoman,BoldItalic");
  EXPECT_EQ(StandardFontTrueTypeName(0), "");
  EXPECT_EQ(StandardFontAliases(13), "Symbol*");
}

TEST(FontNames, StyleAndCodePageComeOffTheName) {
  const TFontNameParts a = ParseFontName("Arial {1251}");
  EXPECT_EQ(a.Face, "Arial");
  EXPECT_EQ(a.CodePage, 1251);
  EXPECT_FALSE(a.Bold);
  const TFontNameParts b = ParseFontName("Times New Roman,BoldItalic");
  EXPECT_EQ(b.Face, "Times New Roman");
  EXPECT_TRUE(b.Bold && b.Italic);
  const TFontNameParts c = ParseFontName("Courier New [Italic]{99999999}");
  EXPECT_EQ(c.Face, "Courier New");
  EXPECT_TRUE(c.Italic && !c.Bold);
  EXPECT_EQ(c.CodePage, 0);  // not a code page
  EXPECT_EQ(CodePageCharset(1251), 204);
  EXPECT_EQ(CodePageCharset(850), 255);
  EXPECT_EQ(CodePageCharset(65001), 1);
}

// Every code-page array names glyphs the glyph list knows, and each name's character is the
// code page's character at that code (Python's codecs wrote them; iconv checks them here).
TEST(CodePageDifferences, NamesMatchTheCodePagesCharacters) {
  TPDFStructure store;
  for (const int cp : {437, 850, 852, 874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258}) {
    SCOPED_TRACE(cp);
    const auto* array = PDFCast<TPDFArray>(store.ParseObject(CodePageDifferences(cp)));
    ASSERT_NE(array, nullptr);
    int code = -1, names = 0;
    for (const TPDFObject* item : array->Items()) {
      if (const auto* n = PDFCast<TPDFNumeric>(item)) {
        code = n->AsInteger();
        continue;
      }
      const auto* name = PDFCast<TPDFName>(item);
      ASSERT_NE(name, nullptr);
      ASSERT_GE(code, 128);
      ASSERT_LT(code, 256);
      const WideString ch = MultiByteToWideChar(uint32_t(cp), std::string(1, char(code)));
      EXPECT_EQ(GlyphNameToUnicode(name->Name()), ch.size() == 1 ? ch[0] : 0) << code << " " << name->Name();
      ++code;
      ++names;
    }
    EXPECT_GT(names, 60);
  }
  EXPECT_TRUE(CodePageDifferences(1200).empty());
}

}  // namespace
