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

}  // namespace
