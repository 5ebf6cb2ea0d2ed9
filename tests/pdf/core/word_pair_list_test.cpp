#include "pdf/core/word_pair_list.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

TEST(WordPairList, SortAndFindAgainstAMap) {
  TZRXWordPairList l;
  std::map<uint16_t, uint16_t> first;
  std::mt19937 rng(7);
  for (int i = 0; i < 5000; ++i) {
    const auto key = static_cast<uint16_t>(rng() % 3000), value = static_cast<uint16_t>(rng());
    l.Add(key, value);
    first.emplace(key, value);
  }
  l.Sort();
  for (int i = 1; i < l.Count(); ++i) ASSERT_LE(l.Key(i - 1), l.Key(i));
  for (uint16_t key = 0; key < 3100; ++key) {
    const uint16_t v = l.Find(key);
    const auto it = first.find(key);
    ASSERT_EQ(l.Found(), it != first.end()) << key;
    if (it == first.end()) {
      EXPECT_EQ(v, 0);
    } else {
      // Equal keys may come out of the shell sort in any order; the value is one of them.
      bool seen = false;
      for (int i = 0; i < l.Count(); ++i) seen |= l.Key(i) == key && l.Value(i) == v;
      EXPECT_TRUE(seen) << key;
    }
  }
}

TEST(WordPairList, EmptyAndSingle) {
  TZRXWordPairList l;
  l.Sort();
  EXPECT_EQ(l.Find(5), 0);
  EXPECT_FALSE(l.Found());
  l.Add(0xFFFF, 9);
  l.Sort();
  EXPECT_EQ(l.Find(0xFFFF), 9);
  EXPECT_TRUE(l.Found());
}

TEST(SortedUniqueIntegerList, KeepsOrderAndDistinctness) {
  TZRXSortedUniqueIntegerList l;
  for (int v : {5, -3, 9, 5, 0, -3}) l.Add(v);
  ASSERT_EQ(l.Count(), 4);
  EXPECT_EQ(l.Item(0), -3);
  EXPECT_EQ(l.Item(3), 9);
  EXPECT_EQ(l.IndexOf(5), 2);
  EXPECT_EQ(l.IndexOf(4), -1);
  l.Remove(0);
  EXPECT_FALSE(l.Contains(0));
}
