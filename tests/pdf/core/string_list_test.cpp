#include "pdf/core/string_list.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/rtl/streams.h"

namespace {

std::vector<std::string> Strings(const TTalvoPDFStringList& l) {
  std::vector<std::string> v;
  for (int i = 0; i < l.Count(); ++i) v.push_back(l.Get(i));
  return v;
}

}  // namespace

TEST(StringList, SortedWithoutDuplicatesIgnoresCase) {
  TTalvoPDFStringList l;
  l.SetSorted(true);
  EXPECT_EQ(l.Add("b"), 0);
  EXPECT_EQ(l.Add("a"), 0);
  EXPECT_EQ(l.Add("B"), 1);  // equal to "b" without regard to case: not added
  EXPECT_EQ(Strings(l), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(l.IndexOf("A"), 0);
  EXPECT_EQ(l.IndexOf("c"), -1);
}

TEST(StringList, SortedWithDuplicatesFindsTheLeftmost) {
  TTalvoPDFStringList l;
  l.SetDuplicates(1);
  l.SetSorted(true);
  for (const char* s : {"m", "B", "b", "a", "b", "z"}) l.Add(s);
  EXPECT_EQ(l.Count(), 6);
  int index = -1;
  EXPECT_TRUE(l.Find("b", index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(l.Find("c", index));
  EXPECT_EQ(index, 4);
}

TEST(StringList, CaseSensitiveListComparesBytes) {
  TTalvoPDFCaseSensitiveStringList l;
  l.SetSorted(true);
  l.Add("b");
  l.Add("a");
  l.Add("B");
  EXPECT_EQ(Strings(l), (std::vector<std::string>{"B", "a", "b"}));
  EXPECT_EQ(l.IndexOf("A"), -1);
  TTalvoPDFCaseSensitiveStringList u;
  u.Add("Abc");
  u.Add("abc");
  EXPECT_EQ(u.IndexOf("abc"), 1);
  EXPECT_EQ(u.IndexOf(""), -1);
  u.Add("");
  EXPECT_EQ(u.IndexOf(""), 2);
}

TEST(StringList, ObjectsAndIndexesOutOfRange) {
  TTalvoPDFStringList l;
  int x = 0, y = 0;
  l.AddObject("one", &x);
  l.AddObject("two", TTalvoPDFStringList::IntToObject(42));
  l.InsertObject(0, "zero", &y);
  l.Insert(5, "ignored");
  l.Insert(3, "three");
  EXPECT_EQ(Strings(l), (std::vector<std::string>{"zero", "one", "two", "three"}));
  EXPECT_EQ(l.GetObject(1), &x);
  EXPECT_EQ(TTalvoPDFStringList::ObjectToInt(l.GetObject(2)), 42);
  EXPECT_EQ(l.IndexOfObject(&y), 0);
  EXPECT_EQ(l.IndexOfObject(nullptr), 3);
  EXPECT_EQ(l.GetObject(-1), nullptr);
  EXPECT_EQ(l.Get(4), "");
  l.Delete(9);
  l.Put(-1, "x");
  l.Exchange(0, 7);
  l.Exchange(0, 3);
  l.Put(1, "uno");
  l.Delete(2);
  EXPECT_EQ(Strings(l), (std::vector<std::string>{"three", "uno", "zero"}));
}

TEST(StringList, NameValuePairs) {
  TTalvoPDFStringList l;
  l.Add("Width");
  l.Add("Height=7");
  l.Add("width=12");
  l.Add("Width=13");
  EXPECT_EQ(l.IndexOfName("Width"), 2);
  EXPECT_EQ(l.GetValue("Width"), "12");
  EXPECT_EQ(l.GetValue("Height"), "7");
  EXPECT_EQ(l.GetValue("Depth"), "");
  EXPECT_EQ(l.IndexOfName("Heigh"), -1);
}

TEST(StringList, SortingWhenSwitchedOnAndAdversarialInput) {
  TTalvoPDFStringList l;
  for (const char* s : {"delta", "Alpha", "charlie", "bravo"}) l.Add(s);
  l.SetSorted(true);
  EXPECT_EQ(Strings(l), (std::vector<std::string>{"Alpha", "bravo", "charlie", "delta"}));
  l.SetSorted(false);
  l.Add("a");
  EXPECT_EQ(l.Get(4), "a");

  // Many equal and presorted items: the sort must stay shallow and correct.
  TTalvoPDFStringList big;
  for (int i = 0; i < 20000; ++i) big.Add(std::to_string(i % 7 == 0 ? 5 : 20000 - i));
  big.Sort();
  for (int i = 1; i < big.Count(); ++i) ASSERT_LE(big.CompareStrings(big.Get(i - 1), big.Get(i)), 0) << i;
}

TEST(StringList, SaveToStreamEndsEveryLineWithCrLf) {
  TTalvoPDFStringList l;
  l.Add("a");
  l.Add("");
  l.Add("b c");
  TMemoryStream s;
  l.SaveToStream(s);
  EXPECT_EQ(s.DataString(), "a\r\n\r\nb c\r\n");
  TTalvoPDFStringList other;
  other.Add("x");
  other.AddStrings(l);
  other.AddStrings(other);
  EXPECT_EQ(other.Count(), 8);
  other.Clear();
  EXPECT_EQ(other.Count(), 0);
}
