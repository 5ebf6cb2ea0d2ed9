// Type 3 fonts drawn from installed outlines: codes, names, procedures and the ToUnicode CMap.
#include <gtest/gtest.h>

#include "pdf/content/font/pdf_font.h"
#include "pdf/core/cmaps/cmap.h"
#include "tests/pdf/content/font/font_test_store.h"
#include "tests/support/test_support.h"

namespace {

using fonttest::FontStore;

class Type3FontFixture : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(testsupport::FontsPinned()); }
  FontStore fonts;
};

TEST_F(Type3FontFixture, TwoLettersTakeTheirAnsiCodes) {
  TPDFFont font(&fonts.store, "T1");
  ASSERT_TRUE(font.WriteType3Font("Arial", 0, true, u"AB"));
  EXPECT_EQ(font.Kind(), 6);
  EXPECT_EQ(font.FirstChar, 65);
  EXPECT_EQ(font.LastChar, 66);
  const auto* encoding = PDFCast<TPDFDictionary>(fonts.Resolve(font.Dict(), "Encoding"));
  ASSERT_NE(encoding, nullptr);
  EXPECT_EQ(encoding->GetValue("Differences")->ToString(), "[ 65 /TalvoPDF0041 /TalvoPDF0042 ]");
  EXPECT_EQ(font.Dict()->GetValue("FontMatrix")->ToString(), "[ 0.001 0 0 0.001 0 0 ]");
  EXPECT_EQ(font.Dict()->GetValue("Widths")->ToString(), "[ 667 667 ]");
  const std::string toUnicode = FontStore::Decoded(fonts.Resolve(font.Dict(), "ToUnicode"));
  EXPECT_NE(toUnicode.find("2 beginbfchar\n<41> <0041>\n<42> <0042>\nendbfchar\n\nendcmap"), std::string::npos);

  const auto* procs = PDFCast<TPDFDictionary>(fonts.Resolve(font.Dict(), "CharProcs"));
  ASSERT_NE(procs, nullptr);
  const std::string a = FontStore::Decoded(fonts.Resolve(procs, "TalvoPDF0041"));
  // Advance, then the glyph's box: Liberation Sans' "A" spans about 0..668 by 0..688.
  int wx = 0, wy = 1, llx = 0, lly = 0, urx = 0, ury = 0;
  ASSERT_EQ(std::sscanf(a.c_str(), "%d %d %d %d %d %d d1\n", &wx, &wy, &llx, &lly, &urx, &ury), 6) << a;
  EXPECT_EQ(wx, 667);
  EXPECT_EQ(wy, 0);
  EXPECT_NEAR(llx, 0, 5);
  EXPECT_EQ(lly, 0);
  EXPECT_NEAR(urx, 668, 5);
  EXPECT_NEAR(ury, 688, 5);
  EXPECT_NE(a.find(" m\n"), std::string::npos);
  EXPECT_TRUE(a.ends_with("h\nf\n")) << a;
  EXPECT_EQ(a.find("q\n"), std::string::npos);  // nothing but the path after d1: no colour, width or dash
  EXPECT_EQ(a.find("rg"), std::string::npos) << a;
  EXPECT_EQ(a.find("RG"), std::string::npos) << a;
  EXPECT_EQ(a.find(" d\n"), std::string::npos) << a;

  EXPECT_EQ(font.EncodeText(u"BAC"), "BA");  // no glyph for C
  EXPECT_EQ(font.GetCharWidth(u'B'), 667);
  EXPECT_EQ(font.GetCharWidth(u'C'), 0);
}

// Characters outside the ANSI code page, and a second use of a taken slot, get the highest
// free slots; each character gets one glyph however often it is given.
TEST_F(Type3FontFixture, OtherCharactersTakeTheHighestFreeSlots) {
  TPDFFont font(&fonts.store, "T1");
  ASSERT_TRUE(font.WriteType3Font("DejaVu Sans [Bold]", 0, false, u"\u0416\u00FF\u0416a\u20AC\u0443"));
  EXPECT_EQ(font.EncodeText(u"\u0416\u00FFa\u20AC\u0443"), "\xFF\xFE" "a\xFD\xFC");
  EXPECT_EQ(font.Dict()->GetValue("FontMatrix")->ToString(), "[ 1 0 0 1 0 0 ]");
  const auto* encoding = PDFCast<TPDFDictionary>(fonts.Resolve(font.Dict(), "Encoding"));
  EXPECT_EQ(encoding->GetValue("Differences")->ToString(),
            "[ 97 /TalvoPDF0061 252 /TalvoPDF0443 /TalvoPDF20AC /TalvoPDF00FF /TalvoPDF0416 ]");
  EXPECT_EQ(font.FirstChar, 97);
  EXPECT_EQ(font.LastChar, 255);
  EXPECT_EQ(font.Widths.size(), 159u);
  EXPECT_EQ(font.CodeToUnicode(0xFF), 0x0416);
  // A character below 256 that the ANSI code page lacks takes the default character's slot;
  // "?" itself then goes to the highest free slot.
  TPDFFont other(&fonts.store, "T2");
  ASSERT_TRUE(other.WriteType3Font("DejaVu Sans", 0, false, u"\u0081?"));
  EXPECT_EQ(other.EncodeText(u"\u0081?"), "?\xFF");
}

TEST_F(Type3FontFixture, ManyCharactersWriteSeveralBfcharBlocks) {
  std::u16string chars;
  for (char16_t c = 0x410; c < 0x410 + 64; ++c) chars += c;  // the Cyrillic alphabet
  TPDFFont font(&fonts.store, "T1");
  ASSERT_TRUE(font.WriteType3Font("DejaVu Sans", 204, true, chars));
  const std::string toUnicode = FontStore::Decoded(fonts.Resolve(font.Dict(), "ToUnicode"));
  EXPECT_NE(toUnicode.find("50 beginbfchar\n"), std::string::npos);
  EXPECT_NE(toUnicode.find("14 beginbfchar\n"), std::string::npos);
  EXPECT_EQ(font.FirstChar, 192);
  EXPECT_EQ(font.EncodeText(u"\u0410"), "\xFF");
}

}  // namespace
