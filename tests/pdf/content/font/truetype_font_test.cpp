// Installed TrueType fonts as font resources: the dictionaries, the measuring, and the embedded
// file judged by fontTools.
#include <gtest/gtest.h>

#include "pdf/content/font/pdf_font.h"
#include "pdf/core/cmaps/cmap.h"
#include "tests/pdf/content/font/font_test_store.h"
#include "tests/support/test_support.h"

namespace {

using fonttest::FontStore;

class TrueTypeFontFixture : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(testsupport::FontsPinned()); }
  TPDFDictionary* Descriptor(const TPDFFont& font) {
    return PDFCast<TPDFDictionary>(fonts.Resolve(font.Dict(), "FontDescriptor"));
  }
  // fontTools' reading of an embedded font file: its family name and glyph count, then, when
  // a collection member is given, whether every table holds the same bytes as that member's.
  std::string FontToolsSummary(const TPDFFont& font, const std::string& collection = "", int member = 0) {
    const std::string file = FontStore::Decoded(fonts.Resolve(Descriptor(font), "FontFile2"));
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.File("font.ttf"), file);
    const std::string script =
        "import sys\n"
        "from fontTools.ttLib import TTFont\n"
        "f = TTFont(sys.argv[1])\n"
        "glyphs = [f['glyf'][g] for g in f.getGlyphOrder()]\n"
        "print(f['name'].getDebugName(1), len(glyphs))\n"
        "if len(sys.argv) > 2:\n"
        "  o = TTFont(sys.argv[2], fontNumber=int(sys.argv[3]))\n"
        "  print(sorted(f.reader.keys()) == sorted(o.reader.keys()) and all(f.reader[t] == o.reader[t] for t in f.reader.keys()))\n";
    testsupport::WriteFile(dir.File("summary.py"), script);
    std::string out;
    testsupport::Run("/usr/bin/python3 " + dir.File("summary.py") + " " + dir.File("font.ttf") +
                         (collection.empty() ? "" : " " + collection + " " + std::to_string(member)) + " 2>&1",
                     &out);
    return out;
  }
  FontStore fonts;
};

// Metric-compatible faces stand in for Arial and Courier New: their published widths hold.
TEST_F(TrueTypeFontFixture, ReferencedFontMeasuresLikeItsFace) {
  TPDFFont arial(&fonts.store, "F1");
  ASSERT_TRUE(arial.WriteTrueTypeFont("Arial", false));
  EXPECT_EQ(arial.Kind(), 0);
  EXPECT_EQ(arial.Dict()->GetValueText("Subtype"), "TrueType");
  EXPECT_EQ(arial.Dict()->GetValueText("BaseFont"), "Arial");
  EXPECT_EQ(arial.Dict()->GetValueText("Encoding"), "WinAnsiEncoding");
  EXPECT_EQ(arial.FirstChar, 32);
  EXPECT_EQ(arial.LastChar, 255);
  EXPECT_EQ(arial.GetCodeWidth('A'), 667);
  EXPECT_EQ(arial.GetCharWidth(u'A'), 667);
  EXPECT_EQ(arial.GetCharWidth(0x20AC), 556);
  EXPECT_EQ(arial.GetCodeWidth(0x80), 556);
  EXPECT_EQ(arial.EncodeText(u"a\u20AC"), "a\x80");
  const TPDFDictionary* descriptor = Descriptor(arial);
  ASSERT_NE(descriptor, nullptr);
  EXPECT_EQ(descriptor->GetValue("Flags")->ToString(), "32");
  EXPECT_EQ(descriptor->GetValue("FontFile2"), nullptr);
  EXPECT_EQ(descriptor->GetValue("MissingWidth")->ToString(), "750");
  // The typographic ascent and descent of Liberation Sans (1491 and -431 of 2048 units).
  EXPECT_NEAR(arial.Ascent, 728, 1);
  EXPECT_NEAR(arial.Descent, -210, 1);

  TPDFFont bold(&fonts.store, "F2");
  ASSERT_TRUE(bold.WriteTrueTypeFont("Arial,Bold", false));
  EXPECT_EQ(bold.BaseFont(), "Arial,Bold");
  EXPECT_EQ(bold.GetCharWidth(u'A'), 722);

  TPDFFont courier(&fonts.store, "F3");
  ASSERT_TRUE(courier.WriteTrueTypeFont("Courier New [Italic]", false));
  EXPECT_EQ(courier.BaseFont(), "CourierNew,Italic");
  EXPECT_EQ(Descriptor(courier)->GetValue("Flags")->ToString(), "33");  // fixed pitch
  EXPECT_EQ(courier.GetCharWidth(u'i'), 600);
  EXPECT_LT(std::stod(Descriptor(courier)->GetValue("ItalicAngle")->ToString()), -5);
}

TEST_F(TrueTypeFontFixture, CodePageFontIsReencodedAndEmbedded) {
  TPDFFont font(&fonts.store, "F1");
  font.CompressFontFile = true;
  ASSERT_TRUE(font.WriteTrueTypeFont("Arial {1251}", true));
  EXPECT_EQ(font.Kind(), 3);
  EXPECT_EQ(font.BaseFont(), "Arial");
  const auto* encoding = PDFCast<TPDFDictionary>(font.Dict()->GetValue("Encoding"));
  ASSERT_NE(encoding, nullptr);
  EXPECT_EQ(encoding->GetValueText("BaseEncoding"), "WinAnsiEncoding");
  EXPECT_NE(font.Dict()->GetValue("ToUnicode"), nullptr);
  EXPECT_EQ(font.EncodeText(u"\u0416\u0443\u043A \u20AC"), "\xC6\xF3\xEA \x88");
  EXPECT_EQ(font.CodeToUnicode(0xC6), 0x0416);
  EXPECT_EQ(font.GetCharWidth(0x0416), font.GetCodeWidth(0xC6));
  EXPECT_GT(font.GetCharWidth(0x0416), 800);
  EXPECT_EQ(font.GetCharWidth(u'A'), 667);
  const std::string toUnicode = FontStore::Decoded(fonts.Resolve(font.Dict(), "ToUnicode"));
  EXPECT_NE(toUnicode.find("<C6> <0416>\r\n"), std::string::npos);

  const auto* file = PDFCast<TPDFStream>(fonts.Resolve(Descriptor(font), "FontFile2"));
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Dictionary()->GetValueText("Filter"), "FlateDecode");
  EXPECT_EQ(file->Dictionary()->GetValue("Length1")->ToString(), std::to_string(FontStore::Decoded(file).size()));
  EXPECT_EQ(FontToolsSummary(font).rfind("Liberation Sans ", 0), 0u) << FontToolsSummary(font);
}

// A code page that has no Differences list (932 here, whose single bytes beyond ASCII are
// half-width katakana) leaves the font WinAnsi, measured by WinAnsi's characters: the
// encoding cannot show the code page's characters at those codes.
TEST_F(TrueTypeFontFixture, CodePageWithoutDifferencesStaysWinAnsi) {
  TPDFFont font(&fonts.store, "F2");
  ASSERT_TRUE(font.WriteTrueTypeFont("Arial {932}", false));
  EXPECT_EQ(font.Dict()->GetValueText("Encoding"), "WinAnsiEncoding");
  EXPECT_EQ(font.Dict()->GetValue("ToUnicode"), nullptr);
  EXPECT_EQ(font.CodeToUnicode(0xC4), 0x00C4);
  EXPECT_EQ(font.GetCharWidth(0x00C4), font.GetCodeWidth(0xC4));
  EXPECT_EQ(font.GetCharWidth(u'A'), 667);
}

// A face from the middle of a collection is embedded with its table offsets counted from its
// own start, so that it reads as a font file of its own.
TEST_F(TrueTypeFontFixture, CollectionMemberIsSelfContained) {
  TPDFFont font(&fonts.store, "F1");
  ASSERT_TRUE(font.WriteTrueTypeFont("AR PL UMing TW", true));
  const std::string summary = FontToolsSummary(font, "/usr/share/fonts/truetype/arphic/uming.ttc", 2);
  EXPECT_EQ(summary.rfind("AR PL UMing TW ", 0), 0u) << summary;
  EXPECT_NE(summary.find("\nTrue\n"), std::string::npos) << summary;
}

}  // namespace
