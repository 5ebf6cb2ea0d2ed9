#include "pdf/content/font/pdf_font.h"

#include <gtest/gtest.h>

#include "pdf/core/cmaps/cmap.h"
#include "pdf/core/objects/pdf_objects.h"

namespace {

class StandardFontFixture : public ::testing::Test {
 protected:
  StandardFontFixture() {
    store.OnMakeIndirect = [this](TPDFObject*, int& num, int& gen) {
      num = ++next;
      gen = 0;
    };
  }
  TPDFStructure store;
  int next = 0;
};

// Measuring widths of the standard fonts (published metrics), by WinAnsi code.
TEST_F(StandardFontFixture, LatinFontsMeasureByWinAnsiCode) {
  TPDFFont helvetica(&store, "F1");
  ASSERT_TRUE(helvetica.WriteStandardFont("Helvetica", 5));
  EXPECT_EQ(helvetica.FirstChar, 24);
  EXPECT_EQ(helvetica.LastChar, 255);
  EXPECT_EQ(helvetica.GetCodeWidth('A'), 667);
  EXPECT_EQ(helvetica.GetCodeWidth(' '), 278);
  EXPECT_EQ(helvetica.GetCodeWidth(160), 278);  // the no-break space measures as the space
  EXPECT_EQ(helvetica.GetCodeWidth(128), 556);  // Euro
  EXPECT_EQ(helvetica.GetCodeWidth(255), 500);  // ydieresis
  EXPECT_EQ(helvetica.GetCodeWidth(129), 0);    // no glyph
  EXPECT_EQ(helvetica.GetCodeWidth(24), 0);
  EXPECT_EQ(helvetica.GetCodeWidth(23), 0);     // below FirstChar

  TPDFFont times(&store, "F2");
  ASSERT_TRUE(times.WriteStandardFont("Times-Roman", 9));
  EXPECT_EQ(times.GetCodeWidth('A'), 722);
  EXPECT_EQ(times.GetCodeWidth(' '), 250);
  TPDFFont timesItalic(&store, "F3");
  ASSERT_TRUE(timesItalic.WriteStandardFont("Times-Italic", 11));
  EXPECT_EQ(timesItalic.GetCodeWidth('A'), 611);

  TPDFFont courier(&store, "F4");
  ASSERT_TRUE(courier.WriteStandardFont("Courier", 1));
  for (int code = 32; code < 256; ++code)
    if (code != 127 && code != 129 && code != 141 && code != 143 && code != 144 && code != 157 &&
        code != 173) {  // the soft hyphen has no glyph of its own
      EXPECT_EQ(courier.GetCodeWidth(code), 600) << code;
    }
}

TEST_F(StandardFontFixture, SymbolicFontsMeasureByTheirOwnCodes) {
  TPDFFont symbol(&store, "F1");
  ASSERT_TRUE(symbol.WriteStandardFont("Symbol", 13));
  EXPECT_EQ(symbol.FirstChar, 32);
  EXPECT_EQ(symbol.LastChar, 254);
  EXPECT_EQ(symbol.GetCodeWidth('A'), 722);  // Alpha
  EXPECT_EQ(symbol.GetCodeWidth(' '), 250);
  EXPECT_EQ(symbol.GetCodeWidth(0x80), 0);
  EXPECT_EQ(symbol.Dict()->GetValue("Encoding", false), nullptr);

  TPDFFont dingbats(&store, "F2");
  ASSERT_TRUE(dingbats.WriteStandardFont("ZapfDingbats", 14));
  EXPECT_EQ(dingbats.GetCodeWidth(32), 278);
  EXPECT_EQ(dingbats.GetCodeWidth(33), 974);
  EXPECT_EQ(dingbats.GetCodeWidth(254), 918);
  EXPECT_EQ(dingbats.GetCodeWidth(255), 0);
}

// Characters to codes and back, per standard font, through the font's CMap.
TEST_F(StandardFontFixture, CharactersEncodeAndMeasureThroughTheCMap) {
  TPDFFont helvetica(&store, "F1");
  ASSERT_TRUE(helvetica.WriteStandardFont("Helvetica", 5));
  EXPECT_EQ(helvetica.CMap().Lookup(2, 0x20AC), 128);
  EXPECT_EQ(helvetica.EncodeText(u"A\u20AC\u00E9\u0416"), "A\x80\xE9?");  // no Cyrillic in WinAnsi
  EXPECT_EQ(helvetica.GetCharWidth(u'A'), 667);
  EXPECT_EQ(helvetica.GetCharWidth(0xA0), 278);  // the no-break space as the space
  EXPECT_EQ(helvetica.GetCharWidth(0x20AC), 556);
  EXPECT_EQ(helvetica.GetCharWidth(0x0416), 0);
  EXPECT_EQ(helvetica.CodeToUnicode(128), 0x20AC);
  EXPECT_EQ(helvetica.CodeToUnicode(0x93), 0x201C);
  EXPECT_EQ(helvetica.CodeToUnicode(129), 0);
  EXPECT_EQ(helvetica.CodeToUnicode(256), 65535);
  EXPECT_EQ(helvetica.CodeToUnicode(-1), 65535);

  TPDFFont symbol(&store, "F2");
  ASSERT_TRUE(symbol.WriteStandardFont("Symbol", 13));
  EXPECT_EQ(symbol.CMap().Lookup(2, 0x03B1), 97);
  EXPECT_EQ(symbol.EncodeText(u"\u03B1\u03B2"), "ab");
  EXPECT_EQ(symbol.GetCharWidth(0x03B1), 631);

  TPDFFont dingbats(&store, "F3");
  ASSERT_TRUE(dingbats.WriteStandardFont("ZapfDingbats", 14));
  EXPECT_EQ(dingbats.EncodeText(u"!~"), "!~");
  EXPECT_EQ(dingbats.CodeToUnicode(33), 33);
}

TEST_F(StandardFontFixture, EncodingCMapFollowsTheBaseAndTheDifferences) {
  TPDFFont font(&store, "F1");
  font.SetEncodingCMap("MacRomanEncoding", nullptr);
  EXPECT_EQ(font.CodeToUnicode(0x80), 0x00C4);  // Adieresis
  EXPECT_EQ(font.CMap().Lookup(2, 0x00C4), 0x80);
  auto* differences = PDFCast<TPDFArray>(store.ParseObject("[ 65 /afii10017 /afii10018 200 /Euro /nosuchglyph 7 ]"));
  ASSERT_NE(differences, nullptr);
  font.SetEncodingCMap("WinAnsiEncoding", differences);
  EXPECT_EQ(font.CodeToUnicode(65), 0x0410);
  EXPECT_EQ(font.CodeToUnicode(66), 0x0411);
  EXPECT_EQ(font.CodeToUnicode(67), u'C');
  EXPECT_EQ(font.CodeToUnicode(200), 0x20AC);
  EXPECT_EQ(font.CodeToUnicode(201), 0);  // a name the glyph list does not know
  EXPECT_EQ(font.CodeToUnicode(128), 0x20AC);
  EXPECT_EQ(font.CMap().Lookup(2, 0x0410), 65);
  EXPECT_EQ(font.CMap().Lookup(2, u'A'), 0);
  ASSERT_EQ(font.CMap().CodespaceRanges().size(), 1u);
  EXPECT_EQ(font.CMap().CodespaceRanges()[0].Low, 32u);
  EXPECT_EQ(font.CMap().CodespaceRanges()[0].High, 255u);
}

// Widths by encoding: the same glyph sits at different codes, and the no-break space of each
// encoding measures as the space.
TEST(StandardWidths, EachEncodingPlacesTheGlyphsItHolds) {
  struct Case {
    uint8_t kind;
    int font, code, width;
  } cases[] = {
      {2, 5, 128, 556},  // WinAnsi Euro
      {2, 5, 160, 278},  // WinAnsi no-break space
      {1, 5, 128, 667},  // MacRoman Adieresis
      {1, 5, 202, 278},  // MacRoman no-break space
      {0, 5, 0xA1, 333}, // Standard exclamdown
      {0, 5, 128, 0},    // Standard has nothing there
      {3, 9, 0xA0, 500}, // PDFDoc Euro in Times
      {2, 1, 65, 600},   {2, 5, 24, 0},
      {2, 13, 97, 631},  // Symbol alpha, whatever the encoding kind
      {2, 14, 33, 974},  {2, 14, 255, 0},
  };
  for (const auto& c : cases) {
    const auto widths = TPDFFont::GetStandardWidths(c.kind, c.font);
    EXPECT_EQ(widths[size_t(c.code - 24)], c.width) << int(c.kind) << " " << c.font << " " << c.code;
  }
  EXPECT_EQ(TPDFFont::GetStandardWidths(4, 5), (std::array<int, 232>{}));
  EXPECT_EQ(TPDFFont::GetSymbolicWidths(13)[97 - 32], 631);
  EXPECT_EQ(TPDFFont::GetSymbolicWidths(14)[0], 278);
  EXPECT_EQ(TPDFFont::GetSymbolicWidths(5), (std::array<int, 223>{}));
}

TEST_F(StandardFontFixture, TwoByteWidthBlocks) {
  TPDFFont font(&store, "F1");
  std::string blocks(2 * 513, '\0');
  blocks[0] = 0x04;
  blocks[1 + 2 * 0x16] = 0x02;  // U+0416: 0x0258 = 600
  blocks[2 + 2 * 0x16] = 0x58;
  blocks[513] = 0x00;
  blocks[513 + 1 + 2 * 'A'] = 0x01;  // U+0041: 0x0100 = 256
  font.SetWidthBlocks(blocks + "trailing bytes");
  EXPECT_EQ(font.Kind(), 10);
  EXPECT_EQ(font.GetCharWidth(0x0416), 600);
  EXPECT_EQ(font.GetCharWidth(u'A'), 256);
  EXPECT_EQ(font.GetCharWidth(0x0417), 1000);  // a zero width
  EXPECT_EQ(font.GetCharWidth(0x3000), 1000);  // no block
}

}  // namespace
