// Right-to-left text put in display order.
#include "pdf/content/metafile/text_reorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(TextReorder, DisplayOrderOfMixedText) {
  struct Case {
    std::u16string logical, display;
  };
  // Alef U+05D0, bet U+05D1, gimel U+05D2.
  const std::vector<Case> cases = {
      {u"plain text", u"plain text"},
      {u"\u05D0\u05D1\u05D2", u"\u05D2\u05D1\u05D0"},
      // Numbers keep their reading order inside the reversed run.
      {u"\u05D0\u05D1 12", u"12 \u05D1\u05D0"},
      {u"\u05D0 3.25", u"3.25 \u05D0"},
      // Brackets of the reversed run are mirrored.
      {u"\u05D0(\u05D1)", u"(\u05D1)\u05D0"},
      {u"\u05D0 (12)", u"(12) \u05D0"},
      // Left-to-right text before the first Hebrew letter stays where it is.
      {u"ab \u05D0\u05D1", u"ab \u05D1\u05D0"},
  };
  for (const Case& k : cases) {
    std::u16string text = k.logical;
    std::vector<double> advances;
    ReorderRightToLeft(text, advances);
    EXPECT_EQ(text, k.display) << std::string(k.logical.begin(), k.logical.end());
  }
}

TEST(TextReorder, AdvancesMoveWithTheirCharacters) {
  std::u16string text = u"\u05D0\u05D1\u05D2";
  std::vector<double> advances = {1, 2, 3};
  ReorderRightToLeft(text, advances);
  EXPECT_EQ(advances, (std::vector<double>{3, 2, 1}));
  // A shorter list is left as long as it was.
  std::u16string two = u"\u05D0\u05D1\u05D2";
  std::vector<double> one = {7};
  ReorderRightToLeft(two, one);
  EXPECT_EQ(one.size(), 1u);
}

}  // namespace
