// Text extraction renders (mode 5): the words of pages of shown text, in order, as poppler's
// pdftotext reads them, and the word rules of the showing operators.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "pdf/fonts/font_collection.h"
#include "pdf/render/funnel/text_funnel.h"
#include "pdf/render/renderer/renderer.h"
#include "platform/rtl/strings.h"
#include "tests/pdf/render/support/render_test_pdf.h"
#include "tests/support/test_support.h"

namespace {

using rendertest::TestPdf;

const std::string kFonts =
    "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >> "
    "/F2 << /Type /Font /Subtype /Type1 /BaseFont /Times-Roman /Encoding /WinAnsiEncoding >> >> >>";

std::vector<TPDFTextFunnelBlock> ExtractBlocks(TestPdf& pdf, int page, std::string* error = nullptr) {
  TPDFFontCollection fonts;
  fonts.SetFontPrograms(true);
  TPDFRenderer renderer(&fonts);
  renderer.Mode = kRenderTextExtraction;
  renderer.Page = pdf.Dict(page);
  renderer.RenderPage();
  if (error != nullptr) *error = renderer.ErrorText;
  return renderer.TextFunnel().Blocks;
}

std::vector<std::u16string> Extract(TestPdf& pdf, int page, std::string* error = nullptr) {
  std::vector<std::u16string> blocks;
  for (const auto& b : ExtractBlocks(pdf, page, error)) blocks.push_back(b.Text);
  return blocks;
}

// The text of a string shown in the font of object font, at 12 points on a page of its own.
std::vector<std::u16string> ExtractShown(TestPdf& pdf, int font, const std::string& shown) {
  const int page = pdf.AddPage("BT /F1 12 Tf 20 250 Td " + shown + " Tj ET",
                               "<< /Font << /F1 " + std::to_string(font) + " 0 R >> >>", "[0 0 400 300]");
  return Extract(pdf, page);
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

std::string Utf8(const std::vector<std::u16string>& blocks) {
  std::string out;
  for (const auto& b : blocks) out += WideToUtf8(b) + "\n";
  return out;
}

struct PageCase {
  const char* name;
  std::string content;
  std::string resources = kFonts;
};

// The page's words as we extract them and as pdftotext does.
void ExpectWordsOfPdftotext(TestPdf& pdf, int page) {
  std::string error;
  const std::string ours = Utf8(Extract(pdf, page, &error));
  EXPECT_EQ(error, "");
  testsupport::TempDir dir;
  pdf.WriteFile(dir.File("t.pdf"));
  std::string theirs;
  ASSERT_EQ(testsupport::Run("pdftotext -layout -enc UTF-8 " + dir.File("t.pdf") + " -", &theirs), 0);
  EXPECT_EQ(Words(ours), Words(theirs)) << "ours:\n" << ours << "pdftotext:\n" << theirs;
}

// Glyph names of Differences read as the Adobe glyph naming convention reads them: "uni" and
// "u" names, suffixes, ligatures of components; and their ill-formed neighbours, which stand for
// no character (the code itself is the text), each shown as a word of its own. (pdftotext
// reads lower-case digits and the first group of "uni0041D800" as well, which the convention
// does not: see GlyphNameToText's own cases.)
std::string GlyphNamePage() {
  const char* names[] = {"uni0416", "uni20AC", "u1F600", "u0041", "u10FFFF", "uni00410042", "uniFB01", "uni0041.sc",
                         "a.swash", "f_i", "uni004A_uni004B", "uni0041_bogus_B", "Zhecyrillic", "u110000",
                         "uD800", "uniD800", "uni004", "uni0041004", "u004", "u0041000", "bogus",
                         "uniE000"};
  std::string differences, shown;
  int code = 65;
  for (const char* name : names) {
    differences += std::string(" /") + name;
    shown += "<" + std::string(1, "0123456789ABCDEF"[code >> 4]) + "0123456789ABCDEF"[code & 15] + "20>";
    ++code;
  }
  return "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding << /BaseEncoding "
         "/WinAnsiEncoding /Differences [65" + differences + "] >> >> >> >>|BT /F1 12 Tf 20 250 Td [" + shown +
         "] TJ ET";
}

class ExtractionOracle : public testing::TestWithParam<PageCase> {};

TEST_P(ExtractionOracle, SameWordsInTheSameOrderAsPdftotext) {
  REQUIRE_TOOL("pdftotext");
  TestPdf pdf;
  const int page = pdf.AddPage(GetParam().content, GetParam().resources, "[0 0 400 300]");
  ExpectWordsOfPdftotext(pdf, page);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ExtractionOracle,
    testing::Values(
        PageCase{"lines", "BT /F1 12 Tf 20 250 Td (Hello world) Tj 0 -16 Td (Second line of text) Tj "
                          "0 -16 Td (Third, with punctuation!) Tj ET"},
        PageCase{"kerning", "BT /F1 14 Tf 20 250 Td [(Hel) -20 (lo) -30 (wor) 10 (ld)] TJ ET"},
        PageCase{"spaced_pieces", "BT /F2 12 Tf 20 250 Td [(Left) -2000 (middle)] TJ 0 -20 Td (next) Tj ET"},
        PageCase{"two_columns", "BT /F1 10 Tf 20 250 Td (Column one) Tj 200 0 Td (Column two) Tj ET "
                                "BT /F1 10 Tf 20 230 Td (Below one) Tj ET"},
        PageCase{"word_spacing", "BT /F1 12 Tf 5 Tw 20 250 Td (wide word spacing here) Tj ET"},
        PageCase{"character_spacing", "BT /F1 12 Tf 0.5 Tc 20 250 Td (spaced out) Tj 0 -20 Td 3 Tc (wide) Tj ET"},
        PageCase{"separate_shows", "BT /F1 12 Tf 20 250 Td (Split) Tj ( across) Tj ( shows) Tj ET"},
        PageCase{"scaled_and_moved", "1 0 0 1 30 -20 cm BT /F2 20 Tf 20 200 Td (Large) Tj /F2 8 Tf 0 -30 Td "
                                     "(small print) Tj ET"},
        PageCase{"glyph_names", GlyphNamePage().substr(GlyphNamePage().find('|') + 1),
                 GlyphNamePage().substr(0, GlyphNamePage().find('|'))}),
    [](const testing::TestParamInfo<PageCase>& info) { return std::string(info.param.name); });

// An embedded TrueType font flagged symbolic draws each code's own glyph, yet the standard
// encoding its dictionary names (with any Differences) says which characters its codes are;
// without ToUnicode those are its text. The same font not flagged symbolic beside it.
TEST(TextExtraction, SymbolicTrueTypeFontsReadThroughTheirEncoding) {
  REQUIRE_TOOL("pdftotext");
  const std::string program = rendertest::GeneratorFont("truetype");
  if (program.empty()) GTEST_SKIP() << "needs fontTools";
  const std::string shown = "BT /F1 12 Tf 20 250 Td (ABC DEFGH \\200\\351\\237 \\225) Tj ET";
  for (const char* flags : {"4", "32"})
    for (const char* encoding : {"/WinAnsiEncoding", "/MacRomanEncoding",
                                 "<< /BaseEncoding /WinAnsiEncoding /Differences [66 /uni0416 /Euro 70 /f_f] >>", "",
                                 "<< /Differences [66 /uni0416 /Euro 70 /f_f] >>"}) {
      SCOPED_TRACE(std::string(flags) + " " + encoding);
      TestPdf pdf;
      const int file = pdf.AddStream("<< >>", program);
      const int descriptor = pdf.Add("<< /Type /FontDescriptor /FontName /DiffTT /Flags " + std::string(flags) +
                                     " /FontBBox [0 -100 900 800] /ItalicAngle 0 /Ascent 800 /Descent -200 "
                                     "/CapHeight 700 /StemV 80 /FontFile2 " + std::to_string(file) + " 0 R >>");
      const int font = pdf.Add("<< /Type /Font /Subtype /TrueType /BaseFont /DiffTT /FirstChar 32 /LastChar 72 "
                               "/Widths [300 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 800 700 "
                               "400 700 800 800 900 800] /FontDescriptor " + std::to_string(descriptor) +
                               " 0 R" + (*encoding != 0 ? std::string(" /Encoding ") + encoding : "") + " >>");
      const int page = pdf.AddPage(shown, "<< /Font << /F1 " + std::to_string(font) + " 0 R >> >>", "[0 0 400 300]");
      ExpectWordsOfPdftotext(pdf, page);
    }
}

TEST(TextExtraction, WordRulesAndTheTextMatrix) {
  struct Case {
    const char* what;
    std::string content;
    std::vector<std::u16string> blocks;
  } cases[] = {
      {"one string, one block", "BT /F1 12 Tf 20 250 Td (ab cd) Tj ET", {u"ab cd"}},
      {"lines are blocks", "BT /F1 12 Tf 20 250 Td (ab) Tj 0 -20 Td (cd) Tj ET", {u"ab", u"cd"}},
      {"the text matrix moves after a show", "BT /F1 12 Tf 20 250 Td (ab) Tj (cd) Tj ET", {u"abcd"}},
      {"font size 0 shows nothing", "BT /F1 0 Tf 20 250 Td (ab) Tj ET", {}},
      {"control characters read as spaces", "BT /F1 12 Tf 20 250 Td (a\\001b) Tj ET", {u"a b"}},
      {"invisible text is still text", "BT /F1 12 Tf 3 Tr 20 250 Td (hidden) Tj ET", {u"hidden"}},
  };
  for (const Case& c : cases) {
    TestPdf pdf;
    const int page = pdf.AddPage(c.content, kFonts, "[0 0 400 300]");
    EXPECT_EQ(Extract(pdf, page), c.blocks) << c.what;
  }
}

// A ToUnicode CMap written with cid blocks gives the text of its codes.
TEST(TextExtraction, ToUnicodeWrittenWithCidBlocks) {
  TestPdf pdf;
  const int cmap = pdf.AddStream("<< >>", "/CIDInit /ProcSet findresource begin 12 dict begin begincmap "
                                          "1 begincodespacerange <00> <FF> endcodespacerange "
                                          "1 begincidchar <01> <0041> endcidchar "
                                          "1 begincidrange <02> <03> <0042> endcidrange endcmap");
  const int font = pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /ToUnicode " +
                           std::to_string(cmap) + " 0 R >>");
  EXPECT_EQ(ExtractShown(pdf, font, "<010203>"), (std::vector<std::u16string>{u"ABC"}));
}

// A composite font's ToUnicode CMap is read by the shown code, not by the CID or glyph the
// code maps to (here A is CID 5 and B is CID 65, the code of A).
TEST(TextExtraction, CompositeTextByTheShownCode) {
  TestPdf pdf;
  const int encoding = pdf.AddStream("<< /Type /CMap /CMapName /Test-H >>",
                                     "begincmap /CMapName /Test-H def /CMapType 1 def 1 begincodespacerange <00> <FF> "
                                     "endcodespacerange 2 begincidrange <41> <41> 5 <42> <42> 65 endcidrange endcmap");
  const int toUnicode = pdf.AddStream("<< >>", "begincmap 1 begincodespacerange <00> <FF> endcodespacerange "
                                               "2 beginbfchar <41> <0078> <42> <0079> endbfchar endcmap");
  const int cid = pdf.Add("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /Test /CIDSystemInfo << /Registry (Adobe) "
                          "/Ordering (Identity) /Supplement 0 >> /DW 500 >>");
  const int font = pdf.Add("<< /Type /Font /Subtype /Type0 /BaseFont /Test /Encoding " + std::to_string(encoding) +
                           " 0 R /ToUnicode " + std::to_string(toUnicode) + " 0 R /DescendantFonts [" +
                           std::to_string(cid) + " 0 R] >>");
  EXPECT_EQ(ExtractShown(pdf, font, "(AB)"), (std::vector<std::u16string>{u"xy"}));
}

// A Type 3 font without ascent and descent gives its words a box from 0.2 em below the baseline
// to 0.6 em above it; a rise lifts the box by its own length in text space, whatever the font's
// matrix.
TEST(TextExtraction, Type3WordsAreFourFifthsOfAnEmHigh) {
  for (const int rise : {0, 10, -3}) {
    SCOPED_TRACE("rise " + std::to_string(rise));
    TestPdf pdf;
    const int glyph = pdf.AddStream("<< >>", "1000 0 0 0 1000 1000 d1 0 0 m 1000 0 l 1000 1000 l h f");
    const int font = pdf.Add("<< /Type /Font /Subtype /Type3 /FontBBox [0 0 0 0] /FontMatrix [0.001 0 0 0.001 0 0] "
                             "/CharProcs << /a " + std::to_string(glyph) + " 0 R >> /Encoding << /Differences [97 /a] >> "
                             "/FirstChar 97 /LastChar 97 /Widths [1000] >>");
    const int page = pdf.AddPage("2 0 0 2 0 0 cm BT /F1 20 Tf " + std::to_string(rise) + " Ts 20 100 Td (aa) Tj ET",
                                 "<< /Font << /F1 " + std::to_string(font) + " 0 R >> >>", "[0 0 400 300]");
    std::string error;
    const auto blocks = ExtractBlocks(pdf, page, &error);
    EXPECT_EQ(error, "");
    ASSERT_EQ(blocks.size(), 1u);
    // Size 20 on a page scaled twice: 16 points high in user space, 32 on the device; the rise
    // twice its length on the device.
    EXPECT_NEAR(blocks[0].Start.Y, 200 - 8 + 2 * rise, 1e-6);
    EXPECT_NEAR(blocks[0].UpperStart.Y - blocks[0].Start.Y, 32, 1e-6);
  }
}

// Word spacing moves what follows the one-byte code 32, as on the drawn page, and nothing
// after another code that reads as a blank.
TEST(TextExtraction, WordSpacingFollowsCode32) {
  std::vector<double> x[2];
  for (const int tw : {0, 1}) {
    TestPdf pdf;
    const int page = pdf.AddPage("BT /F1 10 Tf " + std::to_string(tw) + " Tw 20 250 Td (a\\001b c) Tj ET", kFonts,
                                 "[0 0 400 300]");
    const auto blocks = ExtractBlocks(pdf, page);
    ASSERT_EQ(blocks.size(), 1u);
    ASSERT_EQ(blocks[0].Text, u"a b c");
    x[tw] = blocks[0].Positions;
    ASSERT_EQ(x[tw].size(), 5u);
  }
  EXPECT_NEAR(x[1][2], x[0][2], 1e-9);      // b, after code 1
  EXPECT_NEAR(x[1][4], x[0][4] + 1, 1e-9);  // c, after code 32
}

// With the funnel's colour flag each word carries its fill colour, and words of two colours on
// one line are two blocks; without it they join.
TEST(TextExtraction, WordsCarryTheirFillColourWhenTheFunnelAsks) {
  const std::string content =
      "BT /F1 12 Tf 20 250 Td 1 0 0 rg (Red) Tj 0 0 1 rg ( Blue) Tj 0 -20 Td 0 1 0.5 0.25 k (Ink) Tj "
      "0 -20 Td /Sp cs 0.5 sc (Spot) Tj 0 -20 Td 0.5 g (Grey) Tj ET";
  const std::string resources =
      "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >> >> "
      "/ColorSpace << /Sp [/Separation /Spot /DeviceCMYK << /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] "
      "/C1 [1 0 0 0.5] /N 1 >>] >> >>";
  for (const uint8_t flag : {uint8_t{0}, uint8_t{1}}) {
    TestPdf pdf;
    const int page = pdf.AddPage(content, resources, "[0 0 400 300]");
    TPDFFontCollection fonts;
    fonts.SetFontPrograms(true);
    TPDFRenderer renderer(&fonts);
    renderer.Mode = kRenderTextExtraction;
    renderer.TextFunnel().ColorFlag = flag;
    renderer.Page = pdf.Dict(page);
    renderer.RenderPage();
    std::vector<std::pair<std::u16string, std::string>> blocks;
    for (const auto& b : renderer.TextFunnel().Blocks) blocks.emplace_back(b.Text, b.Attributes[2]);
    if (flag == 0) {
      EXPECT_EQ(blocks, (std::vector<std::pair<std::u16string, std::string>>{
                            {u"Red Blue", ""}, {u"Ink", ""}, {u"Spot", ""}, {u"Grey", ""}}));
    } else {
      // 0.5 x 255 = 127.5 rounds to 128 (80), 0.25 x 255 = 63.75 to 64 (40); the spot's tint
      // 0.5 gives the inks (0.5, 0, 0, 0.25).
      EXPECT_EQ(blocks, (std::vector<std::pair<std::u16string, std::string>>{{u"Red", "#FF0000"},
                                                                             {u" Blue", "#0000FF"},
                                                                             {u"Ink", "00FF8040"},
                                                                             {u"Spot", "80000040"},
                                                                             {u"Grey", "#808080"}}));
    }
  }
}

TEST(TextExtraction, TextColourComponentsAreInksOrBytesOverTheirMost) {
  TPDFFontCollection fonts;
  TPDFRenderer renderer(&fonts);
  TPDFGraphicsState state;
  state.FillColor = 0x3366FF;  // red FF, green 66, blue 33
  std::string text;
  std::vector<double> components;
  // Outside text extraction, or without the flag, there is no colour text.
  renderer.TextColorText(state, text, components);
  EXPECT_EQ(text, "");
  EXPECT_TRUE(components.empty());
  renderer.Mode = kRenderTextExtraction;
  renderer.TextColorText(state, text, components);
  EXPECT_EQ(text, "");
  renderer.TextFunnel().ColorFlag = 1;
  renderer.TextColorText(state, text, components);
  EXPECT_EQ(text, "#FF6633");
  EXPECT_EQ(components, (std::vector<double>{1.0, 0x66 / 255.0, 0x33 / 255.0}));
  state.FillAlternateSpace = "DeviceCMYK";
  state.FillCMYK = {0.1, 0.2, 0.3, 1.0};
  renderer.TextColorText(state, text, components);
  EXPECT_EQ(text, "1A334CFF");  // 25.5 to 26, 51, 76.5 to 76, 255
  EXPECT_EQ(components, (std::vector<double>{0.1, 0.2, 0.3, 1.0}));
  // Inks beyond 0..1 keep two digits each in the text; the components stay as given.
  state.FillCMYK = {0, 0, -0.5, 2};
  renderer.TextColorText(state, text, components);
  EXPECT_EQ(text, "000000FF");
  EXPECT_EQ(components, (std::vector<double>{0, 0, -0.5, 2}));
}

}  // namespace
