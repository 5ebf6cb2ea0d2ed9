// The text funnel's joining rules, word by word.
#include <gtest/gtest.h>

#include <string>

#include "pdf/render/funnel/text_funnel.h"

namespace {

const TPDFMatrix kIdentity = {1, 0, 0, 1, 0, 0};

// A word of size-12 text at (x, y), each character 6 units wide.
void Add(TPDFTextFunnel& f, const std::u16string& word, double x, double y, const TPDFMatrix& m = kIdentity,
         const std::string& font = "F") {
  std::vector<double> offsets;
  for (size_t i = 0; i < word.size(); ++i) offsets.push_back(x + 6.0 * double(i));
  f.AddText(m, word, offsets, 6.0 * double(word.size()), 12, x, y, 12, font, "");
}

std::vector<std::u16string> Texts(const TPDFTextFunnel& f) {
  std::vector<std::u16string> out;
  for (const auto& b : f.Blocks) out.push_back(b.Text);
  return out;
}

using Texts_ = std::vector<std::u16string>;

TEST(TextFunnel, JoinsBySpacingOnOneBaseline) {
  struct Case {
    const char* what;
    double gap;  // between the first word's end and the second's start, in font sizes
    bool separate;
    Texts_ expected;
  } cases[] = {
      {"half a size apart: one space", 0.5, false, {u"abc def"}},
      {"a tenth apart: no space", 0.1, false, {u"abcdef"}},
      {"touching", 0, false, {u"abcdef"}},
      {"two sizes apart: new block", 2, false, {u"abc", u"def"}},
      {"separate words, half apart", 0.5, true, {u"abc", u"def"}},
      {"separate words, a tenth apart", 0.1, true, {u"abcdef"}},
  };
  for (const Case& c : cases) {
    TPDFTextFunnel f;
    f.SeparateWords = c.separate;
    Add(f, u"abc", 10, 100);
    Add(f, u"def", 10 + 18 + c.gap * 12, 100);
    EXPECT_EQ(Texts(f), c.expected) << c.what;
  }
}

// A negative font size (mirrored text) measures the distances by its size: its words join as
// those of the positive size do.
TEST(TextFunnel, ANegativeFontSizeJoinsByItsSize) {
  TPDFTextFunnel f;
  const std::vector<double> abc = {10, 16, 22}, def = {34, 40, 46};
  f.AddText(kIdentity, u"abc", abc, 18, 12, 10, 100, -12, "F", "");
  f.AddText(kIdentity, u"def", def, 18, 12, 34, 100, -12, "F", "");
  f.AddText(kIdentity, u"gh", {53.2, 59.2}, 12, 12, 53.2, 100, -12, "F", "");
  EXPECT_EQ(Texts(f), (Texts_{u"abc defgh"}));
}

TEST(TextFunnel, BlocksKeepPositionsAndEnds) {
  TPDFTextFunnel f;
  Add(f, u"ab", 10, 100);
  Add(f, u"cd", 28, 100);  // 6 units (half a size) after "ab" ends at 22
  ASSERT_EQ(f.Blocks.size(), 1u);
  const TPDFTextFunnelBlock& b = f.Blocks[0];
  EXPECT_EQ(b.Text, u"ab cd");
  EXPECT_EQ(b.Positions, (std::vector<double>{10, 16, 22, 28, 34}));
  EXPECT_DOUBLE_EQ(b.End.X, 40);
  EXPECT_DOUBLE_EQ(b.End.Y, 100);
  EXPECT_DOUBLE_EQ(b.UpperEnd.Y, 112);
}

TEST(TextFunnel, AttributesOrientationAndSwitches) {
  {
    TPDFTextFunnel f;  // another font does not join
    Add(f, u"abc", 10, 100, kIdentity, "F1");
    Add(f, u"def", 28, 100, kIdentity, "F2");
    EXPECT_EQ(f.Blocks.size(), 2u);
    f.IgnoreAttribute[1] = 1;
    Add(f, u"ghi", 46 + 6, 100, kIdentity, "F3");
    EXPECT_EQ(Texts(f), (Texts_{u"abc", u"def ghi"}));
  }
  {
    TPDFTextFunnel f;  // a turned word does not join a level one
    Add(f, u"abc", 10, 100);
    Add(f, u"def", 28, 100, {0.999, 0.01, -0.01, 0.999, 0, 0});
    EXPECT_EQ(f.Blocks.size(), 2u);
  }
  {
    TPDFTextFunnel f;  // may-join off: a new block even when touching; back on afterwards
    Add(f, u"abc", 10, 100);
    f.SetWordBoundary(0);
    Add(f, u"def", 28, 100);
    Add(f, u"ghi", 46, 100);
    EXPECT_EQ(Texts(f), (Texts_{u"abc", u"defghi"}));
  }
  {
    TPDFTextFunnel f;  // horizontal only
    f.HorizontalOnly = 1;
    Add(f, u"up", 10, 10, {0, 1, -1, 0, 0, 0});
    EXPECT_TRUE(f.Blocks.empty());
  }
}

TEST(TextFunnel, DuplicatesAndClipping) {
  {
    TPDFTextFunnel f;  // fake bold: the same word twice, a hair apart
    f.DropDuplicates = 1;
    Add(f, u"bold", 10, 100);
    Add(f, u"bold", 10.3, 100);
    Add(f, u"   ", 40, 100);
    EXPECT_EQ(Texts(f), (Texts_{u"bold"}));
  }
  {
    TPDFTextFunnel f;  // without the flag the copy, starting inside the block, joins it
    Add(f, u"bold", 10, 100);
    Add(f, u"bold", 10.3, 100);
    EXPECT_EQ(Texts(f), (Texts_{u"boldbold"}));
  }
  {
    TPDFTextFunnel f;
    f.Clip = 1;
    f.ClipLeft = 20, f.ClipRight = 40, f.ClipBottom = 50, f.ClipTop = 150;
    Add(f, u"out", 10, 100);   // origin left of the clip
    Add(f, u"low", 25, 10);    // below
    Add(f, u"in", 25, 100);
    EXPECT_EQ(Texts(f), (Texts_{u"in"}));
    f.Clear();
    f.ClipPerCharacter = 1;
    Add(f, u"abcdefgh", 10, 100);  // characters at 10, 16, ..., 52: 22, 28 and 34 lie inside
    EXPECT_EQ(Texts(f), (Texts_{u"cde"}));
  }
}

}  // namespace
