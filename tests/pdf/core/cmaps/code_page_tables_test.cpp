#include "pdf/core/cmaps/code_page_tables.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "pdf/core/cmaps/predefined_cmaps.h"
#include "tests/support/test_support.h"

namespace {

TEST(CodePageTables, FirstEntriesAndCache) {
  for (int cp : {932, 936, 949, 950}) {
    TZRXWordPairList* table = LoadCodePageTable(cp);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(LoadCodePageTable(cp), table);
    EXPECT_EQ(table->Find(0), 0xFFFD) << cp;
    EXPECT_EQ(table->Find(1), 0x0020) << cp;
    EXPECT_EQ(table->Find(2), 0x0021) << cp;
    for (int i = 1; i < table->Count(); ++i) ASSERT_LT(table->Key(i - 1), table->Key(i));
  }
  EXPECT_EQ(LoadCodePageTable(1252), LoadCodePageTable(932));
  EXPECT_EQ(LoadCodePageTable(950)->Find(1), 0x20);
  // The sizes of the Adobe collections.
  EXPECT_GE(LoadCodePageTable(932)->Count(), 23058);
  EXPECT_GE(LoadCodePageTable(936)->Count(), 30284);
  EXPECT_GE(LoadCodePageTable(949)->Count(), 18352);
  EXPECT_GE(LoadCodePageTable(950)->Count(), 19088);
  // Hiragana a, the first hangul syllable, the ideograph one.
  EXPECT_EQ(LoadCodePageTable(932)->Find(842), 0x3041);
  EXPECT_EQ(LoadCodePageTable(949)->Find(1086), 0xAC00);
  EXPECT_EQ(LoadCodePageTable(950)->Find(595), 0x4E00);
  LoadCodePageTable(932)->Find(65535);
  EXPECT_FALSE(LoadCodePageTable(932)->Found());
}

// The code page's CMap takes a double-byte code to a CID and the table takes that to Unicode;
// Python's codec decodes the same bytes. Vendor variants (the wave dash, compatibility
// ideographs, vertical forms) differ by design, so agreement is asked of nearly all codes;
// user-defined areas (private-use characters) have no CID and are left out.
struct CodePage {
  int cp;
  const char* codec;
  const char* cmap;
};

TEST(CodePageTables, AgreeWithPythonCodecsThroughTheirCMaps) {
  REQUIRE_TOOL("python3");
  const CodePage pages[] = {{932, "cp932", "90ms-RKSJ-H"},
                            {936, "cp936", "GBK-EUC-H"},
                            {949, "cp949", "KSCms-UHC-H"},
                            {950, "cp950", "ETenms-B5-H"}};
  for (const auto& page : pages) {
    std::string out;
    // Every seventh double-byte code the codec decodes to one character.
    const std::string script = std::string("import sys\nfor hi in range(0x81, 0xFF):\n for lo in range(0x40, 0xFF, 7):\n"
                                           "  try: s = bytes([hi, lo]).decode('") +
                               page.codec + "')\n  except Exception: continue\n  if len(s) == 1 and ord(s) < 0x10000 and not 0xE000 <= ord(s) < 0xF900: "
                                            "print(hi * 256 + lo, ord(s))\n";
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.File("sample.py"), script);
    ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("sample.py"), &out), 0);
    const auto chain = LoadPredefinedCMapChain(page.cmap);
    TZRXWordPairList* table = LoadCodePageTable(page.cp);
    std::istringstream in(out);
    int total = 0, agree = 0;
    for (uint32_t code, u; in >> code >> u;) {
      ++total;
      const int cid = MapCodeThroughChain(chain, code);
      if (cid >= 0 && cid <= 0xFFFF && table->Find(static_cast<uint16_t>(cid)) == u) ++agree;
    }
    EXPECT_GT(total, 1000) << page.codec;
    EXPECT_GE(agree, total * 97 / 100) << page.codec << ": " << agree << " of " << total;
  }
}

}  // namespace
