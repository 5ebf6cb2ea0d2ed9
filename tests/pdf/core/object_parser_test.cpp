#include "pdf/core/object_parser.h"

#include <gtest/gtest.h>

#include <random>

#include "pdf/core/objects/pdf_objects.h"

namespace {

struct ParseCase {
  std::string text;
  std::string written;  // the result written back with one-line dictionaries
  size_t consumed;
};

std::string Written(TPDFStructure& st, const TPDFObject* o) {
  st.MultiLine = false;
  return o->ToString();
}

void CheckCases(const std::vector<ParseCase>& cases) {
  for (const auto& c : cases) {
    TPDFStructure st;
    size_t consumed = 12345;
    TPDFObject* o = st.ParseObjectAt(c.text, consumed);
    ASSERT_NE(o, nullptr) << c.text;
    EXPECT_EQ(Written(st, o), c.written) << "text: " << c.text;
    EXPECT_EQ(consumed, c.consumed) << "text: " << c.text;
  }
}

}  // namespace

TEST(PDFParser, ScalarsAndReferences) {
  CheckCases({
      {"", "null", 0},
      {"   ", "null", 2},
      {"12 0 R", "12 0 R", 6},
      {"12 0 obj", "12", 2},
      {"12.5 0 R", "12.5", 4},
      {"1 %note\n0 R", "1 0 R", 11},
      {"-5 0 R", "-5 0 R", 6},
      {"12 0 Rx", "12 0 R", 6},
      {"12 0.5 R", "12 0 R", 8},
      {"-.5", "-0.5", 3},
      {"5.", "5", 2},
      {".", "0", 1},
      {"-", "0", 1},
      {"--5", "0", 1},
      {"123456789", "123456789", 9},
      {"99999999999 0 R", "2147483647 0 R", 15},
      {"123456789012345678901234567890", "0", 30},
      {"0.1234567891", "0.1235", 12},
      {"1e5", "1", 1},
      {"+5", "null", 0},
      {"true", "true", 4},
      {"true]", "true", 4},
      {"truex", "null", 0},
      {"false ", "false", 5},
      {"null", "null", 4},
      {"nullx", "null", 0},
      {"  % only a comment", "null", 17},
      {"% c\r\n/Name  ", "/Name", 10},
      {"R", "null", 0},
      {"}", "null", 0},
  });
}

TEST(PDFParser, NamesAndStrings) {
  CheckCases({
      {"/A#20B", "/A#20B", 6},
      {"/A#2", "/A#232", 4},
      {"/a}b c", "/a#7Db", 4},
      {"/", "null", 0},
      {"/ ", "/", 1},
      {"/Type/Page", "/Type", 5},
      {"(a\\)b)", "(a\\)b)", 6},
      {"(a(b)c)", "(a\\(b\\)c)", 7},
      {"(abc", "null", 0},
      {"(\\101)", "(A)", 6},
      {"(\\q)", "(q)", 4},
      {"(\\0053)", "(\x05" "3)", 7},
      {"(\\9)", "(\\t)", 4},
      {"(\\777)", "(\xFF)", 6},
      {"(a\r\nb\rc)", "(a\\nb\\nc)", 8},
      {"(a\\\r\nb\\\nc)", "(abc)", 10},
      {"(x\\)", "(x)", 4},
      {"(", "null", 0},
      {"()", "()", 2},
      {"<48 65 6c>", "<48656C>", 10},
      {"<4>", "<40>", 3},
      {"<AB", "<A0>", 3},
      {"<>", "<>", 2},
      {"<a>b", "<A0>", 3},
      {"<zz>", "<>", 4},
  });
  TPDFStructure st;
  auto* s = PDFCast<TPDFString>(st.ParseObject("<48 65 6c>"));
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Value(), "Hel");
  EXPECT_TRUE(s->IsHex());
  auto* n = PDFCast<TPDFName>(st.ParseObject("/A#20B"));
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->Name(), "A B");
  EXPECT_FALSE(n->IsKeyName());
}

TEST(PDFParser, Containers) {
  CheckCases({
      {"<< /A 1 /B [ 1 0 R 2 0 R ] >>", "<<\n/A 1\n/B [ 1 0 R 2 0 R ]\n>>\n", 29},
      {"<</A<</B 1>>>>", "<< /A << /B 1 >>\n >>\n", 14},
      {"<< /Type /Page /Type /Pages >>", "<< /Type /Pages >>\n", 30},
      {"<< /A 1 /B >>", "<< /A 1 >>\n", 13},
      {"<< 1 2 >>", "<< >>\n", 6},
      {"<< /A (x >>", "<< >>\n", 6},
      {"<<>>", "<< >>\n", 4},
      {"<<>", "<>", 3},
      {"[[1] [2 [3]]]", "[ [ 1 ] [ 2 [ 3 ] ] ]", 13},
      {"[1 2", "[ 1 2 ]", 4},
      {"[", "null", 0},
      {"[]", "[ ]", 2},
      {"[/A/B]", "[ /A /B ]", 6},
      {"[1 0 R 2", "[ 1 0 R 2 ]", 8},
      {"[ (a) <62> /c 1.5 true null ]", "[ (a) <62> /c 1.5 true null ]", 29},
      {"[ 1 ) 2 ]", "[ 1 ]", 4},
  });
}

TEST(PDFParser, DictionaryKeysAreTheParsedNames) {
  TPDFStructure st;
  auto* d = PDFCast<TPDFDictionary>(st.ParseObject("<< /Type /Page /Contents 5 0 R >>"));
  ASSERT_NE(d, nullptr);
  ASSERT_EQ(d->Count(), 2);
  EXPECT_FALSE(d->GetPair(0).first->IsKeyName());
  EXPECT_EQ(d->GetType(), "Page");
  EXPECT_EQ(PDFCast<TPDFIndRef>(d->GetValue("Contents"))->TargetNumber(), 5);
  // A key repeated in a long dictionary keeps the first position and takes the last value.
  std::string text = "<<";
  for (int i = 0; i < 5000; ++i) text += " /K" + std::to_string(i % 2500) + " " + std::to_string(i);
  text += " >>";
  auto* big = PDFCast<TPDFDictionary>(st.ParseObject(text));
  ASSERT_NE(big, nullptr);
  ASSERT_EQ(big->Count(), 2500);
  EXPECT_EQ(big->GetPair(7).first->Name(), "K7");
  EXPECT_EQ(PDFCast<TPDFNumeric>(big->GetPair(7).second)->AsInteger(), 2507);
}

TEST(PDFParser, ArraysOfReferencesAreSizedOnce) {
  TPDFStructure st;
  auto* a = PDFCast<TPDFArray>(st.ParseObject("[1 0 R 2 0 R 3 0 R]"));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Count(), 3);
  EXPECT_EQ(a->Count() + a->SpareCount(), 3);
  auto* b = PDFCast<TPDFArray>(st.ParseObject("[1 0 R /RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR]"));
  ASSERT_NE(b, nullptr);
  EXPECT_LE(b->SpareCount() + b->Count(), 14);  // at most one slot per four bytes looked at
  auto* c = PDFCast<TPDFArray>(st.ParseObject("[1 0 R [2 0 R 3 0 R] 4 0 R]"));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->ToString(), "[ 1 0 R [ 2 0 R 3 0 R ] 4 0 R ]");
}

TEST(PDFParser, ObjectsOfAbandonedConstructsStayInTheStore) {
  TPDFStructure st;
  const int before = st.ObjectCount();
  st.ParseObject("<< /A [1 2 (unterminated");
  EXPECT_GT(st.ObjectCount(), before + 3);
  for (int i = 0; i < st.ObjectCount(); ++i) EXPECT_EQ(st.ObjectAt(i)->Owner(), &st);
}

TEST(PDFParser, DeepNestingReadsAsNull) {
  for (const std::string open : {"[", "<< /K "}) {
    const std::string close = open == "[" ? "]" : ">>";
    const int levels = 200000;
    std::string text;
    for (int i = 0; i < levels; ++i) text += open;
    text += "1";
    for (int i = 0; i < levels; ++i) text += close;
    text += " tail";
    TPDFStructure st;
    size_t consumed = 0;
    TPDFObject* o = st.ParseObjectAt(text, consumed);
    int depth = 0;
    while (o != nullptr && (o->Kind() == kPDFKindArray || o->Kind() == kPDFKindDictionary)) {
      ++depth;
      o = o->Kind() == kPDFKindArray ? static_cast<TPDFArray*>(o)->GetItem(0)
                                     : static_cast<TPDFDictionary*>(o)->GetValue("K");
    }
    EXPECT_EQ(depth, kPDFMaxNestingDepth) << open;
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->Kind(), kPDFKindNull);
    EXPECT_EQ(consumed, text.size() - 5) << open;  // the whole construct, not the tail
    EXPECT_LT(st.ObjectCount(), 3 * kPDFMaxNestingDepth + 10);
  }
}

TEST(PDFParser, HostileInputStaysLinear) {
  // Each of these would take quadratic time if a construct were rescanned per nesting level.
  const std::vector<std::string> texts = {
      [] { std::string s; for (int i = 0; i < 200; ++i) s += "[1 0 R "; return s + std::string(3000000, 'R'); }(),
      [] { std::string s; for (int i = 0; i < 250; ++i) s += "<< /K "; return s + "(" + std::string(3000000, 'x'); }(),
      [] { std::string s; for (int i = 0; i < 250; ++i) s += "[ "; return s + "(" + std::string(3000000, '('); }(),
      "[" + std::string(300000, ' ') + "1" + std::string(300000, ' ') + "x",
      "<< /A " + std::string(300000, '1') + " " + std::string(300000, '2') + " x >>",
      "[" + std::string(300000, '<'),
      [] { std::string s; for (int i = 0; i < 100000; ++i) s += "[1 0 R "; return s; }(),
  };
  for (const auto& t : texts) {
    TPDFStructure st;
    size_t consumed = 0;
    ASSERT_NE(st.ParseObjectAt(t, consumed), nullptr);
    EXPECT_LE(consumed, t.size());
  }
}

TEST(PDFParser, ReleasingALargeParsedDictionaryIsOneStoreScan) {
  std::string text = "<<";
  for (int i = 0; i < 100000; ++i) text += " /K" + std::to_string(i) + " [" + std::to_string(i) + "]";
  text += " >>";
  TPDFStructure st;
  TPDFObject* d = st.ParseObject(text);
  const int before = st.ObjectCount();
  d->Release();
  EXPECT_EQ(st.ObjectCount(), before - 1);
}

TEST(PDFParser, WrittenObjectsParseBackToTheSameText) {
  std::mt19937 rng(12345);
  TPDFStructure st;
  std::function<TPDFObject*(int)> make = [&](int depth) -> TPDFObject* {
    // The top level is a container: a lone empty name "/" at the very end of a text reads as
    // nothing.
    switch (depth == 0 ? 6 + rng() % 3 : rng() % (depth < 5 ? 9 : 6)) {
      case 0: return st.NewNull();
      case 1: return st.NewBoolean(rng() % 2);
      case 2: return st.NewNumeric(static_cast<int>(rng() % 200001) / 100.0 - 1000);
      case 3: {
        std::string name;
        for (int i = rng() % 6; i > 0; --i) name += static_cast<char>(rng() % 256);
        return st.NewName(name);
      }
      case 4: {
        std::string bytes;
        for (int i = rng() % 8; i > 0; --i) bytes += static_cast<char>(rng() % 256);
        return st.NewString(bytes, rng() % 2);
      }
      case 5: return st.NewIndRef(static_cast<int>(rng() % 1000), static_cast<int>(rng() % 3));
      case 6: case 7: {
        TPDFArray* a = st.NewArray();
        for (int i = rng() % 6; i > 0; --i) a->Add(make(depth + 1));
        return a;
      }
      default: {
        TPDFDictionary* d = st.NewDictionary();
        for (int i = rng() % 5; i > 0; --i) d->SetPair(st.NewName("k" + std::to_string(rng() % 10)), make(depth + 1));
        return d;
      }
    }
  };
  for (int round = 0; round < 300; ++round) {
    st.MultiLine = round % 2 == 0;
    const std::string text = make(0)->ToString();
    TPDFObject* back = st.ParseObject(text);
    EXPECT_EQ(back->ToString(), text) << "round " << round;
  }
}

TEST(PDFTokens, DecodeLiteralString) {
  const struct { std::string token, bytes; } cases[] = {
      {"(\\101)", "A"},
      {"(a\\)b)", "a)b"},
      {"(\\b\\t\\n\\f\\r\\(\\)\\\\)", "\b\t\n\f\r()\\"},
      {"(a\r\nb)", "a\r\nb"},
      {"(a\\\r\nb\\\rc\\\nd)", "abcd"},
      {"(\\9)", "9"},
      {"(\\19)", "\x11"},
      {"(\\128)", "X"},
      {"(\\0053)", "\x05" "3"},
      {"(\\q)", "q"},
      {"(x\\)", "x"},
      {"()", ""},
      {"(", ""},
      {"[ab]", "ab"},
  };
  TPDFStructure st;
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeLiteralString(c.token), c.bytes) << c.token;
    EXPECT_EQ(st.DecodeLiteralString(c.token), c.bytes) << c.token;
  }
}

TEST(PDFTokens, DecodeHexString) {
  const struct { std::string token, bytes; } cases[] = {
      {"<48656C6C6F>", "Hello"}, {"<48 65\n6c>", "Hel"}, {"<4>", "@"}, {"<G1>", std::string(1, '\0')},
      {"<4G>", std::string(1, '\0')}, {"<>", ""}, {"4865", ""}, {"<48", ""}, {"<4-8>", "H"},
  };
  TPDFStructure st;
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeHexString(c.token), c.bytes) << c.token;
    EXPECT_EQ(st.DecodeHexString(c.token), c.bytes) << c.token;
  }
}

TEST(PDFTokens, ParsePDFNumber) {
  const struct { const char* text; double value; } cases[] = {
      {"-0.5", -0.5}, {"1-2", 0}, {"0.1234567891", 0.123456789}, {"12", 12}, {" 7 ", 7}, {"", 0},
      {"-", 0}, {"--5", 0}, {"1.2.3", 0}, {"1e3", 0}, {"-12.25", -12.25}, {".5", 0.5}, {"-.5", -0.5},
      {"5.", 5}, {"9223372036854775807", 9223372036854775807.0}, {"99999999999999999999", 0},
      {"99999999999999999999.5", 0.5}, {"-9223372036854775808.5", -9223372036854775808.5},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(ParsePDFNumber(c.text), c.value) << '"' << c.text << '"';
  EXPECT_DOUBLE_EQ(StrToFloatPDF("3.5"), 3.5);
  EXPECT_TRUE(IsPDFNumberText("-1.5"));
  EXPECT_FALSE(IsPDFNumberText("1.5-"));
  EXPECT_TRUE(IsOctalText("777"));
  EXPECT_TRUE(IsOctalText("128"));
  EXPECT_FALSE(IsOctalText("778"));
  EXPECT_FALSE(IsOctalText("8"));
  EXPECT_FALSE(IsOctalText("1234"));
  EXPECT_FALSE(IsOctalText(""));
}
