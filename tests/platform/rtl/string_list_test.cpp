#include <gtest/gtest.h>

#include "platform/rtl/exceptions.h"
#include "platform/rtl/string_list.h"
#include "tests/support/test_support.h"

namespace {

std::vector<std::string> Lines(const TStrings& s) {
  std::vector<std::string> out;
  for (int i = 0; i < s.Count(); ++i) out.push_back(s[i]);
  return out;
}

TEST(StringList, TextSplitsAtEveryLineBreakKindAndJoinsWithCrLf) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"\r\n", {""}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}},  // LF then CR: two breaks
  };
  for (const auto& c : cases) {
    TStringList l;
    l.SetText(c.text);
    EXPECT_EQ(Lines(l), c.lines) << c.text;
  }
  TStringList l;
  l.Add("x");
  l.Add("");
  l.Add("y z");
  EXPECT_EQ(l.Text(), "x\r\n\r\ny z\r\n");
}

TEST(StringList, FilesRoundTripAndMissingFilesRaise) {
  testsupport::TempDir dir;
  TStringList l;
  l.Add("C:/images/master.jpg");
  l.Add("-");
  l.Add("X--X");
  l.SaveToFile(Utf8ToWide(dir.File("Velmora.cfg")));
  EXPECT_EQ(testsupport::ReadFile(dir.File("Velmora.cfg")), "C:/images/master.jpg\r\n-\r\nX--X\r\n");
  TStringList r;
  r.LoadFromFile(Utf8ToWide(dir.File("Velmora.cfg")));
  EXPECT_TRUE(r.Equals(l));
  EXPECT_THROW(r.LoadFromFile(Utf8ToWide(dir.File("missing.cfg"))), EFOpenError);
}

TEST(StringList, NamesAndValues) {
  TStringList l;
  l.Add("TCategoryButtons=scrollbar");
  l.Add("TLMDEDIT=Edit");
  l.Add("novalue");
  EXPECT_EQ(l.IndexOfName("tlmdedit"), 1);
  EXPECT_EQ(l.Values("TCATEGORYBUTTONS"), "scrollbar");
  EXPECT_EQ(l.Names(2), "");
  EXPECT_EQ(l.ValueFromIndex(1), "Edit");
  l.SetValue("TLMDEDIT", "combobox");
  EXPECT_EQ(l[1], "TLMDEDIT=combobox");
  l.SetValue("TLMDEDIT", "");
  EXPECT_EQ(l.Count(), 2);
  l.SetValue("New", "v");
  EXPECT_EQ(l[2], "New=v");
}

TEST(StringList, SortedListsFindAndHandleDuplicates) {
  TStringList l;
  l.SetSorted(true);
  for (const char* s : {"pear", "Apple", "fig", "apple"}) l.Add(s);
  EXPECT_EQ(Lines(l), (std::vector<std::string>{"Apple", "fig", "pear"}));  // dupIgnore, case-insensitive
  int index = -1;
  EXPECT_TRUE(l.Find("FIG", index));
  EXPECT_EQ(index, 1);
  EXPECT_FALSE(l.Find("grape", index));
  EXPECT_EQ(index, 2);
  EXPECT_THROW(l.Insert(0, "x"), EListError);
  l.SetDuplicates(dupError);
  EXPECT_THROW(l.Add("PEAR"), EListError);
  l.SetDuplicates(dupAccept);
  l.Add("PEAR");
  EXPECT_EQ(l.Count(), 4);
}

TEST(StringList, IndexErrorsAndUpdateNotifications) {
  TStringList l;
  int changes = 0;
  l.OnChange = [&] { ++changes; };
  l.Add("a");
  EXPECT_EQ(changes, 1);
  l.BeginUpdate();
  l.Add("b");
  l.Add("c");
  l.Delete(0);
  EXPECT_EQ(changes, 1);
  l.EndUpdate();
  EXPECT_EQ(changes, 2);
  EXPECT_THROW(l.Get(2), EListError);
  EXPECT_THROW(l.Delete(-1), EListError);
  try {
    l.Get(7);
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (7)");
  }
}

TEST(StringList, CommaTextQuotesWhatNeedsIt) {
  TStringList l;
  l.Add("plain");
  l.Add("two words");
  l.Add("say \"hi\"");
  l.Add("");
  EXPECT_EQ(l.CommaText(), "plain,\"two words\",\"say \"\"hi\"\"\",\"\"");
  TStringList r;
  r.SetCommaText(l.CommaText());
  EXPECT_TRUE(r.Equals(l));
  r.SetCommaText("a b,c,");
  EXPECT_EQ(Lines(r), (std::vector<std::string>{"a", "b", "c", ""}));
}

TEST(StringList, ObjectsMoveWithTheirStrings) {
  TStringList l;
  int one = 1, two = 2;
  l.AddObject("one", &one);
  l.AddObject("two", &two);
  l.Exchange(0, 1);
  EXPECT_EQ(l[0], "two");
  EXPECT_EQ(l.Objects(0), &two);
  l.Move(0, 1);
  EXPECT_EQ(l.Objects(1), &two);
  EXPECT_EQ(l.IndexOfObject(&one), 0);
  TStringList copy;
  copy.Assign(l);
  EXPECT_EQ(copy.Objects(1), &two);
}

}  // namespace
