// The CFF parser: DICTs, strings, charsets, encodings, CID-keyed fonts with their Font DICTs,
// OpenType wrapping, and hostile data.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "pdf/core/objects/pdf_array.h"
#include "pdf/core/objects/pdf_dictionary.h"
#include "pdf/core/objects/pdf_scalars.h"
#include "pdf/core/objects/pdf_stream.h"
#include "pdf/core/objects/pdf_structure.h"
#include "pdf/fonts/formats/cff/cff_reader.h"
#include "pdf/fonts/formats/type1/type1_decoder.h"
#include "platform/rtl/streams.h"
#include "tests/pdf/fonts/formats/cff_builder.h"
#include "tests/pdf/fonts/formats/font_oracle.h"
#include "tests/support/test_support.h"

using namespace glyphtest;

namespace {

// Three glyphs: .notdef, a square and a line.
std::vector<std::string> SimpleCharStrings() {
  return {TType2().O(14), TType2().N(500).N(0).N(0).O(21).N(100).N(100).N(-100).O(5).O(14),
          TType2().N(10).N(20).O(21).N(30).O(6).O(14)};
}

}  // namespace

TEST(CFFDict, TopDictAsText) {
  TPDFType1Decoder d;
  d.CFFStrings = {"MyFont"};
  const std::string dict = DictInt(-10) + std::string("\x1c\xfa\x24", 3) + DictInt(1000) + DictInt(900) + DictOp(5) +
                           DictInt(391) + DictOp(2) + DictInt(2) + DictOp(4) + DictReal("1.5E-3") + DictInt(0) +
                           DictInt(0) + DictReal("1.5E-3") + DictInt(0) + DictInt(0) + DictOp(1207) +
                           DictInt(40) + DictInt(1234) + DictOp(18) + DictInt(7) + DictOp(21) + DictInt(8) +
                           DictOp(13) + DictInt5(100000) + DictOp(17) + DictInt(1) + DictInt(2) + DictOp(1230);
  EXPECT_EQ(d.DictToText(dict, 0),
            "<< /FontBBox [ -10 -1500 1000 900 ] /FullName (MyFont) /Weight (exclam) "
            "/FontMatrix [ 1.5E-3 0 0 1.5E-3 0 0 ] /Private [ 1234 40 ] /UniqueID 8 /CharStrings 100000 "
            "/ROS [7 1 2] >>");
}

TEST(CFFDict, PrivateDictAsText) {
  TPDFType1Decoder d;
  const std::string dict = DictInt(-20) + DictInt(0) + DictInt(500) + DictInt(10) + DictOp(6) + DictReal("0.039625") +
                           DictOp(1209) + DictInt(8) + DictOp(19) + DictInt(500) + DictOp(20) + DictInt(600) +
                           DictOp(21) + DictInt(5) + DictOp(5);
  EXPECT_EQ(d.DictToText(dict, 1),
            "<< /BlueValues [ -20 0 500 10 ] /BlueScale 0.039625 /Subrs 8 /defaultWidthX 500 /nominalWidthX 600 >>");
}

TEST(CFFDict, RealNumbersAndReservedBytes) {
  TPDFType1Decoder d;
  struct Case {
    std::string bytes;
    const char* text;
  } cases[] = {
      {DictReal("-2.25") + DictOp(13), "<< /UniqueID -2.25 >>"},
      {DictReal("1E2") + DictOp(13), "<< /UniqueID 1E2 >>"},
      {std::string("\x1e\x1d\x5f", 3) + DictOp(13), "<< /UniqueID 15 >>"},  // nibble d is nothing
      {std::string("\x16\x1f\xff\x8b\x0d", 5), "<< /UniqueID 0 >>"},        // 22, 31, 255 are skipped
      {DictInt(5) + std::string("\x1c\x01", 2), "<< >>"},                   // a number cut off
      {DictOp(13), "<< >>"},                                                // no operand
  };
  for (const Case& c : cases) EXPECT_EQ(d.DictToText(c.bytes, 0), c.text);
}

TEST(CFFStrings, SIDs) {
  TPDFType1Decoder d;
  d.CFFStrings = {"first", "second"};
  EXPECT_EQ(d.SIDToString(0), ".notdef");
  EXPECT_EQ(d.SIDToString(1), "space");
  EXPECT_EQ(d.SIDToString(390), "Semibold");
  EXPECT_EQ(d.SIDToString(391), "first");
  EXPECT_EQ(d.SIDToString(392), "second");
  EXPECT_EQ(d.SIDToString(393), "");
  EXPECT_EQ(d.SIDToString(-1), "");
}

TEST(CFFFont, PredefinedCharsetAndStandardEncoding) {
  TCFFBuilder b;
  b.CharStrings = SimpleCharStrings();
  TPDFType1Decoder d;
  ASSERT_TRUE(d.LoadCFFData(b.Build()));
  EXPECT_EQ(d.FontKind, TPDFType1Decoder::kType2Charstrings);
  EXPECT_FALSE(d.IsCIDFont);
  EXPECT_EQ(d.Scale, 1.0);
  EXPECT_EQ(d.CharStringNames, (std::vector<std::string>{".notdef", "space", "exclam"}));
  EXPECT_EQ(d.FindCharString("space"), b.CharStrings[1]);
  // .notdef draws nothing.
  EXPECT_EQ(d.FindCharString(".notdef"), "");
  EXPECT_EQ(d.Encoding[32], "space");
  EXPECT_EQ(d.Encoding[65], "A");
  EXPECT_EQ(d.Encoding[1], ".notdef");
  ASSERT_TRUE(d.GetGlyphCommands("exclam"));
  EXPECT_EQ(d.GlyphCommands, (TGlyphCommandList{"hsbw(0,0)", "rmoveto(10,20)", "rlineto(30,0)", "endchar"}));
}

TEST(CFFFont, FontMatrixSetsTheScale) {
  struct Case {
    std::string matrix;
    double scale;
  } cases[] = {
      {DictReal(".0005") + DictInt(0) + DictInt(0) + DictReal(".0005") + DictInt(0) + DictInt(0) + DictOp(1207), 0.5},
      {DictReal("1E-3") + DictInt(0) + DictInt(0) + DictReal("1E-3") + DictInt(0) + DictInt(0) + DictOp(1207), 1.0},
      {DictReal("5E-4") + DictInt(0) + DictInt(0) + DictReal("5E-4") + DictInt(0) + DictInt(0) + DictOp(1207), 0.5},
      {DictReal("2.5E-4") + DictInt(0) + DictInt(0) + DictReal("2.5E-4") + DictInt(0) + DictInt(0) + DictOp(1207), 0.25},
      {DictInt(0) + DictInt(0) + DictInt(0) + DictInt(0) + DictInt(0) + DictInt(0) + DictOp(1207), 1.0},
      {"", 1.0},
  };
  for (const Case& c : cases) {
    TCFFBuilder b;
    b.CharStrings = SimpleCharStrings();
    b.TopExtra = c.matrix;
    TPDFType1Decoder d;
    ASSERT_TRUE(d.LoadCFFData(b.Build()));
    EXPECT_DOUBLE_EQ(d.GetFontMatrixScale(), c.scale);
  }
}

// In a CID-keyed font each Font DICT's matrix follows the Top DICT's: a glyph takes the product
// of the two, or its Font DICT's alone when the Top DICT has none.
TEST(CFFFont, FontDictMatricesFollowTheTopDicts) {
  auto matrix = [](const char* a) {
    return DictReal(a) + DictInt(0) + DictInt(0) + DictReal(a) + DictInt(0) + DictInt(0) + DictOp(1207);
  };
  struct Case {
    std::string top, fd0;
    double scale0, scale1;  // glyph 1 uses Font DICT 0, glyph 2 Font DICT 1 (no matrix)
  } cases[] = {
      {matrix("1"), matrix("1E-3"), 1.0, 1000.0},
      {"", matrix("5E-4"), 0.5, 1.0},
      {matrix("2E-3"), matrix(".25"), 0.5, 2.0},
      {matrix("2E-3"), "", 2.0, 2.0},
  };
  for (const Case& c : cases) {
    TCFFBuilder b;
    b.CID = true;
    b.CharStrings = SimpleCharStrings();
    b.FontDictSubrs = {{}, {}};
    b.FontDictExtra = {c.fd0, ""};
    b.Charset = std::string("\x00\x00\x05\x00\x06", 5);  // CIDs 5 and 6
    b.FDSelect = std::string("\x00\x00\x00\x01", 4);
    b.TopExtra = c.top;
    TPDFType1Decoder d;
    ASSERT_TRUE(d.LoadCFFData(b.Build()));
    EXPECT_DOUBLE_EQ(d.GlyphScale("GID:5"), c.scale0) << c.fd0;
    EXPECT_DOUBLE_EQ(d.GlyphScale("GID:6"), c.scale1) << c.fd0;
  }
}

// Strings of the Top DICT are text of the font's own: parentheses in them, balanced or not,
// take nothing from the entries that follow (the charstrings, the Private DICT).
TEST(CFFFont, ParenthesesInDictStringsLeaveTheOtherEntries) {
  for (const std::string name : {"Font (Bold", "Font) Bold", "(c) 2020 \\"}) {
    TCFFBuilder b;
    b.CharStrings = SimpleCharStrings();
    b.LocalSubrs = {TType2().N(0).N(0).O(21).O(11)};
    b.Strings = {name};
    b.TopExtra = DictInt(391) + DictOp(2) + DictInt(391) + DictOp(1200);
    TPDFType1Decoder d;
    ASSERT_TRUE(d.LoadCFFData(b.Build())) << name;
    EXPECT_EQ(d.CharStringNames.size(), 3u) << name;
    EXPECT_EQ(d.Subrs.size(), 1u) << name;
  }
}

TEST(CFFFont, CharsetFormats) {
  const std::string sids = std::string("\x00", 1);
  struct Case {
    std::string charset;
    std::vector<std::string> names;
  } cases[] = {
      {std::string("\x00\x00\x22\x01\x86", 5), {".notdef", "A", "Semibold"}},       // format 0: SIDs 34 and 390
      {std::string("\x01\x00\x22\x01", 4), {".notdef", "A", "B"}},                   // format 1: 34 and 35
      {std::string("\x02\x00\x42\x00\x05", 5), {".notdef", "a", "b"}},               // format 2, a long range
      {std::string("\x07", 1), {".notdef", ".notdef", ".notdef"}},                   // unknown format
  };
  for (const Case& c : cases) {
    TCFFBuilder b;
    b.CharStrings = SimpleCharStrings();
    b.Charset = c.charset;
    TPDFType1Decoder d;
    ASSERT_TRUE(d.LoadCFFData(b.Build()));
    EXPECT_EQ(d.CharStringNames, c.names);
    EXPECT_EQ(d.CharStrings.size(), 3u);
  }
}

TEST(CFFFont, EncodingFormats) {
  const std::string charset("\x00\x00\x22\x00\x23", 5);  // A, B
  struct Case {
    std::string encoding;
    int64_t value;
    std::vector<std::pair<int, std::string>> codes;
  } cases[] = {
      {std::string("\x00\x02\x41\x61", 4), -1, {{65, "A"}, {97, "B"}, {66, ".notdef"}, {32, ".notdef"}}},
      {std::string("\x01\x01\x30\x01", 4), -1, {{48, "A"}, {49, "B"}, {65, ".notdef"}}},
      // A supplement gives the code 200 to the glyph named by SID 34 as well.
      {std::string("\x80\x01\x41\x01\xc8\x00\x22", 7), -1, {{65, "A"}, {200, "A"}}},
      {std::string("\x05", 1), -1, {{65, ".notdef"}}},
      {"", 0, {{65, "A"}, {32, "space"}}},
      {"", 1, {{65, ""}}},  // the Expert encoding is not mapped
  };
  for (const Case& c : cases) {
    TCFFBuilder b;
    b.CharStrings = SimpleCharStrings();
    b.Charset = charset;
    b.Encoding = c.encoding;
    b.EncodingValue = c.value;
    TPDFType1Decoder d;
    ASSERT_TRUE(d.LoadCFFData(b.Build()));
    for (const auto& [code, name] : c.codes) EXPECT_EQ(d.Encoding[size_t(code)], name) << code;
  }
}

// The predefined Expert charsets (1 and 2) keep glyph 0 in its place like charset 0: the font's
// own encoding names, and "GID:" keys find, the glyphs FreeType finds for the same codes and
// indexes.
TEST(CFFFont, ExpertCharsetsKeepGlyphIndexesInPlace) {
  for (const int64_t charset : {1, 2}) {
    TCFFBuilder b;
    b.CharStrings = SimpleCharStrings();
    b.CharsetValue = charset;
    b.Encoding = std::string("\x00\x02\x41\x42", 4);  // code 65 is glyph 1, 66 glyph 2
    const std::string font = b.Build();
    TPDFType1Decoder d;
    ASSERT_TRUE(d.LoadCFFData(font));
    EXPECT_EQ(d.CharStringNames.size(), 3u) << charset;
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    ASSERT_EQ(FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte*>(font.data()), FT_Long(font.size()), 0, &face),
              0);
    ASSERT_EQ(face->num_glyphs, 3);
    ASSERT_EQ(FT_Select_Charmap(face, FT_ENCODING_ADOBE_CUSTOM), 0);
    for (const unsigned code : {65u, 66u}) {
      const FT_UInt glyph = FT_Get_Char_Index(face, code);
      ASSERT_GT(glyph, 0u) << code;
      EXPECT_EQ(d.FindCharString(d.Encoding[code]), b.CharStrings[glyph]) << charset << " code " << code;
      EXPECT_EQ(d.FindCharString("GID:" + std::to_string(glyph)), b.CharStrings[glyph]) << charset << " " << glyph;
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
  }
}

TEST(CFFFont, CIDKeyedFontWithTwoFontDicts) {
  TCFFBuilder b;
  b.CID = true;
  // Glyph 1 calls local subroutine 0 of Font DICT 0 (a line right), glyph 2 the one of Font
  // DICT 1 (a line up): each glyph must find its own Font DICT's subroutines.
  b.CharStrings = {TType2().O(14), TType2().N(0).N(0).O(21).N(-107).O(10).O(14),
                   TType2().N(0).N(0).O(21).N(-107).O(10).O(14)};
  b.FontDictSubrs = {{TType2().N(50).N(0).O(5).O(11)}, {TType2().N(0).N(70).O(5).O(11)}};
  b.Charset = std::string("\x00\x00\x05\x03\xe8", 5);  // CIDs 5 and 1000
  b.FDSelect = std::string("\x03\x00\x02\x00\x00\x00\x00\x02\x01\x00\x03", 11);  // 0-1: FD 0, 2: FD 1
  const std::string font = b.Build();
  TPDFType1Decoder d;
  ASSERT_TRUE(d.LoadCFFData(font));
  EXPECT_TRUE(d.IsCIDFont);
  EXPECT_EQ(d.CharStringNames, (std::vector<std::string>{"CID:0", "CID:5", "CID:1000"}));
  EXPECT_EQ(d.FDSelect, (std::vector<int32_t>{0, 0, 1}));
  ASSERT_EQ(d.LocalSubrsByFD.size(), 2u);
  EXPECT_EQ(d.LocalSubrsByFD[1], b.FontDictSubrs[1]);
  ASSERT_TRUE(d.GetGlyphCommands("CID:5"));
  EXPECT_EQ(d.GlyphCommands, (TGlyphCommandList{"hsbw(0,0)", "rmoveto(0,0)", "rlineto(50,0)", "endchar"}));
  // "GID:" finds "CID:"; a CID the font lacks is its notdef glyph, never the glyph at that index.
  ASSERT_TRUE(d.GetGlyphCommands("GID:1000"));
  EXPECT_EQ(d.GlyphCommands, (TGlyphCommandList{"hsbw(0,0)", "rmoveto(0,0)", "rlineto(0,70)", "endchar"}));
  EXPECT_EQ(d.CurrentFD, 1);
  EXPECT_EQ(d.FindCharString("GID:2"), b.CharStrings[0]);
  EXPECT_EQ(d.CurrentFD, 0);
  EXPECT_EQ(d.FindCharString("CID:6"), "");
  EXPECT_EQ(d.CurrentFD, -1);

  // fontTools reads the font the builder wrote the same way.
  if (!FontToolsPython().empty()) {
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.File("cid.cff"), font);
    TOracleFont oracle;
    ASSERT_TRUE(RunFontOracle("cff", dir.File("cid.cff"), oracle));
    EXPECT_TRUE(oracle.CID);
    ASSERT_EQ(oracle.Glyphs.size(), 3u);
    EXPECT_EQ(oracle.Glyphs[2].FD, 1);
    EXPECT_EQ(oracle.FDSubrs[1], 1);
  }
}

TEST(CFFFont, FDSelectFormatZeroAndForcedCID) {
  TCFFBuilder b;
  b.CID = true;
  b.CharStrings = SimpleCharStrings();
  b.FontDictSubrs = {{}, {}, {}};
  b.FDSelect = std::string("\x00\x02\x01\x00", 4);
  TPDFType1Decoder d;
  ASSERT_TRUE(d.LoadCFFData(b.Build()));
  EXPECT_EQ(d.FDSelect, (std::vector<int32_t>{2, 1, 0}));
  EXPECT_EQ(d.LocalSubrsByFD.size(), 3u);

  TCFFBuilder plain;
  plain.CharStrings = SimpleCharStrings();
  TPDFType1Decoder forced;
  forced.ForceCID = true;
  plain.Charset = std::string("\x00\x00\x07\x00\x08", 5);
  ASSERT_TRUE(forced.LoadCFFData(plain.Build()));
  EXPECT_TRUE(forced.IsCIDFont);
  EXPECT_EQ(forced.CharStringNames, (std::vector<std::string>{"CID:0", "CID:7", "CID:8"}));
}

TEST(CFFFont, SubroutinesAndTheirBias) {
  TCFFBuilder b;
  b.CharStrings = {TType2().O(14), TType2().N(-107).O(10).N(-107).O(29).O(14)};
  b.LocalSubrs = {TType2().N(0).N(0).O(21).O(11)};
  b.GlobalSubrs = {TType2().N(5).N(6).O(5).O(11)};
  TPDFType1Decoder d;
  ASSERT_TRUE(d.LoadCFFData(b.Build()));
  EXPECT_EQ(d.Subrs.size(), 1u);
  EXPECT_EQ(d.GlobalSubrs.size(), 1u);
  ASSERT_TRUE(d.GetGlyphCommands("space"));
  EXPECT_EQ(d.GlyphCommands, (TGlyphCommandList{"hsbw(0,0)", "rmoveto(0,0)", "rlineto(5,6)", "endchar"}));
}

TEST(CFFFont, OpenTypeWrapping) {
  TCFFBuilder b;
  b.CharStrings = SimpleCharStrings();
  const std::string cff = b.Build();
  TPDFType1Decoder d;
  ASSERT_TRUE(d.LoadCFFData(OpenTypeFont({{"head", std::string(54, '\0')}, {"CFF ", cff}})));
  EXPECT_EQ(d.CharStringNames.size(), 3u);
  TPDFType1Decoder none;
  EXPECT_FALSE(none.LoadCFFData(OpenTypeFont({{"head", std::string(54, '\0')}})));
  EXPECT_TRUE(none.CharStringNames.empty());

  // Through a stream, from its position; SeekOpenTypeCFF positions at the table.
  TMemoryStream stream("prefix" + OpenTypeFont({{"CFF ", cff}}));
  stream.SetPosition(6);
  TPDFType1Decoder s;
  s.SeekOpenTypeCFF(stream);
  EXPECT_EQ(stream.Position(), 6 + 12 + 16);
  stream.SetPosition(6);
  ASSERT_TRUE(s.LoadCFF(stream));
  EXPECT_EQ(s.CharStringNames.size(), 3u);
}

TEST(CFFFont, FontFile3Stream) {
  TCFFBuilder b;
  b.CharStrings = SimpleCharStrings();
  TPDFStructure store;
  TPDFStream* stream = store.NewStream("", false);
  stream->Compress(b.Build(), true);
  TPDFType1Decoder d;
  ASSERT_TRUE(d.LoadCFFStream(stream));
  EXPECT_EQ(d.CharStringNames.size(), 3u);
  EXPECT_FALSE(d.LoadCFFStream(nullptr));
}

TEST(CFFFont, DataThatIsNoFont) {
  for (const std::string& data : {std::string(), std::string("ab"), std::string("OTTO"), std::string(4, '\0'),
                                  std::string("\x01\x00\x04\x04\xff\xff\x04", 7)}) {
    TPDFType1Decoder d;
    d.LoadCFFData(data);
    EXPECT_TRUE(d.CharStringNames.empty());
    EXPECT_FALSE(d.GetGlyphCommands("A"));
  }
}

TEST(CFFHostile, HugeIndexCountsAndOffsetsPastTheData) {
  // An INDEX claiming 65535 items of 4-byte offsets with nothing behind, and one whose offsets
  // point far past the data.
  std::string claim("\xff\xff\x04", 3);
  claim += std::string(64, '\x7f');
  TPDFType1Decoder d;
  TCFFReader reader(d, claim);
  EXPECT_TRUE(reader.ReadIndexAt(0).empty());
  std::string far("\x00\x02\x04\x00\x00\x00\x01\x7f\xff\xff\xff\x7f\xff\xff\xff", 15);
  far += "abc";
  const std::vector<std::string> items = TCFFReader(d, far).ReadIndexAt(0);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0], "abc");
  EXPECT_EQ(items[1], "");
  EXPECT_TRUE(TCFFReader(d, far).ReadIndexAt(-5).empty());
  EXPECT_TRUE(TCFFReader(d, far).ReadIndexAt(1 << 30).empty());
  std::string badOffSize("\x00\x01\x05\x01\x02", 5);
  EXPECT_TRUE(TCFFReader(d, badOffSize).ReadIndexAt(0).empty());
}

TEST(CFFHostile, ManyFontDictsSharingOneLargeSubroutineIndex) {
  // 5000 Font DICTs all name one Private DICT whose subroutine INDEX holds 5000 items of 20
  // bytes: reading each copy would take 500 MB.
  std::vector<std::string> subrs(5000, std::string(20, '\x0b'));
  const std::string subrIndex = CFFIndex(subrs);
  const int64_t privateAt = 4 + 64;
  const std::string priv = DictInt5(6) + DictOp(19);
  std::string head("\x01\x00\x04\x04", 4);
  std::vector<std::string> fds(5000, DictInt5(int64_t(priv.size())) + DictInt5(privateAt) + DictOp(18));
  const std::string fdArray = CFFIndex(fds);
  // Layout: header, padding to privateAt, Private DICT, subroutine INDEX, FDArray, CharStrings,
  // then the four INDEXes are found through a Top DICT placed... after the header, so the
  // padding holds them.
  const std::string charstrings = CFFIndex({TType2().O(14), TType2().O(14)});
  const int64_t fdArrayAt = privateAt + int64_t(priv.size() + subrIndex.size());
  const int64_t charstringsAt = fdArrayAt + int64_t(fdArray.size());
  const std::string top = DictInt(391) + DictInt(392) + DictInt(0) + DictOp(1230) + DictInt5(charstringsAt) +
                          DictOp(17) + DictInt5(fdArrayAt) + DictOp(1236);
  std::string font = head + CFFIndex({"X"}) + CFFIndex({top}) + CFFIndex({}) + CFFIndex({});
  ASSERT_LE(int64_t(font.size()), privateAt);
  font.resize(size_t(privateAt), '\0');
  font += priv + subrIndex + fdArray + charstrings;
  TPDFType1Decoder d;
  ASSERT_TRUE(d.LoadCFFData(font));
  // Font DICTs past what FDSelect can name are not read, and the copies stop at a budget of a
  // few times the data: the first Font DICTs have their subroutines whole, the last none.
  EXPECT_EQ(d.LocalSubrsByFD.size(), TCFFReader::kMaxFontDicts);
  size_t copied = 0;
  for (const auto& list : d.LocalSubrsByFD) {
    for (const auto& s : list) copied += s.size() + 32;
  }
  EXPECT_LE(int64_t(copied), int64_t(font.size()) * TCFFReader::kBudgetFactor + TCFFReader::kBudgetAllowance);
  ASSERT_FALSE(d.LocalSubrsByFD.empty());
  EXPECT_EQ(d.LocalSubrsByFD.front().size(), 5000u);
  EXPECT_TRUE(d.LocalSubrsByFD.back().empty());
  EXPECT_EQ(d.CharStringNames.size(), 2u);
}

TEST(CFFHostile, FDSelectRangesThatDoNotRise) {
  TCFFBuilder b;
  b.CID = true;
  b.CharStrings = SimpleCharStrings();
  b.FontDictSubrs = {{}, {}};
  // Glyphs 0-1 on FD 1, then a range that goes back to 0: it covers nothing.
  b.FDSelect = std::string("\x03\x00\x02\x00\x00\x01\x00\x02\x00\x00\x00", 11);
  TPDFType1Decoder d;
  ASSERT_TRUE(d.LoadCFFData(b.Build()));
  EXPECT_EQ(d.FDSelect, (std::vector<int32_t>{1, 1, 0}));
  // The ranges after one that falls back still count.
  b.FDSelect = std::string("\x03\x00\x03\x00\x00\x01\x00\x02\x00\x00\x01\x02\x00\x03", 14);
  TPDFType1Decoder e;
  ASSERT_TRUE(e.LoadCFFData(b.Build()));
  EXPECT_EQ(e.FDSelect, (std::vector<int32_t>{1, 2, 2}));
  // Ranges falling back to glyph 0 and rising to the last glyph, again and again: together they
  // cover no more than a few times the glyphs, so the ones past that cover nothing.
  TCFFBuilder many;
  many.CID = true;
  many.CharStrings.assign(5000, TType2().O(14));
  many.FontDictSubrs = {{}, {}, {}};
  std::string table("\x03\x4e\x21\x00\x00", 5);  // 20001 ranges from glyph 0
  for (int k = 0; k < 20000; ++k) table += k % 2 == 0 ? std::string("\x01\x13\x88", 3) : std::string("\x00\x00\x00", 3);
  table += std::string("\x02\x00\x02", 3);  // the last would put glyphs 0 and 1 on FD 2
  many.FDSelect = table;
  TPDFType1Decoder f;
  ASSERT_TRUE(f.LoadCFFData(many.Build()));
  ASSERT_EQ(f.FDSelect.size(), 5000u);
  EXPECT_EQ(f.FDSelect[0], 1);
}

TEST(CFFHostile, PrivateDictSizesAndOffsetsOutOfRange) {
  for (const std::string& priv : {DictInt5(0x7fffffff) + DictInt5(10) + DictOp(18),
                                  DictInt5(10) + DictInt5(0x7fffffff) + DictOp(18),
                                  DictInt5(-5) + DictInt5(10) + DictOp(18), DictInt(1) + DictOp(18)}) {
    TCFFBuilder b;
    b.CharStrings = SimpleCharStrings();
    b.TopExtra = priv;
    b.WritePrivate = false;
    TPDFType1Decoder d;
    ASSERT_TRUE(d.LoadCFFData(b.Build()));
    EXPECT_EQ(d.CharStringNames.size(), 3u);
  }
}
