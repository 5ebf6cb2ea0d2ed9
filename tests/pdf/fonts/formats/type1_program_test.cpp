// Loading Type 1 programs: PFB segments, embedded FontFile streams, eexec, the tokenizer, the
// cleartext rewrite and the private part, on programs written by the tests and on Debian's URW
// fonts read independently by fontTools.
#include <gtest/gtest.h>

#include <algorithm>

#include "pdf/core/md5.h"
#include "pdf/core/objects/pdf_array.h"
#include "pdf/core/objects/pdf_dictionary.h"
#include "pdf/core/objects/pdf_scalars.h"
#include "pdf/core/objects/pdf_stream.h"
#include "pdf/core/objects/pdf_structure.h"
#include "pdf/fonts/formats/type1/type1_decoder.h"
#include "pdf/fonts/formats/type1/type1_tokenizer.h"
#include "tests/pdf/fonts/formats/font_oracle.h"
#include "tests/pdf/fonts/formats/type1_builder.h"
#include "tests/support/test_support.h"

using namespace glyphtest;

namespace {

std::string Hex(std::string_view bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (char c : bytes) {
    out += digits[uint8_t(c) >> 4];
    out += digits[uint8_t(c) & 15];
  }
  return out;
}

std::string Unhex(std::string_view hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out += char(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
  return out;
}

std::vector<double> Numbers(TPDFArray* array) {
  std::vector<double> out;
  if (array == nullptr) return out;
  for (TPDFObject* item : array->Items()) {
    const auto* n = PDFCast<TPDFNumeric>(item);
    out.push_back(n != nullptr ? n->AsDouble() : -99999);
  }
  return out;
}

// A decoder loaded from a program written by the builder.
std::unique_ptr<TPDFType1Decoder> Load(const TType1Builder& b) {
  auto d = std::make_unique<TPDFType1Decoder>();
  EXPECT_TRUE(d->LoadFromPFB(b.PFB()));
  EXPECT_TRUE(d->ConvertFontProgram());
  EXPECT_TRUE(d->ParsePrivate());
  return d;
}

}  // namespace

TEST(Type1Eexec, MatchesFontToolsVectors) {
  // Cipher texts from fontTools.misc.eexec.encrypt.
  std::string plain;
  TPDFType1Decoder::DecryptEexec(55665, 4, plain, Unhex("b8588da5059d3a6f4ec76326679ef6"));
  EXPECT_EQ(plain, "hello world");
  TPDFType1Decoder::DecryptEexec(4330, 4, plain, Unhex("10bf317079bb21e4"));
  EXPECT_EQ(Hex(plain), "8b8b0d0e");
  TPDFType1Decoder::DecryptEexec(4330, 0, plain, Unhex("10bf317079bb21e4"));
  EXPECT_EQ(Hex(plain), "000000008b8b0d0e");
  // Fewer bytes than the skip, and no bytes: nothing.
  TPDFType1Decoder::DecryptEexec(55665, 4, plain, Unhex("b858"));
  EXPECT_EQ(plain, "");
  TPDFType1Decoder::DecryptEexec(55665, 4, plain, "");
  EXPECT_EQ(plain, "");
  EXPECT_EQ(Hex(EexecEncrypt(55665, "abcdhello world")), "b8588da5059d3a6f4ec76326679ef6");
}

TEST(Type1Tokenizer, ReadsEachTokenKind) {
  const TType1ProcNames names{"-|", "|-", "|"};
  struct Case {
    const char* text;
    std::vector<std::string> tokens;
  } cases[] = {
      {"  [ ] { }", {"[", "]", "{", "}"}},
      {"% comment\r\n/Name 12 -3 .5 1.5.2", {"/Name", "12", "-3", ".5", "1.5", ".2"}},
      {"-| |- | -|x", {"-|", "|-", "|", "-"}},  // "-|x" is no RD name: "-" then "|" stops
      {"(a (b) \\) c) (x", {"(a (b) \\) c)"}},   // an unterminated string ends the tokens
      {"<00ff> <", {"00ff"}},                      // "<" as the last character is unreadable
      {"dup/Enc def", {"/ps:dup", "/Enc", "/ps:def"}},
      {"/a/b{/c}", {"/a", "/b", "{", "/c", "}"}},
      {"abc\x01 def", {"/ps:abc\x01", "/ps:def"}},  // words run to white space or a delimiter
      {"\x01 abc", {}},
      {"/ % x\n/y", {"/", "/y"}},
  };
  for (const Case& c : cases) {
    TType1Tokenizer tok(c.text, names);
    std::vector<std::string> got;
    for (std::string t = tok.Next(); !t.empty(); t = tok.Next()) got.push_back(t);
    EXPECT_EQ(got, c.tokens) << c.text;
  }
}

TEST(Type1Tokenizer, ProgramFindsProcedureNamesAndEntries) {
  const std::string text =
      "/Private 8 dict dup begin /-| {string currentfile exch readstring pop} executeonly def\n"
      "/|- {noaccess def} executeonly def /| {noaccess put} executeonly def\n"
      "/Subrs 2 array\ndup 0 3 -| abc |\ndup 1 2 -| de |\n/after 5 def\n"
      "/CharStrings 1 dict dup begin /A 4 -| wxyz |- end";
  const TType1TokenizedProgram p = TokenizeProgram(text);
  EXPECT_EQ(p.Names.RD, "-|");
  EXPECT_EQ(p.Names.ND, "|-");
  EXPECT_EQ(p.Names.NP, "|");
  ASSERT_EQ(p.Subrs.size(), 2u);
  EXPECT_EQ(p.Subrs[0], std::make_pair(int32_t(0), std::string("abc")));
  EXPECT_EQ(p.Subrs[1], std::make_pair(int32_t(1), std::string("de")));
  // The count was reached: "/after" is an ordinary token again, and the charstring's bytes
  // follow its RD token as one token.
  EXPECT_NE(std::find(p.Tokens.begin(), p.Tokens.end(), "/after"), p.Tokens.end());
  const auto rd = std::find(p.Tokens.begin(), p.Tokens.end(), "/CharStrings");
  ASSERT_NE(rd, p.Tokens.end());
  EXPECT_NE(std::find(rd, p.Tokens.end(), "wxyz"), p.Tokens.end());
}

TEST(Type1Tokenizer, SubrsEndAtNDAndEntryNumbersAreKept) {
  // No count: ND ends the Subrs; entries keep their own numbers; a length past the end takes
  // the bytes that remain.
  const TType1TokenizedProgram p =
      TokenizeProgram("/Subrs 0 array dup 7 2 RD xy NP dup x 1 RD z NP ND dup 9 3 RD ab");
  ASSERT_EQ(p.Subrs.size(), 2u);
  EXPECT_EQ(p.Subrs[0].first, 7);
  EXPECT_EQ(p.Subrs[1].first, 1);  // "x" is no number: the entry count so far
  EXPECT_EQ(p.Subrs[1].second, "z");
  const TType1TokenizedProgram cut = TokenizeProgram("/CharStrings 1 dict /A 100 RD abc");
  EXPECT_EQ(cut.Tokens.back(), "abc");
}

TEST(Type1Pfb, ReadsSegmentsIntoTheThreeParts) {
  const std::string pfb = PFBSegment(1, "clear") + PFBSegment(2, "binary") + PFBSegment(1, "trailer") +
                          PFBSegment(2, "dropped") + std::string("\x80\x03", 2);
  TPDFType1Decoder d;
  EXPECT_TRUE(d.LoadFromPFB(pfb));
  EXPECT_EQ(d.ClearText, "clear");
  EXPECT_EQ(d.BinaryPart, "binary");
  EXPECT_EQ(d.Trailer, "trailer");
}

TEST(Type1Pfb, JoinsABinaryPartSplitIntoSegments) {
  const std::string pfb = PFBSegment(1, "clear") + PFBSegment(2, "bin") + PFBSegment(2, "ary") +
                          PFBSegment(1, "trailer") + std::string("\x80\x03", 2);
  TPDFType1Decoder d;
  EXPECT_TRUE(d.LoadFromPFB(pfb));
  EXPECT_EQ(d.BinaryPart, "binary");
  EXPECT_EQ(d.Trailer, "trailer");
}

TEST(Type1Pfb, RefusesBrokenFraming) {
  struct Case {
    std::string data;
    bool clearTextSet;
  } cases[] = {
      {"", false},
      {"%!PS-AdobeFont", false},                                  // no marker at all
      {PFBSegment(1, "clear") + "\x81\x02", true},                // a bad marker later
      {PFBSegment(1, "clear") + PFBSegment(2, "binary").substr(0, 9), true},  // cut short
      {PFBSegment(1, "clear"), true},                              // no end segment
      {std::string("\x80\x01\xff\xff\xff\xff", 6) + "x", false},  // a length past the end
  };
  for (const Case& c : cases) {
    TPDFType1Decoder d;
    EXPECT_FALSE(d.LoadFromPFB(c.data));
    EXPECT_EQ(!d.ClearText.empty(), c.clearTextSet);
  }
}

TEST(Type1FontFile, SplitsTheStreamByItsLengths) {
  TPDFStructure store;
  struct Case {
    int length1, length2, length3;
    std::string data;
    bool result;
    const char* clear;
    const char* binary;
    const char* trailer;
  } cases[] = {
      {5, 6, 7, "clearbinarytrailer", true, "clear", "binary", "trailer"},
      {5, 6, 0, "clearbinary", true, "clear", "binary", ""},
      {5, 6, 7, "clearbinarytrail", false, "clear", "binary", "trail"},
      {5, 6, 0, "clearbin", false, "clear", "bin", ""},
      {0, 6, 7, "clearbinarytrailer", false, "", "", ""},
      {5, 0, 7, "clearbinarytrailer", false, "", "", ""},
      {2000000000, 2000000000, 2000000000, "x", false, "x", "", ""},
  };
  for (const Case& c : cases) {
    TPDFStream* s = store.NewStream(c.data, false);
    s->Dictionary()->SetValue("Length1", store.NewNumeric(c.length1));
    s->Dictionary()->SetValue("Length2", store.NewNumeric(c.length2));
    if (c.length3 != 0) s->Dictionary()->SetValue("Length3", store.NewNumeric(c.length3));
    TPDFType1Decoder d;
    EXPECT_EQ(d.LoadFontFile(s), c.result) << c.data;
    EXPECT_EQ(d.ClearText, c.clear);
    EXPECT_EQ(d.BinaryPart, c.binary);
    EXPECT_EQ(d.Trailer, c.trailer);
  }
}

TEST(Type1FontFile, ResolvesLengthsGivenByReference) {
  TPDFStructure store;
  TPDFNumeric* five = store.NewNumeric(5);
  TPDFStream* s = store.NewStream("clearbinary", false);
  s->Dictionary()->SetValue("Length1", store.NewIndRef(12, 0));
  s->Dictionary()->SetValue("Length2", store.NewNumeric(6));
  TPDFType1Decoder d;
  int asked = 0;
  d.OnResolve = [&](TPDFObject*) {
    ++asked;
    return five;
  };
  EXPECT_TRUE(d.LoadFontFile(s));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(d.ClearText, "clear");
  EXPECT_FALSE(d.LoadFontFile(nullptr));
}

TEST(Type1Cleartext, RewritesTheFontDictionary) {
  TType1Builder b;
  b.FontBBoxText = "/FontBBox {-10 -20 1000 900} readonly def\n";
  TPDFType1Decoder d;
  d.ClearText = "FontDirectory /Test-Font known {/Test-Font findfont dup /UniqueID known} if\n" + b.ClearText();
  ASSERT_TRUE(d.ConvertFontProgram());
  ASSERT_NE(d.FontDict, nullptr);
  EXPECT_EQ(Numbers(d.FontBBox), (std::vector<double>{-10, -20, 1000, 900}));
  EXPECT_EQ(d.FontDict->GetValueText("FontName"), "Test-Font");
  auto* info = PDFCast<TPDFDictionary>(d.FontDict->GetValue("FontInfo"));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(PDFCast<TPDFString>(info->GetValue("Notice"))->Value(), "A (nested) note");
  EXPECT_EQ(Numbers(PDFCast<TPDFArray>(d.FontDict->GetValue("FontMatrix"))),
            (std::vector<double>{0.001, 0, 0, 0.001, 0, 0}));
  EXPECT_EQ(d.GetFontMatrixScale(), 1.0);
  // Glyphs drawn in other units than 1/1000 say so by their matrix.
  for (const auto& [matrix, scale] : {std::pair{"[0.0005 0 0 0.0005 0 0]", 0.5}, std::pair{"[0 0 0 0 0 0]", 1.0},
                                      std::pair{"[0.002 0 0.0004 0.002 0 0]", 2.0}}) {
    b.FontMatrixText = matrix;
    d.ClearText = b.ClearText();
    ASSERT_TRUE(d.ConvertFontProgram());
    EXPECT_DOUBLE_EQ(d.GetFontMatrixScale(), scale) << matrix;
  }
}

TEST(Type1Cleartext, ReadsTheProgramsEncoding) {
  TType1Builder b;
  b.EncodingText =
      "/Encoding 256 array\n0 1 255 {1 index exch /.notdef put} for\n"
      "dup 65 /A put\ndup 66 /Bee put\ndup 300 /far put\nreadonly def\n";
  TPDFType1Decoder d;
  d.ClearText = b.ClearText();
  ASSERT_TRUE(d.ConvertFontProgram());
  EXPECT_EQ(d.Encoding[65], "A");
  EXPECT_EQ(d.Encoding[66], "Bee");
  EXPECT_EQ(d.Encoding[67], "");
  EXPECT_EQ(Numbers(d.FontBBox), (std::vector<double>{-10, -20, 1000, 900}));
  std::array<std::string, 256> names;
  d.GetEncoding(names);
  EXPECT_EQ(names[65], "A");
}

TEST(Type1Cleartext, StandardEncodingGivesItsNames) {
  TPDFType1Decoder d;
  d.ClearText = TType1Builder().ClearText();
  ASSERT_TRUE(d.ConvertFontProgram());
  EXPECT_EQ(d.Encoding[65], "A");
  EXPECT_EQ(d.Encoding[39], "quoteright");
  EXPECT_EQ(d.Encoding[194], "acute");
  EXPECT_EQ(d.Encoding[1], ".notdef");
}

TEST(Type1Cleartext, ALiteralArrayOfNamesFillsCodesInTurn) {
  TType1Builder b;
  b.EncodingText = "/Encoding [/a /b /c] def\n";
  TPDFType1Decoder d;
  d.ClearText = b.ClearText();
  ASSERT_TRUE(d.ConvertFontProgram());
  EXPECT_EQ(d.Encoding[0], "a");
  EXPECT_EQ(d.Encoding[2], "c");
}

TEST(Type1Cleartext, TextThatIsNoDictionaryChangesNothing) {
  TPDFType1Decoder d;
  TPDFDictionary* before = d.FontDict;
  for (const char* text : {"", "12 34", "/ps:x (unterminated", "%!only a comment\n"}) {
    d.ClearText = text;
    EXPECT_FALSE(d.ConvertFontProgram()) << text;
    EXPECT_EQ(d.FontDict, before);
  }
}

TEST(Type1Private, ReadsSubrsAndCharStrings) {
  TType1Builder b;
  b.Subrs = {TCharstring().N(3).O(11).Bytes(), TCharstring().O(11).Bytes()};
  b.Glyphs = {{".notdef", TCharstring().N(0).N(250).O(13).O(14).Bytes()},
              {"A", TCharstring().N(20).N(600).O(13).N(10).N(20).O(21).O(14).Bytes()}};
  auto d = Load(b);
  EXPECT_EQ(d->LenIV, 4);
  EXPECT_EQ(d->RDName, "RD");
  ASSERT_EQ(d->CharStringNames, (std::vector<std::string>{".notdef", "A"}));
  EXPECT_EQ(d->DecryptCharstring(d->CharStrings[1]), b.Glyphs[1].second);
  EXPECT_EQ(d->GetSubr(0), b.Subrs[0]);
  EXPECT_EQ(d->GetSubr(1), b.Subrs[1]);
  EXPECT_EQ(d->GetSubr(2), "");
  EXPECT_EQ(d->GetSubr(-1), "");
}

TEST(Type1Private, ProceduresNamedByTheProgram) {
  TType1Builder b;
  b.RD = "-|";
  b.ND = "|-";
  b.NP = "|";
  b.Subrs = {TCharstring().O(11).Bytes()};
  b.Glyphs = {{"B", TCharstring().N(0).N(500).O(13).O(14).Bytes()}};
  auto d = Load(b);
  EXPECT_EQ(d->RDName, "-|");
  EXPECT_EQ(d->NDName, "|-");
  EXPECT_EQ(d->NPName, "|");
  ASSERT_EQ(d->CharStringNames, std::vector<std::string>{"B"});
  EXPECT_EQ(d->Subrs.size(), 1u);
}

TEST(Type1Private, LenIVDecidesTheLeadingBytes) {
  for (int lenIV : {0, 4, 7, -1}) {
    TType1Builder b;
    b.LenIV = lenIV;
    b.WriteLenIV = true;
    b.Glyphs = {{"A", TCharstring().N(0).N(500).O(13).O(14).Bytes()}};
    auto d = Load(b);
    EXPECT_EQ(d->LenIV, lenIV);
    EXPECT_EQ(d->DecryptCharstring(d->CharStrings[0]), b.Glyphs[0].second) << lenIV;
  }
}

TEST(Type1Private, AnEexecPartWrittenAsHexadecimalText) {
  TType1Builder b;
  b.Glyphs = {{"A", TCharstring().N(0).N(500).O(13).O(14).Bytes()}};
  std::string hex;
  const std::string binary = b.BinaryPart();
  for (size_t i = 0; i < binary.size(); ++i) {
    hex += Hex(binary.substr(i, 1));
    if (i % 32 == 31) hex += "\r\n";
  }
  TPDFType1Decoder d;
  d.ClearText = b.ClearText();
  d.BinaryPart = "currentfile eexec\r\n" + hex;
  ASSERT_TRUE(d.ParsePrivate());
  EXPECT_EQ(d.CharStringNames, std::vector<std::string>{"A"});
}

TEST(Type1Private, WithoutCharStringsIsFalse) {
  TPDFType1Decoder d;
  d.BinaryPart = EexecEncrypt(55665, "abcd/Private 1 dict begin /lenIV 0 def end");
  EXPECT_FALSE(d.ParsePrivate());
  d.BinaryPart = "";
  EXPECT_FALSE(d.ParsePrivate());
  d.BinaryPart = "junk eexec";
  EXPECT_FALSE(d.ParsePrivate());
}

namespace {

// Reads a URW Type 1 font and compares it with fontTools' reading.
void CompareWithFontTools(const std::string& name) {
  const std::string path = URWType1Path(name);
  if (path.empty()) GTEST_SKIP() << "needs fonts-urw-base35";
  TOracleFont oracle;
  ASSERT_TRUE(RunFontOracle("t1", path, oracle)) << name;
  TPDFType1Decoder d;
  ASSERT_TRUE(d.LoadFromPFB(testsupport::ReadFile(path)));
  ASSERT_TRUE(d.ConvertFontProgram());
  ASSERT_TRUE(d.ParsePrivate());
  EXPECT_EQ(d.LenIV, oracle.LenIV);
  EXPECT_EQ(int(d.Subrs.size()), oracle.Subrs);
  EXPECT_EQ(Numbers(d.FontBBox), oracle.BBox);
  for (int code = 0; code < 256; ++code) {
    const auto it = oracle.Encoding.find(code);
    const std::string& ours = d.Encoding[size_t(code)];
    EXPECT_EQ(ours.empty() ? ".notdef" : ours, it != oracle.Encoding.end() ? it->second : ".notdef") << code;
  }
  ASSERT_EQ(d.CharStringNames.size(), oracle.Glyphs.size());
  for (const TOracleGlyph& g : oracle.Glyphs) {
    const std::string plain = d.DecryptCharstring(d.FindCharString(g.Name));
    TMD5Digest digest;
    MD5Buffer(plain, digest);
    EXPECT_EQ(int64_t(plain.size()), g.Length) << g.Name;
    EXPECT_EQ(MD5DigestToHex(digest), g.MD5) << g.Name;
  }
}

}  // namespace

TEST(Type1Fonts, URWFontsReadAsFontToolsReadsThem) {
  REQUIRE_FONTTOOLS();
  for (const char* name : {"NimbusSans-Regular", "NimbusRoman-Italic", "C059-Bold", "StandardSymbolsPS",
                           "D050000L", "Z003-MediumItalic"}) {
    SCOPED_TRACE(name);
    CompareWithFontTools(name);
  }
}

// A search per token over the rest of these 5 MB would take minutes: the test has a timeout of
// its own (tests/hang_guards.cmake).
TEST(Type1Hostile, LongCleartextsRewriteInLinearTime) {
  // Each "dict" looks ahead for a "begin", each encoding array for its "def": one pass with
  // tables, not a search per token.
  std::string text = "10 dict begin /FontBBox {0 0 1 1} def ";
  for (int i = 0; i < 200000; ++i) text += "1 dict ";
  for (int i = 0; i < 100000; ++i) text += "/Encoding 2 array dup ";
  for (int i = 0; i < 100000; ++i) text += "FontDirectory x ";
  text += "end";
  TPDFType1Decoder d;
  d.ClearText = text;
  EXPECT_TRUE(d.ConvertFontProgram());
  EXPECT_EQ(Numbers(d.FontBBox), (std::vector<double>{0, 0, 1, 1}));
}

TEST(Type1Hostile, TruncatedAndGarbledPrivateParts) {
  TType1Builder b;
  b.Subrs = {TCharstring().O(11).Bytes()};
  b.Glyphs = {{"A", TCharstring().N(0).N(500).O(13).O(14).Bytes()}, {"B", TCharstring().N(0).N(5).O(13).Bytes()}};
  const std::string binary = b.BinaryPart();
  // Every cut of the encrypted part parses without harm; once the CharStrings are in, their
  // glyphs are found.
  for (size_t cut = 0; cut <= binary.size(); cut += 7) {
    TPDFType1Decoder d;
    d.BinaryPart = binary.substr(0, cut);
    d.ParsePrivate();
    for (const std::string& name : d.CharStringNames) d.GetGlyphCommands(name);
  }
  // Lengths in RD entries far past the end, and negative.
  TPDFType1Decoder far;
  far.BinaryPart = EexecEncrypt(55665, "abcd/Subrs 2 array dup 0 99999999 RD x NP /CharStrings 1 dict /A 1 RD z ND");
  EXPECT_FALSE(far.ParsePrivate());  // the subroutine took the rest, CharStrings included
  ASSERT_EQ(far.Subrs.size(), 1u);
  EXPECT_EQ(far.Subrs[0], "x NP /CharStrings 1 dict /A 1 RD z ND");
  TPDFType1Decoder negative;
  negative.BinaryPart = EexecEncrypt(55665, "abcd/Subrs 1 array dup 0 -5 RD y NP ND "
                                            "/CharStrings 2 dict dup begin /A -3 RD z ND /B 2147483647 RD w ND end");
  EXPECT_TRUE(negative.ParsePrivate());
  EXPECT_EQ(negative.CharStringNames, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(negative.CharStrings[1], "w ND end");
}
