#include "pdf/content/font/pdf_font.h"

#include <gtest/gtest.h>

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

}  // namespace
