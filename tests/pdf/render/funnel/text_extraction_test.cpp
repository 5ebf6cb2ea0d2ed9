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

std::vector<std::u16string> Extract(TestPdf& pdf, int page, std::string* error = nullptr) {
  TPDFFontCollection fonts;
  fonts.SetFontPrograms(true);
  TPDFRenderer renderer(&fonts);
  renderer.Mode = kRenderTextExtraction;
  renderer.Page = pdf.Dict(page);
  renderer.RenderPage();
  if (error != nullptr) *error = renderer.ErrorText;
  std::vector<std::u16string> blocks;
  for (const auto& b : renderer.TextFunnel().Blocks) blocks.push_back(b.Text);
  return blocks;
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
};

class ExtractionOracle : public testing::TestWithParam<PageCase> {};

TEST_P(ExtractionOracle, SameWordsInTheSameOrderAsPdftotext) {
  REQUIRE_TOOL("pdftotext");
  TestPdf pdf;
  const int page = pdf.AddPage(GetParam().content, kFonts, "[0 0 400 300]");
  std::string error;
  const std::string ours = Utf8(Extract(pdf, page, &error));
  EXPECT_EQ(error, "");
  testsupport::TempDir dir;
  pdf.WriteFile(dir.File("t.pdf"));
  std::string theirs;
  ASSERT_EQ(testsupport::Run("pdftotext -layout -enc UTF-8 " + dir.File("t.pdf") + " -", &theirs), 0);
  EXPECT_EQ(Words(ours), Words(theirs)) << "ours:\n" << ours << "pdftotext:\n" << theirs;
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
                                     "(small print) Tj ET"}),
    [](const testing::TestParamInfo<PageCase>& info) { return std::string(info.param.name); });

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

}  // namespace
