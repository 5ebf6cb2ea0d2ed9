// The text funnel's joining rules, word by word.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "pdf/core/pdf_helpers.h"
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

// The block a word joins as the joining rule reads: every block from the first, the first that
// qualifies in the first pass, else the first in the second. -1 for none.
struct Choice {
  long block = -1;
  bool adjacent = false;
};

Choice ReadEveryBlock(const TPDFTextFunnel& f, const TPDFMatrix& m, double x, double y, double size,
                      const std::array<std::string, 3>& attributes) {
  const double ox = m[0] * x + m[2] * y + m[4], oy = m[1] * x + m[3] * y + m[5];
  const double s = std::fabs(size), k = f.JoinTolerance / 0.7;
  const long first = f.LastBlockOnly != 0 ? std::max(0L, long(f.Blocks.size()) - 1) : 0;
  auto same = [&](const TPDFTextFunnelBlock& b) {
    for (size_t i = 0; i < 3; ++i)
      if (f.IgnoreAttribute[i] == 0 && b.Attributes[i] != attributes[i]) return false;
    return true;
  };
  for (int pass = 1; pass <= 2; ++pass)
    for (long i = first; i < long(f.Blocks.size()); ++i) {
      const TPDFTextFunnelBlock& b = f.Blocks[size_t(i)];
      double d = std::hypot(ox - b.End.X, oy - b.End.Y);
      if (pass == 1 && ox > std::min(b.Start.X, b.End.X) && ox < std::max(b.Start.X, b.End.X) && oy == b.End.Y) d = 0;
      if (same(b) && d < (pass == 1 ? s / 10 : k * s)) return {i, pass == 1 || d < 0.15 * k * s};
    }
  return {};
}

// Many generated pages of words on shared baselines, on baselines a little apart, turned,
// mirrored, of several sizes and attributes, under each switch: every word joins the block
// that reading every block gives, with or without its space, or starts a new one.
TEST(TextFunnel, TheLineIndexFindsTheBlockThatReadingEveryBlockFinds) {
  std::mt19937 random(52);
  auto pick = [&](int n) { return int(random() % unsigned(n)); };
  const TPDFMatrix matrices[] = {kIdentity, {2, 0, 0, 2, 5, 0}, {0, 1, -1, 0, 300, 0}, {-1, 0, 0, 1, 600, 0},
                                 {1, 0, 0, -1, 0, 800}, {0.8, 0.6, -0.6, 0.8, 0, 0}};
  const double sizes[] = {12, 10, -12, 24, 0, 12, std::numeric_limits<double>::quiet_NaN()};
  const char* fonts[] = {"F", "G"};
  const char* colours[] = {"", "#FF0000"};
  const double tolerances[] = {0.7, 0.3, 2.5};
  long joined = 0, words = 0;
  for (int page = 0; page < 400; ++page) {
    TPDFTextFunnel f;
    f.SeparateWords = pick(3) == 0;
    f.LastBlockOnly = pick(8) == 0;
    for (auto& ignore : f.IgnoreAttribute) ignore = pick(4) == 0;
    f.JoinTolerance = tolerances[pick(3)];
    const int lines = 1 + pick(30);
    double x = 10;
    int line = 0;
    for (int w = 0; w < 150; ++w) {
      // Mostly on along the line, sometimes to another line or a little off it.
      if (pick(6) == 0) line = pick(lines), x = 10 + pick(400);
      const double size = sizes[pick(page % 3 == 0 ? 7 : 2)];
      double y = 700 - 14.0 * line;
      if (pick(10) == 0) y += (pick(2) ? 1 : -1) * 0.1 * pick(20);
      const TPDFMatrix& m = matrices[page % 4 == 0 ? pick(6) : 0];
      const std::u16string word(size_t(1 + pick(5)), char16_t(u'a' + pick(26)));
      const double width = 0.5 * std::fabs(size) * double(word.size());
      std::vector<double> offsets;
      for (size_t i = 0; i < word.size(); ++i) offsets.push_back(x + 0.5 * std::fabs(size) * double(i));
      const std::string font = fonts[pick(page % 2 == 0 ? 2 : 1)], colour = colours[pick(page % 5 == 0 ? 2 : 1)];
      const std::array<std::string, 3> attributes = {
          FormatPDFNumber(m[0], 4) + FormatPDFNumber(m[1], 4) + FormatPDFNumber(m[2], 4) + FormatPDFNumber(m[3], 4),
          font, colour};
      if (pick(20) == 0) f.SetWordBoundary(0);
      const Choice expected = f.MayJoin != 0 ? ReadEveryBlock(f, m, x, y, size, attributes) : Choice{};
      const size_t before = f.Blocks.size();
      const std::u16string previous = expected.block >= 0 ? f.Blocks[size_t(expected.block)].Text : u"";
      f.AddText(m, word, offsets, width, std::fabs(size), x, y, size, font, colour);
      ++words;
      if (expected.block < 0 || (!expected.adjacent && f.SeparateWords != 0)) {
        ASSERT_EQ(f.Blocks.size(), before + 1) << "page " << page << " word " << w;
      } else {
        ASSERT_EQ(f.Blocks.size(), before) << "page " << page << " word " << w;
        EXPECT_EQ(f.Blocks[size_t(expected.block)].Text, previous + (expected.adjacent ? u"" : u" ") + word)
            << "page " << page << " word " << w;
        ++joined;
      }
      x += width + std::fabs(size) * 0.1 * pick(15);
    }
  }
  // The pages hold both: words that join and words that start blocks.
  EXPECT_GT(joined, words / 4);
  EXPECT_LT(joined, words * 3 / 4);
}

}  // namespace
