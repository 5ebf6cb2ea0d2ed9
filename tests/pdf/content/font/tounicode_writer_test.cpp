#include "pdf/content/font/tounicode_writer.h"

#include <gtest/gtest.h>

#include "pdf/content/font/pdf_font.h"
#include "pdf/core/objects/pdf_objects.h"

namespace {

TEST(ToUnicodeText, ReencodingCMapIsOneBlockOfCrLfLines) {
  TPDFStructure store;
  auto* differences = PDFCast<TPDFArray>(store.ParseObject("[128 /Euro /space 200 /afii10017]"));
  const std::string expected =
      "/CIDInit /ProcSet findresource begin\r\n12 dict begin\r\nbegincmap\r\n/CIDSystemInfo\r\n"
      "<< /Registry (Adobe)\r\n/Ordering ()\r\n/Supplement 0\r\n>> def\r\n/CMapName /Adobe--000 def\r\n"
      "/CMapType 2 def\r\n1 begincodespacerange\r\n<00> <FF>\r\nendcodespacerange\r\n3 beginbfchar\r\n"
      "<80> <20AC>\r\n<81> <0020>\r\n<C8> <0410>\r\n\r\nendbfchar\r\nendcmap\r\n"
      "CMapName currentdict /CMap defineresource pop\r\nend\r\nend";
  EXPECT_EQ(TPDFFont::WriteToUnicodeCMap(differences), expected);
  EXPECT_NE(TPDFFont::WriteToUnicodeCMap(nullptr).find("\r\n0 beginbfchar\r\n"), std::string::npos);
  // A name the glyph list does not know maps to nothing (not to U+0000), and the count says so.
  auto* unknown = PDFCast<TPDFArray>(store.ParseObject("[65 /A /nosuchglyphname /C]"));
  const std::string text = TPDFFont::WriteToUnicodeCMap(unknown);
  EXPECT_NE(text.find("\r\n2 beginbfchar\r\n<41> <0041>\r\n<43> <0043>\r\n\r\nendbfchar"), std::string::npos) << text;
}

TEST(ToUnicodeText, Type3CMapSplitsBlocksAtFifty) {
  TCodeUnicodePairs pairs;
  for (int i = 0; i < 120; ++i) pairs.emplace_back(uint8_t(i), uint16_t(0x400 + i));
  const std::string text = Type3ToUnicodeText(pairs);
  EXPECT_EQ(text.rfind("%!PS-Adobe-3.0 Resource-CMap\r/CIDInit /ProcSet findresource begin\n", 0), 0u);
  EXPECT_NE(text.find("50 beginbfchar\n<00> <0400>\n"), std::string::npos);
  EXPECT_NE(text.find("<31> <0431>\nendbfchar\n50 beginbfchar\n<32> <0432>\n"), std::string::npos);
  EXPECT_NE(text.find("endbfchar\n20 beginbfchar\n<64> <0464>\n"), std::string::npos);
  EXPECT_TRUE(text.ends_with("<77> <0477>\nendbfchar\n\nendcmap\nCMapName currentdict /CMap\ndefineresource pop\nend\nend"));
}

}  // namespace
