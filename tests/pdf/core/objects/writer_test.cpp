// The exact PDF syntax each kind of object writes.
#include <gtest/gtest.h>

#include <limits>

#include "pdf/core/objects/pdf_objects.h"

namespace {

std::string Text(const TPDFObject* o) {
  std::string s = "stale";
  o->WriteToString(s);
  return s;
}

}  // namespace

TEST(PDFWriter, Scalars) {
  TPDFStructure st;
  EXPECT_EQ(Text(st.NewNull()), "null");
  EXPECT_EQ(Text(st.NewBoolean(true)), "true");
  EXPECT_EQ(Text(st.NewBoolean(false)), "false");
  EXPECT_EQ(Text(st.NewIndRef(12, 0)), "12 0 R");
  EXPECT_EQ(Text(st.NewIndRef(-3, 65535)), "-3 65535 R");
}

TEST(PDFWriter, NumbersFollowTheStoreDecimals) {
  TPDFStructure st;
  const struct { double v; const char* text; } four[] = {
      {0, "0"}, {1.5, "1.5"}, {-0.5, "-0.5"}, {100, "100"}, {0.25, "0.25"}, {0.00004, "0"},
      {std::numeric_limits<double>::quiet_NaN(), "0"}, {0.00025, "0.0003"}, {0.00035, "0.0003"}, {1.00005, "1.0001"},
  };
  for (const auto& c : four) EXPECT_EQ(Text(st.NewNumeric(c.v)), c.text) << c.v;
  st.Decimals = 0;
  EXPECT_EQ(Text(st.NewNumeric(2.5)), "2");
  EXPECT_EQ(Text(st.NewNumeric(3.5)), "4");
  st.Decimals = 8;
  EXPECT_EQ(Text(st.NewNumeric(0.123456789)), "0.12345679");
}

TEST(PDFWriter, Names) {
  TPDFStructure st;
  const struct { std::string name; const char* text; } cases[] = {
      {"Type", "/Type"},
      {"A B", "/A#20B"},
      {"A#B", "/A#23B"},
      {"", "/"},
      {"a/b(c)d%e[f]g{h}i<j>", "/a#2Fb#28c#29d#25e#5Bf#5Dg#7Bh#7Di#3Cj#3E"},
      {std::string("\x00\x7F\x80\xFF!~", 6), "/#00#7F#80#FF!~"},
  };
  for (const auto& c : cases) EXPECT_EQ(Text(st.NewName(c.name)), c.text) << c.name;
}

TEST(PDFWriter, Strings) {
  TPDFStructure st;
  EXPECT_EQ(Text(st.NewString("a(b)c\\", false)), "(a\\(b\\)c\\\\)");
  EXPECT_EQ(Text(st.NewString("\b\t\n\f\r", false)), "(\\b\\t\\n\\f\\r)");
  EXPECT_EQ(Text(st.NewString(std::string("\x01\x00\xE9", 3), false)), std::string("(\x01\x00\xE9)", 5));
  EXPECT_EQ(Text(st.NewString("", false)), "()");
  EXPECT_EQ(Text(st.NewString(std::string("\x00\xAB\x7f", 3), true)), "<00AB7F>");
  EXPECT_EQ(Text(st.NewString("", true)), "<>");
}

TEST(PDFWriter, Arrays) {
  TPDFStructure st;
  EXPECT_EQ(Text(st.NewArray()), "[ ]");
  EXPECT_EQ(Text(st.NewIntegerArray({1, 2})), "[ 1 2 ]");
  EXPECT_EQ(Text(st.NewArrayFromObjects({st.NewName("PDF"), st.NewString("x", true), st.NewNull()})),
            "[ /PDF <78> null ]");
  // Thirty numbers of three characters: the line breaks after the item that passes 80.
  std::vector<int> values(30, 100);
  const std::string text = Text(st.NewIntegerArray(values));
  std::string line = "[ ";
  for (int i = 0; i < 20; ++i) line += "100 ";
  std::string want = line + "\n";
  for (int i = 0; i < 10; ++i) want += "100 ";
  want += "]";
  EXPECT_EQ(text, want);
  // A dictionary item ends its own line, so no blank follows it.
  TPDFDictionary* d = st.NewDictionary();
  d->SetValue("A", st.NewNumeric(1));
  st.MultiLine = false;
  EXPECT_EQ(Text(st.NewArrayFromObjects({d, st.NewNumeric(2)})), "[ << /A 1 >>\n2 ]");
}

TEST(PDFWriter, Dictionaries) {
  TPDFStructure st;
  TPDFDictionary* page = st.NewDictionary();
  page->SetValue("Type", st.NewName("Page"));
  page->SetValue("Parent", st.NewIndRef(3, 0));
  EXPECT_EQ(Text(page), "<<\n/Type /Page\n/Parent 3 0 R\n>>\n");
  TPDFDictionary* one = st.NewDictionary();
  one->SetValue("Type", st.NewName("Page"));
  EXPECT_EQ(Text(one), "<<\n/Type /Page\n>>\n");
  EXPECT_EQ(Text(st.NewDictionary()), "<<\n>>\n");
  st.MultiLine = false;
  EXPECT_EQ(Text(one), "<< /Type /Page >>\n");
  EXPECT_EQ(Text(st.NewDictionary()), "<< >>\n");
  EXPECT_EQ(Text(page), "<<\n/Type /Page\n/Parent 3 0 R\n>>\n");  // two pairs: one per line anyway
  // A nested dictionary already ends its line.
  TPDFDictionary* outer = st.NewDictionary();
  outer->SetValue("Resources", one);
  outer->SetValue("Count", st.NewNumeric(1));
  EXPECT_EQ(Text(outer), "<<\n/Resources << /Type /Page >>\n/Count 1\n>>\n");
}

TEST(PDFWriter, Streams) {
  TPDFStructure st;
  TPDFStream* s = st.NewStream("q Q", false);
  EXPECT_EQ(Text(s), "<<\n/Length 3\n>>\nstream\nq Q\nendstream");
  s->Dictionary()->SetValue("LC", st.NewName("iBRL"));
  st.MultiLine = false;
  EXPECT_EQ(Text(s), "<<\n/Length 3\n/LC /iBRL\n>>\nstream\nq Q\nendstream");
}

TEST(PDFWriter, ContainersThatHoldThemselvesEndInNull) {
  TPDFStructure st;
  TPDFArray* a = st.NewArray();
  TPDFDictionary* d = st.NewDictionary();
  a->Add(d);
  d->SetValue("Self", d);  // refused
  EXPECT_EQ(d->Count(), 0);
  d->SetValue("Up", a);
  d->SetValue("Again", a);
  EXPECT_EQ(Text(a), "[ <<\n/Up null\n/Again null\n>>\n]");
  a->Renumber(5);  // must end as well
  a->Add(a);
  EXPECT_EQ(Text(a), "[ <<\n/Up null\n/Again null\n>>\nnull ]");
}

TEST(PDFWriter, AppendAndToString) {
  TPDFStructure st;
  std::string s = "x=";
  st.NewNumeric(1.25)->AppendToString(s);
  EXPECT_EQ(s, "x=1.25");
  EXPECT_EQ(st.NewName("N")->ToString(), "/N");
}
