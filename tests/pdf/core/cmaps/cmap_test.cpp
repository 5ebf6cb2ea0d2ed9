#include "pdf/core/cmaps/cmap.h"

#include <gtest/gtest.h>

namespace {

TEST(CMap, CreatedEmpty) {
  TOrvanePDFLibraryCMap cmap;
  EXPECT_EQ(cmap.Kind, TOrvanePDFLibraryCMap::kKindNone);
  EXPECT_FALSE(cmap.Identity());
  EXPECT_EQ(cmap.ParentIndex, -1);
  EXPECT_TRUE(cmap.Name.empty());
  EXPECT_EQ(cmap.MapCode(0), -1);
  cmap.SetIdentity();
  EXPECT_EQ(cmap.MapCode(0x1234), 0x1234);
  EXPECT_EQ(cmap.MapCode(0x7FFFFFFF), 0x7FFFFFFF);
  EXPECT_EQ(cmap.MapCode(0x80000000u), -1);  // no int holds it
}

TEST(CMap, MapCodeByKind) {
  TOrvanePDFLibraryCMap cmap;
  cmap.AddCidRange(0x8140, 0x817E, 633);
  cmap.AddBfRange(0x20, 0x7E, u"\u0041\u0300");
  EXPECT_EQ(cmap.MapCode(0x8141), -1);  // no /CMapType yet
  cmap.Kind = TOrvanePDFLibraryCMap::kKindCID;
  EXPECT_EQ(cmap.MapCode(0x8140), 633);
  EXPECT_EQ(cmap.MapCode(0x8141), 634);
  EXPECT_EQ(cmap.MapCode(0x817E), 633 + 0x3E);
  EXPECT_EQ(cmap.MapCode(0x817F), -1);
  EXPECT_EQ(cmap.MapCode(0x21), -1);
  cmap.Kind = TOrvanePDFLibraryCMap::kKindUnicode;
  EXPECT_EQ(cmap.MapCode(0x21), 0x42);
  EXPECT_EQ(cmap.MapCode(0x8140), -1);
  EXPECT_EQ(cmap.BfRanges()[0].Units[1], 0x0300);
  EXPECT_EQ(cmap.BfRanges()[0].Units[2], 0);
}

TEST(CMap, FirstRangeInCreationOrderWins) {
  for (bool overlapping : {false, true}) {
    TOrvanePDFLibraryCMap cmap;
    cmap.Kind = TOrvanePDFLibraryCMap::kKindCID;
    cmap.AddCidRange(100, 200, 1000);
    cmap.AddCidRange(0, 50, 2000);
    cmap.AddCidRange(60, 40, 5000);  // empty: holds nothing
    if (overlapping) cmap.AddCidRange(150, 300, 3000);
    EXPECT_EQ(cmap.MapCode(150), 1050);
    EXPECT_EQ(cmap.MapCode(0), 2000);
    EXPECT_EQ(cmap.MapCode(45), 2045);
    EXPECT_EQ(cmap.MapCode(55), -1);
    EXPECT_EQ(cmap.MapCode(250), overlapping ? 3100 : -1);
    // A range added after a lookup is seen by the next one.
    cmap.AddCidRange(55, 55, 7);
    EXPECT_EQ(cmap.MapCode(55), 7);
  }
}

TEST(CMap, AllCodesInOneRange) {
  TOrvanePDFLibraryCMap cmap;
  cmap.Kind = TOrvanePDFLibraryCMap::kKindCID;
  cmap.AddCidRange(0, 0xFFFFFFFF, 65535);
  EXPECT_EQ(cmap.CidRanges().size(), 1u);
  EXPECT_EQ(cmap.MapCode(1), 65536);
  EXPECT_EQ(cmap.MapCode(0xFFFFFFFF), -1);  // beyond an int
}

TEST(CMap, SectionsByCodeLengthAndWidth) {
  TOrvanePDFLibraryCMap cmap;
  cmap.AddMapping(2, 0x0041, "\x41");
  cmap.AddMapping(2, 0x0020, "\x20");
  cmap.AddMapping(2, 0x4E00, std::string("\x88\x9F", 2));
  cmap.AddMapping(1, 0x0041, "\x07");
  cmap.AddMapping(2, 0x0041, "\x42");  // after the equal code present
  cmap.AddMapping(2, 0x0050, "");      // neither one nor two bytes: ignored
  ASSERT_EQ(cmap.Sections().size(), 3u);
  EXPECT_EQ(cmap.Sections()[0]->Codes, (std::vector<uint32_t>{0x20, 0x41, 0x41}));
  EXPECT_EQ(cmap.Sections()[0]->Values, (std::vector<uint8_t>{0x20, 0x41, 0x42}));
  EXPECT_EQ(cmap.Sections()[1]->Width, 2);
  EXPECT_EQ(cmap.Lookup(2, 0x0041), 0x41);
  EXPECT_EQ(cmap.Lookup(2, 0x4E00), 0x889F);
  EXPECT_EQ(cmap.Lookup(1, 0x0041), 0x07);
  EXPECT_EQ(cmap.Lookup(0, 0x0041), 0x41);  // any section, creation order
  EXPECT_EQ(cmap.Lookup(1, 0x4E00), 0);
  EXPECT_EQ(cmap.Lookup(3, 0x0041), 0);
  cmap.Clear();
  EXPECT_TRUE(cmap.Sections().empty());
  EXPECT_EQ(cmap.Lookup(0, 0x0041), 0);
}

}  // namespace
