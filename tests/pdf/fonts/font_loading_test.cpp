// Loading fonts into the collection: the built-in widths of HeiseiKakuGo-W5 (read against the
// IPA face by fontTools), Type 1 programs that cannot be read falling back to installed faces,
// Type 1 programs found in FontFile2 streams, and CJK faces known by their native names.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "pdf/core/encodings/font_family_list.h"
#include "pdf/core/word_pair_list.h"
#include "pdf/fonts/builtin_cid_widths.h"
#include "pdf/fonts/font_collection.h"
#include "pdf/fonts/font_substitutes.h"
#include "pdf/fonts/formats/truetype/simple_truetype_rasterizer.h"
#include "pdf/fonts/formats/truetype/truetype_rasterizer.h"
#include "pdf/fonts/formats/type1/type1_decoder.h"
#include "platform/gdi/canvas.h"
#include "platform/gdi/font_data.h"
#include "platform/rtl/strings.h"
#include "tests/pdf/fonts/font_doc.h"
#include "tests/pdf/fonts/formats/type1_builder.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"
#include "tests/support/test_support.h"

using namespace glyphtest;

namespace {

const char* const kIPAPGothic = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf";

// Width of every CID the IPA face has a glyph for (its glyphs are named "aj" + CID), in
// thousandths of the em, as fontTools reads the face.
std::map<int, int> FaceCIDWidths() {
  const std::string script =
      "from fontTools.ttLib import TTFont\n"
      "import re\n"
      "f = TTFont('" + std::string(kIPAPGothic) + "')\n"
      "s = 1000.0 / f['head'].unitsPerEm\n"
      "for g in f.getGlyphOrder():\n"
      "    m = re.fullmatch(r'aj(\\d+)', g)\n"
      "    if m: print(m.group(1), int(round(f['hmtx'].metrics[g][0] * s)))\n";
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("widths.py"), script);
  std::string out;
  std::map<int, int> widths;
  if (testsupport::Run("/usr/bin/python3 " + dir.File("widths.py"), &out) != 0) return widths;
  std::istringstream lines(out);
  int cid = 0, width = 0;
  while (lines >> cid >> width) widths[cid] = width;
  return widths;
}

const TPDFFontCollectionData& LoadComposite(TPDFFontCollection& fonts, FontDoc& doc, const std::string& descendant) {
  doc.Add(5, "<< /Type /Font /Subtype /Type0 /BaseFont /F /Encoding /Identity-H /DescendantFonts [6 0 R] >>");
  doc.Add(6, descendant);
  fonts.SelectFont(doc.Ref(5));
  EXPECT_EQ(fonts.FontCount(), 1);
  return *fonts.Current();
}

// A Type 1 program whose glyph "Bee" sits at code 65 of its own encoding.
TType1Builder BeeProgram() {
  TType1Builder b;
  b.EncodingText = "/Encoding 256 array\n0 1 255 {1 index exch /.notdef put} for\ndup 65 /Bee put\nreadonly def\n";
  b.Glyphs = {{".notdef", TCharstring().N(0).N(250).O(13).O(14).Bytes()},
              {"Bee", TCharstring().N(20).N(600).O(13).N(100).N(200).O(21).N(300).O(6).O(9).O(14).Bytes()}};
  return b;
}

bool Draws(TPDFFontRasterizer* r, const std::string& key) {
  if (r == nullptr) return false;
  canvastest::RecordingCanvas canvas;
  double x = 0, y = 0;
  return r->DrawGlyph(x, y, 0, key, {0.01, 0, 0, 0.01, 0, 0}, &canvas) && !canvas.calls.empty();
}

}  // namespace

TEST(BuiltInCIDWidths, HeiseiKakuGoW5TakesTheIPAFacesWidths) {
  const std::map<int, int> face = FaceCIDWidths();
  if (face.empty()) GTEST_SKIP() << "needs fontTools and " << kIPAPGothic;
  FontDoc doc;
  TPDFFontCollection fonts;
  // The table replaces W; DW stays the default.
  const TPDFFontCollectionData& f = LoadComposite(
      fonts, doc,
      "<< /Type /Font /Subtype /CIDFontType0 /BaseFont /ABCDEF+HeiseiKakuGo-W5 /CIDSystemInfo << /Registry (Adobe) "
      "/Ordering (Japan1) /Supplement 2 >> /DW 990 /W [34 [111] 843 [222]] >>");
  EXPECT_EQ(f.CIDWidths.Default, 990);
  std::map<int, int> pages;  // page -> CIDs with a width
  int narrow = 0;
  for (int cid = 0; cid < 65536; ++cid) {
    const auto width = f.CIDWidths.Find(cid);
    if (!width) continue;
    ++pages[cid >> 8];
    const auto it = face.find(cid);
    ASSERT_NE(it, face.end()) << "CID " << cid << " has a width the face does not give";
    EXPECT_EQ(*width, it->second) << "CID " << cid;
    if (*width != 1000) ++narrow;
  }
  // Six pages of 256 CIDs, among them every page of the collection up to Supplement 2 (CIDs
  // 0-8719) where the face has widths other than the full width; within a page every CID
  // the face has.
  EXPECT_EQ(pages.size(), 6u);
  for (const auto& [cid, width] : face) {
    if (width != 1000 && cid <= 8719) { EXPECT_TRUE(pages.count(cid >> 8)) << "CID " << cid; }
    if (pages.count(cid >> 8)) { EXPECT_TRUE(f.CIDWidths.Find(cid).has_value()) << "CID " << cid; }
  }
  EXPECT_GT(narrow, 400);
  EXPECT_EQ(f.CIDWidths.Find(34), face.at(34));    // proportional "A"
  EXPECT_EQ(f.CIDWidths.Find(264), 500);           // half-width "A"
  EXPECT_EQ(f.CIDWidths.Find(633), 1000);          // a full-width symbol
  EXPECT_FALSE(f.CIDWidths.Find(843).has_value());    // full-width hiragana, beyond the pages: DW
  EXPECT_FALSE(f.CIDWidths.Find(15518).has_value());  // a proportional kana: DW answers
  // A CID of a recorded page that the face lacks has no width of its own: DW answers.
  int lacking = 0;
  for (const auto& [page, count] : pages) {
    for (int cid = page * 256; cid < page * 256 + 256; ++cid) {
      if (face.count(cid) != 0) continue;
      EXPECT_FALSE(f.CIDWidths.Find(cid).has_value()) << "CID " << cid;
      ++lacking;
    }
  }
  EXPECT_GT(lacking, 0);
}

TEST(BuiltInCIDWidths, OnlyForTheCIDKeyedType1Font) {
  EXPECT_TRUE(HasBuiltInCIDWidths("CIDFontType0", "HeiseiKakuGo-W5-UniJIS-UCS2-H"));
  EXPECT_FALSE(HasBuiltInCIDWidths("CIDFontType2", "HeiseiKakuGo-W5"));
  EXPECT_FALSE(HasBuiltInCIDWidths("CIDFontType0", "HeiseiMin-W3"));
  FontDoc doc;
  TPDFFontCollection fonts;
  const TPDFFontCollectionData& f = LoadComposite(
      fonts, doc, "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /HeiseiKakuGo-W5 /DW 990 /W [34 [111]] >>");
  EXPECT_EQ(f.CIDWidths.Find(34), 111);
  EXPECT_FALSE(f.CIDWidths.Find(264).has_value());
}

TEST(BuiltInCIDWidths, RecordsGiveTheirPageAndSkipZeros) {
  std::string records(2 * 513, '\0');
  records[0] = 3;
  records[1 + 2 * 7] = 0x01, records[2 + 2 * 7] = 0xF4;  // CID 3 * 256 + 7: 500
  records[513] = char(0xFF);
  records[513 + 1 + 2 * 255] = char(0xFF), records[513 + 2 + 2 * 255] = char(0xFF);  // CID 65535
  TCIDWidths w;
  ReadCIDWidthRecords(records + std::string(100, '\x01'), w);  // a short record is ignored
  EXPECT_EQ(w.Find(775), 500);
  EXPECT_EQ(w.Find(65535), 65535);
  EXPECT_FALSE(w.Find(776).has_value());
  EXPECT_FALSE(w.Find(1).has_value());
}

TEST(Type1Road, AProgramWithoutCharStringsFallsBackToAnInstalledFace) {
  const TType1Builder good = BeeProgram();
  const std::string clear = good.ClearText();
  struct Case {
    std::string binary;
    bool embedded;
  } cases[] = {
      {good.BinaryPart(), true},
      // The private part decrypts to text without CharStrings.
      {EexecEncrypt(55665, "abcd/Private 1 dict begin /lenIV 4 def end"), false},
      {"not encrypted at all", false},
  };
  for (const Case& c : cases) {
    FontDoc doc;
    doc.AddStream(7, clear + c.binary,
                  "/Length1 " + std::to_string(clear.size()) + " /Length2 " + std::to_string(c.binary.size()) +
                      " /Length3 0");
    doc.Add(6, "<< /Type /FontDescriptor /FontName /Helvetica /Flags 32 /FontFile 7 0 R >>");
    doc.Add(5, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /FontDescriptor 6 0 R >>");
    TPDFFontCollection fonts;
    fonts.SetFontPrograms(true);
    fonts.SelectFont(doc.Ref(5));
    ASSERT_EQ(fonts.FontCount(), 1);
    const TPDFFontCollectionData& f = *fonts.Current();
    if (c.embedded) {
      ASSERT_NE(dynamic_cast<TPDFType1Decoder*>(f.Rasterizer.get()), nullptr);
      EXPECT_EQ(f.GlyphNames[65], "Bee");  // no Encoding in the dictionary: the program's own
      EXPECT_TRUE(Draws(f.Rasterizer.get(), "Bee"));
    } else {
      // Helvetica through the installed face, with its names and widths.
      EXPECT_NE(dynamic_cast<TPDFTrueTypeRasterizer2*>(f.Rasterizer.get()), nullptr);
      EXPECT_EQ(f.GlyphNames[65], "A");
      EXPECT_EQ(f.Widths[65], 667);
      EXPECT_TRUE(Draws(f.Rasterizer.get(), "A"));
    }
  }
}

TEST(Type1Road, ACIDKeyedProgramThatCannotBeReadTakesACJKSubstitute) {
  FontDoc doc;
  TPDFFontCollection fonts;
  fonts.SetFontPrograms(true);
  doc.AddStream(7, "garbage", "/Length1 3 /Length2 4 /Length3 0");
  doc.Add(8, "<< /Type /FontDescriptor /FontName /Ryumin-Light /Flags 4 /FontFile 7 0 R >>");
  const TPDFFontCollectionData& f = LoadComposite(
      fonts, doc,
      "<< /Type /Font /Subtype /CIDFontType0 /BaseFont /Ryumin-Light /CIDSystemInfo << /Registry (Adobe) "
      "/Ordering (Japan1) /Supplement 2 >> /FontDescriptor 8 0 R >>");
  EXPECT_NE(dynamic_cast<TPDFSimpleTrueTypeRasterizer*>(f.Rasterizer.get()), nullptr);
}

namespace {

// The font current after selecting a Type0 font whose encoding is an embedded CMap (text and
// stream entries given) over a CIDFontType2 without a program, in Japan1 or Identity; nullptr
// unless exactly one font was loaded.
const TPDFFontCollectionData* OverEmbeddedCMap(TPDFFontCollection& fonts, FontDoc& doc, const std::string& cmap,
                                               const std::string& entries, bool japan) {
  doc.AddStream(7, "/CIDInit /ProcSet findresource begin 12 dict begin begincmap " + cmap + " endcmap", entries);
  doc.Add(5, "<< /Type /Font /Subtype /Type0 /BaseFont /F /Encoding 7 0 R /DescendantFonts [6 0 R] >>");
  doc.Add(6, std::string("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /MS-Mincho /CIDSystemInfo << /Registry "
                         "(Adobe) ") +
                 (japan ? "/Ordering (Japan1) /Supplement 2" : "/Ordering (Identity) /Supplement 0") + " >> >>");
  fonts.SelectFont(doc.Ref(5));
  return fonts.FontCount() == 1 ? fonts.Current() : nullptr;
}

}  // namespace

// An embedded CMap that builds on a predefined one (usecmap) maps the codes it leaves to its
// parent through that parent, and splits strings by the parent's codespace.
TEST(CompositeFonts, AnEmbeddedCMapMapsThroughItsPredefinedParent) {
  FontDoc doc;
  TPDFFontCollection fonts;
  const TPDFFontCollectionData* f = OverEmbeddedCMap(
      fonts, doc, "/CMapName /Custom-H def /CMapType 1 def /90ms-RKSJ-H usecmap 1 begincidchar <8140> 9999 endcidchar",
      "/Type /CMap /CMapName /Custom-H", true);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(fonts.LookupCMap(f->CMapIndex, 0x8140), 9999);
  EXPECT_EQ(fonts.LookupCMap(f->CMapIndex, 0x889F), 1125);  // 亜, from 90ms-RKSJ-H
  std::vector<uint32_t> codes;
  fonts.StringToCodes(std::string("A\x88\x9f", 3), codes);
  EXPECT_EQ(codes, (std::vector<uint32_t>{0x41, 0x889F}));
}

// An embedded CMap that names itself nowhere still splits strings by its own codespace: one-byte
// codes are not read in pairs.
TEST(CompositeFonts, AnEmbeddedCMapWithoutANameSplitsByItsCodespace) {
  FontDoc doc;
  TPDFFontCollection fonts;
  const TPDFFontCollectionData* f = OverEmbeddedCMap(
      fonts, doc, "/CMapType 1 def 1 begincodespacerange <00> <FF> endcodespacerange 1 begincidrange <41> <42> 5 "
                  "endcidrange", "/Type /CMap", false);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->EncodingCMapName, "Embedded");
  std::vector<uint32_t> codes;
  fonts.StringToCodes("AB", codes);
  EXPECT_EQ(codes, (std::vector<uint32_t>{0x41, 0x42}));
  EXPECT_EQ(fonts.LookupCMap(f->CMapIndex, 0x42), 6);
}

// A CJK substitute face behind an embedded CMap draws each CID's character of the font's
// character collection, as it does behind a predefined CMap.
TEST(CompositeFonts, AnEmbeddedCMapOverASubstituteFaceTakesItsCollectionsCharacters) {
  FontDoc doc;
  TPDFFontCollection fonts;
  const TPDFFontCollectionData* f = OverEmbeddedCMap(
      fonts, doc, "/CMapName /Custom-H def /CMapType 1 def 1 begincodespacerange <0000> <FFFF> endcodespacerange "
                  "1 begincidchar <0001> 1125 endcidchar", "/Type /CMap /CMapName /Custom-H", true);
  ASSERT_NE(f, nullptr);
  EXPECT_NE(dynamic_cast<TPDFSimpleTrueTypeRasterizer*>(f->Rasterizer.get()), nullptr);
  EXPECT_EQ(fonts.LookupCMap(f->CMapIndex, 1), 1125);
  ASSERT_NE(f->CodePageTable, nullptr);
  EXPECT_EQ(f->CodePageTable->Find(1125), 0x4E9C);  // 亜
}

// A CIDToGIDMap holds one entry per CID, and CIDs stop at 65535: entries past them are not
// kept (as 16-bit CIDs they would stand for CIDs 0, 1, ... again).
TEST(CompositeFonts, CIDToGIDMapStopsAtTheLastCID) {
  std::string map(2 * 65538, '\0');
  map[1] = 3;                       // CID 0: glyph 3
  map[2 * 65536 + 1] = 7;           // one past the last CID
  FontDoc doc;
  doc.AddStream(7, map);
  doc.Add(5, "<< /Type /Font /Subtype /Type0 /BaseFont /F /Encoding /Identity-H /DescendantFonts [6 0 R] >>");
  doc.Add(6, "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /F /CIDToGIDMap 7 0 R >>");
  TPDFFontCollection fonts;
  fonts.SelectFont(doc.Ref(5));
  ASSERT_EQ(fonts.FontCount(), 1);
  const TPDFFontCollectionData& f = *fonts.Current();
  ASSERT_EQ(f.CIDToGID.size(), 65536u);
  EXPECT_EQ(f.CIDToGID[0], 3);
}

TEST(TrueTypeRoad, AType1ProgramInFontFile2) {
  const std::string pfb = BeeProgram().PFB();
  TType1Builder broken = BeeProgram();
  broken.Glyphs.clear();
  std::string unreadable = PFBSegment(1, broken.ClearText()) +
                           PFBSegment(2, EexecEncrypt(55665, "abcd/Private 1 dict begin end")) +
                           std::string("\x80\x03", 2);
  struct Case {
    std::string program;
    int flags;
    const char* name65;  // the glyph name of code 65
    bool embedded;
  } cases[] = {
      // A symbolic font takes the program's own encoding though the dictionary names one.
      {pfb, 4, "Bee", true},
      {pfb, 32, "A", true},
      {unreadable, 4, "A", false},
  };
  for (const Case& c : cases) {
    FontDoc doc;
    doc.AddStream(7, c.program);
    doc.Add(6, "<< /Type /FontDescriptor /FontName /Test-Font /Flags " + std::to_string(c.flags) +
                   " /FontFile2 7 0 R >>");
    doc.Add(5, "<< /Type /Font /Subtype /TrueType /BaseFont /Test-Font /Encoding /WinAnsiEncoding "
               "/FontDescriptor 6 0 R >>");
    TPDFFontCollection fonts;
    fonts.SetFontPrograms(true);
    fonts.SelectFont(doc.Ref(5));
    ASSERT_EQ(fonts.FontCount(), 1);
    const TPDFFontCollectionData& f = *fonts.Current();
    EXPECT_EQ(f.GlyphNames[65], c.name65) << c.flags;
    EXPECT_EQ(dynamic_cast<TPDFType1Decoder*>(f.Rasterizer.get()) != nullptr, c.embedded) << c.flags;
    EXPECT_TRUE(Draws(f.Rasterizer.get(), c.embedded ? "Bee" : "A")) << c.flags;
  }
}

TEST(CJKNativeNames, CodePage932BytesAsTheSystemSpellsThem) {
  REQUIRE_TOOL("iconv");
  for (const char* face : {"MS Mincho", "MS PMincho", "MS Gothic", "MS PGothic", "MingLiu", "PMingLiu", "DFKai-SB",
                           "SimSun", "NSimSun"}) {
    const std::string_view bytes = CJKNativeFaceName(face);
    ASSERT_FALSE(bytes.empty()) << face;
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.File("name"), bytes);
    std::string utf8;
    ASSERT_EQ(testsupport::Run("iconv -f CP932 -t UTF-8 " + dir.File("name"), &utf8), 0) << face;
    EXPECT_EQ(TPDFFontCollection::NativeFaceName(face), utf8) << face;
  }
  // The face matches when it starts with the Western name.
  EXPECT_EQ(CJKNativeFaceName("SimSun-ExtB"), CJKNativeFaceName("SimSun"));
  EXPECT_EQ(CJKNativeFaceName("Arial"), "");
  EXPECT_EQ(TPDFFontCollection::NativeFaceName("Gulim"), "");
}

TEST(CJKNativeNames, AFaceKnownOnlyByItsNativeNameIsUsed) {
  if (!testsupport::FontsPinned()) GTEST_SKIP() << "fonts are not pinned";
  if (testsupport::Run("/usr/bin/python3 -c 'import fontTools' 2>/dev/null") != 0) GTEST_SKIP() << "needs fontTools";
  // A Japanese face whose only name is the native name of SimSun, which no face of the
  // Japanese character set answers by its Western name.
  testsupport::TempDir dir;
  const std::string file = dir.File("native.ttf");
  const std::string native = TPDFFontCollection::NativeFaceName("SimSun");
  testsupport::WriteFile(dir.File("rename.py"),
                         "import sys\nfrom fontTools.ttLib import TTFont\n"
                         "f = TTFont('/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf')\n"
                         "name = open(sys.argv[1], encoding='utf-8').read()\n"
                         "f['name'].names = []\n"
                         "for i in (1, 4, 16): f['name'].setName(name, i, 3, 1, 0x409)\n"
                         "f['name'].setName('Regular', 2, 3, 1, 0x409)\n"
                         "f['name'].setName('NativeOnly', 6, 3, 1, 0x409)\n"
                         "f.save(sys.argv[2])\n");
  testsupport::WriteFile(dir.File("name"), native);
  ASSERT_EQ(testsupport::Run("/usr/bin/python3 " + dir.File("rename.py") + " " + dir.File("name") + " " + file), 0);
  const WideString wide = FileNameToWide(file);
  ASSERT_EQ(AddFontResourceW(wide.c_str()), 1);
  ASSERT_LT(GetFontFamilyList(128)->IndexOf("SimSun"), 0);
  EXPECT_TRUE(FontFamilyInstalled(128, native));
  auto rasterizer = TPDFFontCollection::CreateCJKSubstitute(128, "SimSun", "X,Bold");
  auto& simple = dynamic_cast<TPDFSimpleTrueTypeRasterizer&>(*rasterizer);
  EXPECT_EQ(simple.GetFont().Name(), native);
  EXPECT_EQ(simple.GetFont().Style(), fsBold);
  // A face the Japanese set knows by neither name takes the Western rules.
  auto other = TPDFFontCollection::CreateCJKSubstitute(128, "DFKai-SB", "X");
  EXPECT_EQ(dynamic_cast<TPDFSimpleTrueTypeRasterizer&>(*other).GetFont().Name(), "DFKai-SB");
  RemoveFontResourceW(wide.c_str());
}

TEST(CJKNativeNames, InstalledFacesAnswerEveryNameTheyCarry) {
  if (!testsupport::FontsPinned()) GTEST_SKIP() << "fonts are not pinned";
  // IPAGothic is listed by its Western name; its Japanese name finds it as well.
  EXPECT_GE(GetFontFamilyList(128)->IndexOf("IPAGothic"), 0);
  EXPECT_TRUE(FontFamilyInstalled(128, "IPA\xe3\x82\xb4\xe3\x82\xb7\xe3\x83\x83\xe3\x82\xaf"));
  EXPECT_TRUE(FontFamilyInstalled(128, "MS Gothic"));
  EXPECT_FALSE(FontFamilyInstalled(128, "No Such Face Anywhere"));
  EXPECT_FALSE(FontFamilyInstalled(128, ""));
}

TEST(InstalledFaces, SymbolKeepsItsOwnCodesBelowTheDifferences) {
  for (const std::string encoding : {"<< /Differences [97 /gamma] >>", "/WinAnsiEncoding", ""}) {
    FontDoc doc;
    doc.Add(5, "<< /Type /Font /Subtype /Type1 /BaseFont /Symbol" +
                   (encoding.empty() ? std::string() : " /Encoding " + encoding) + " >>");
    TPDFFontCollection fonts;
    fonts.SelectFont(doc.Ref(5));
    ASSERT_EQ(fonts.FontCount(), 1);
    const TPDFFontCollectionData& f = *fonts.Current();
    // Code 66 is Beta in the Symbol font's own table.
    EXPECT_EQ(f.GlyphNames[66], "Beta") << encoding;
    EXPECT_EQ(f.GlyphNames[97], encoding.starts_with("<<") ? "gamma" : "alpha") << encoding;
    EXPECT_TRUE(Draws(f.Rasterizer.get(), f.GlyphNames[66])) << encoding;
    EXPECT_EQ(f.Widths[66], 667) << encoding;
  }
}
