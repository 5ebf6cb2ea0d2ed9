// The fonts this code writes, judged by poppler: pdffonts reads their type, embedding and
// ToUnicode, and pdftotext gets the text back through them.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <vector>

#include "pdf/content/font/pdf_font.h"
#include "tests/pdf/content/font/font_test_store.h"
#include "tests/support/test_support.h"

namespace {

using fonttest::FontStore;

struct PdfFontsRow {
  std::string type, emb, uni;
};

// pdffonts' rows by object number: the type, then the emb, sub, uni columns before the id.
std::map<int, PdfFontsRow> PdfFonts(const std::string& path) {
  std::string out;
  testsupport::Run("pdffonts " + path + " 2>&1", &out);
  std::map<int, PdfFontsRow> rows;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    if (w.size() < 7 || w[0].starts_with("---") || w[0] == "name") continue;
    const size_t n = w.size();
    std::string type = line.substr(37, 17);
    type.erase(type.find_last_not_of(' ') + 1);
    rows[std::stoi(w[n - 2])] = {type, w[n - 5], w[n - 3]};
  }
  return rows;
}

TEST(FontPoppler, WrittenFontsShowTheirTextAgain) {
  REQUIRE_TOOL("pdffonts");
  REQUIRE_TOOL("pdftotext");
  ASSERT_TRUE(testsupport::FontsPinned());
  FontStore fonts;
  TPDFFont helvetica(&fonts.store, "F1");
  ASSERT_TRUE(helvetica.WriteStandardFont("Helvetica", 5));
  TPDFFont cyrillic(&fonts.store, "F2");
  cyrillic.CompressFontFile = true;
  ASSERT_TRUE(cyrillic.WriteTrueTypeFont("Arial {1251}", true));
  TPDFFont latin(&fonts.store, "F3");
  ASSERT_TRUE(latin.WriteTrueTypeFont("Times New Roman,Bold", true));
  TPDFFont type3(&fonts.store, "F4");
  ASSERT_TRUE(type3.WriteType3Font("DejaVu Sans", 0, true, u"\u0416\u0443\u043A\u05D0\u20AC "));
  const std::string content = FontStore::ShowText(helvetica, u"Euro \u20AC", 10, 170) +
                              FontStore::ShowText(cyrillic, u"\u0416\u0443\u043A \u20AC", 10, 130) +
                              FontStore::ShowText(latin, u"caf\u00E9 \u201Cok\u201D", 10, 90) +
                              FontStore::ShowText(type3, u"\u20AC \u0416\u0443\u043A", 10, 50);
  testsupport::TempDir dir;
  const std::string path = dir.File("fonts.pdf");
  testsupport::WriteFile(path, fonts.OnePagePdf({&helvetica, &cyrillic, &latin, &type3}, content));

  const auto rows = PdfFonts(path);
  const struct {
    const TPDFFont* font;
    const char *type, *emb, *uni;
  } expected[] = {{&helvetica, "Type 1", "no", "no"},
                  {&cyrillic, "TrueType", "yes", "yes"},
                  {&latin, "TrueType", "yes", "no"},
                  {&type3, "Type 3", "yes", "yes"}};
  for (const auto& e : expected) {
    SCOPED_TRACE(e.font->Name());
    const auto it = rows.find(e.font->Ref()->TargetNumber());
    ASSERT_NE(it, rows.end());
    EXPECT_EQ(it->second.type, e.type);
    EXPECT_EQ(it->second.emb, e.emb);
    EXPECT_EQ(it->second.uni, e.uni);
  }

  std::string text;
  ASSERT_EQ(testsupport::Run("pdftotext -enc UTF-8 " + path + " - 2>&1", &text), 0) << text;
  EXPECT_NE(text.find("Euro \u20AC"), std::string::npos) << text;
  EXPECT_NE(text.find("\u0416\u0443\u043A \u20AC"), std::string::npos) << text;
  EXPECT_NE(text.find("caf\u00E9 \u201Cok\u201D"), std::string::npos) << text;
  EXPECT_NE(text.find("\u20AC \u0416\u0443\u043A"), std::string::npos) << text;
}

// Faces of CFF outlines in an OpenType file are embedded as OpenType font files, which poppler
// reads without complaint and draws: a face of letters, and the symbol face by its own codes.
TEST(FontPoppler, OpenTypeFacesOfCffOutlinesAreEmbeddedAsOpenType) {
  REQUIRE_TOOL("pdffonts");
  REQUIRE_TOOL("pdftoppm");
  REQUIRE_TOOL("pdftotext");
  FontStore fonts;
  TPDFFont letters(&fonts.store, "F1");
  ASSERT_TRUE(letters.WriteTrueTypeFont("Nimbus Sans", true));
  TPDFFont symbol(&fonts.store, "F2");
  symbol.CompressFontFile = true;
  ASSERT_TRUE(symbol.WriteTrueTypeFont("Symbol", true));
  for (const TPDFFont* font : {&letters, &symbol}) {
    const auto* descriptor = PDFCast<TPDFDictionary>(fonts.Resolve(font->Dict(), "FontDescriptor"));
    ASSERT_NE(descriptor, nullptr);
    const TPDFObject* file = fonts.Resolve(descriptor, "FontFile3");
    ASSERT_NE(file, nullptr) << font->BaseFont();
    EXPECT_EQ(FontStore::Decoded(file).substr(0, 4), "OTTO");
    EXPECT_EQ(fonts.Resolve(descriptor, "FontFile2"), nullptr);
  }
  const std::string content =
      FontStore::ShowText(letters, u"Sorted", 10, 120) + "BT /F2 40 Tf 10 40 Td <616263> Tj ET\n";
  testsupport::TempDir dir;
  const std::string path = dir.File("opentype.pdf");
  testsupport::WriteFile(path, fonts.OnePagePdf({&letters, &symbol}, content));

  std::string report;
  ASSERT_EQ(testsupport::Run("pdffonts " + path + " 2>&1", &report), 0) << report;
  ASSERT_EQ(report.find("Error"), std::string::npos) << report;
  const auto rows = PdfFonts(path);
  EXPECT_EQ(rows.size(), 2u) << report;
  for (const auto& [number, row] : rows) EXPECT_EQ(row.emb, "yes") << report;
  std::string errors;
  ASSERT_EQ(testsupport::Run("pdftoppm -r 72 -gray " + path + " " + dir.File("page") + " 2>&1", &errors), 0);
  EXPECT_EQ(errors, "");
  std::string text;
  ASSERT_EQ(testsupport::Run("pdftotext -enc UTF-8 " + path + " - 2>&1", &text), 0) << text;
  EXPECT_NE(text.find("Sorted"), std::string::npos) << text;
  // The symbol face's codes 61 62 63 are its alpha, beta and chi: ink where they stand.
  const std::string page = testsupport::ReadFile(dir.File("page-1.pgm"));
  ASSERT_GT(page.size(), 15u);
  const size_t header = page.find("255\n") + 4;
  ASSERT_EQ(page.size() - header, 400u * 200u);
  int dark = 0;
  for (size_t row = 120; row < 170; ++row)
    for (size_t x = 0; x < 400; ++x) dark += uint8_t(page[header + row * 400 + x]) < 128;
  EXPECT_GT(dark, 200);
}

}  // namespace
