// Glyph outlines of real fonts drawn through the charstring interpreters and the glyph command
// list, against fontTools' control bounds of every glyph and FreeType's rendering of the same
// glyphs.
#include <gtest/gtest.h>

#include <cmath>

#include "pdf/fonts/formats/type1/type1_decoder.h"
#include "tests/pdf/fonts/formats/font_oracle.h"
#include "tests/pdf/fonts/formats/cff_builder.h"
#include "tests/pdf/fonts/formats/glyph_raster.h"
#include "tests/pdf/fonts/formats/type1_builder.h"
#include "tests/support/test_support.h"

using namespace glyphtest;

namespace {

std::unique_ptr<TPDFType1Decoder> LoadType1(const std::string& path) {
  auto d = std::make_unique<TPDFType1Decoder>();
  if (!d->LoadFromPFB(testsupport::ReadFile(path)) || !d->ConvertFontProgram() || !d->ParsePrivate()) return nullptr;
  return d;
}

std::unique_ptr<TPDFType1Decoder> LoadOpenType(const std::string& path) {
  auto d = std::make_unique<TPDFType1Decoder>();
  if (!d->LoadCFFData(testsupport::ReadFile(path))) return nullptr;
  return d;
}

std::vector<TPathOp> Outline(TPDFType1Decoder& d, const std::string& key, const TPDFMatrix& m, bool* found = nullptr) {
  TRecordingCanvas canvas;
  double x = 0, y = 0;
  const bool ok = d.DrawGlyph(x, y, 0, key, m, &canvas);
  if (found != nullptr) *found = ok;
  return canvas.ops;
}

void ExpectBounds(const std::optional<TBounds>& ours, const std::optional<TBounds>& theirs, const std::string& glyph) {
  ASSERT_EQ(ours.has_value(), theirs.has_value()) << glyph;
  if (!ours) return;
  EXPECT_NEAR(ours->XMin, theirs->XMin, 2e-3) << glyph;
  EXPECT_NEAR(ours->YMin, theirs->YMin, 2e-3) << glyph;
  EXPECT_NEAR(ours->XMax, theirs->XMax, 2e-3) << glyph;
  EXPECT_NEAR(ours->YMax, theirs->YMax, 2e-3) << glyph;
}

// Renders a glyph of ours and FreeType's at 64 pixels per em and compares the two.
void ExpectSameRendering(TPDFType1Decoder& d, const std::string& key, const std::string& path,
                         const std::string& ftGlyph) {
  constexpr double kPpem = 64, kOrigin = 48;
  constexpr int kSize = 160;
  const double s = kPpem / 1000;
  const TGrayBitmap ours = RenderPath(Outline(d, key, {s, 0, 0, s, kOrigin, kOrigin}), kSize, kSize);
  TGrayBitmap theirs;
  ASSERT_TRUE(RenderFreeTypeGlyph(path, ftGlyph, kPpem, kOrigin, kOrigin, kSize, kSize, theirs)) << key;
  const TBitmapDifference diff = CompareBitmaps(ours, theirs);
  // Both outlines go through one rasterizer; what differs is the rounding of the points.
  EXPECT_LE(diff.MaxDifference, 48) << key;
  EXPECT_LE(double(diff.Total), 0.01 * double(diff.Ink) + 255) << key;
}

}  // namespace

TEST(Type1Outlines, ControlBoundsOfEveryGlyphMatchFontTools) {
  REQUIRE_FONTTOOLS();
  for (const char* name : {"NimbusSans-Regular", "NimbusRoman-BoldItalic", "C059-Roman", "URWGothic-Book",
                           "StandardSymbolsPS", "Z003-MediumItalic"}) {
    const std::string path = URWType1Path(name);
    if (path.empty()) GTEST_SKIP() << "needs fonts-urw-base35";
    SCOPED_TRACE(name);
    TOracleFont oracle;
    ASSERT_TRUE(RunFontOracle("t1", path, oracle));
    auto d = LoadType1(path);
    ASSERT_NE(d, nullptr);
    for (const TOracleGlyph& g : oracle.Glyphs) {
      bool found = false;
      const std::vector<TPathOp> ops = Outline(*d, g.Name, kIdentityMatrix, &found);
      EXPECT_TRUE(found) << g.Name;
      ExpectBounds(ControlBounds(ops), g.Bounds, g.Name);
    }
  }
}

TEST(Type1Outlines, RenderingMatchesFreeType) {
  for (const char* name : {"NimbusSans-Regular", "NimbusRoman-Italic", "P052-Bold", "NimbusMonoPS-Regular"}) {
    const std::string path = URWType1Path(name);
    if (path.empty()) GTEST_SKIP() << "needs fonts-urw-base35";
    SCOPED_TRACE(name);
    auto d = LoadType1(path);
    ASSERT_NE(d, nullptr);
    for (const std::string& glyph : d->CharStringNames) ExpectSameRendering(*d, glyph, path, glyph);
  }
}

TEST(CFFOutlines, ControlBoundsOfEveryGlyphMatchFontTools) {
  REQUIRE_FONTTOOLS();
  for (const char* name : {"NimbusSans-Regular", "NimbusRoman-BoldItalic", "C059-Roman", "URWGothic-Book",
                           "StandardSymbolsPS", "Z003-MediumItalic", "D050000L"}) {
    const std::string path = URWOpenTypePath(name);
    if (path.empty()) GTEST_SKIP() << "needs fonts-urw-base35";
    SCOPED_TRACE(name);
    TOracleFont oracle;
    ASSERT_TRUE(RunFontOracle("cff", path, oracle));
    auto d = LoadOpenType(path);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->Scale, oracle.Scale);
    EXPECT_EQ(d->IsCIDFont, oracle.CID);
    EXPECT_EQ(int(d->GlobalSubrs.size()), oracle.GlobalSubrs);
    EXPECT_EQ(int(d->Subrs.size()), oracle.Subrs);
    ASSERT_EQ(d->CharStringNames.size(), oracle.Glyphs.size());
    for (int code = 0; code < 256; ++code) {
      const auto it = oracle.Encoding.find(code);
      EXPECT_EQ(d->Encoding[size_t(code)], it != oracle.Encoding.end() ? it->second : ".notdef") << code;
    }
    for (const TOracleGlyph& g : oracle.Glyphs) {
      EXPECT_EQ(d->CharStringNames[size_t(g.Index)], g.Index == 0 ? ".notdef" : g.Name);
      bool found = false;
      // By name, and by glyph index.
      const std::vector<TPathOp> ops = Outline(*d, "GID:" + std::to_string(g.Index), kIdentityMatrix, &found);
      EXPECT_TRUE(found) << g.Name;
      // Glyph 0 of a font with a predefined charset is .notdef, which draws nothing.
      if (g.Index != 0) ExpectBounds(ControlBounds(ops), g.Bounds, g.Name);
      if (g.Index != 0) {
        EXPECT_EQ(ControlBounds(Outline(*d, g.Name, kIdentityMatrix)).has_value(), g.Bounds.has_value());
      }
    }
  }
}

TEST(CFFOutlines, RenderingMatchesFreeType) {
  for (const char* name : {"NimbusSans-Regular", "NimbusRoman-Italic", "P052-Bold", "NimbusMonoPS-Regular"}) {
    const std::string path = URWOpenTypePath(name);
    if (path.empty()) GTEST_SKIP() << "needs fonts-urw-base35";
    SCOPED_TRACE(name);
    auto d = LoadOpenType(path);
    ASSERT_NE(d, nullptr);
    for (size_t i = 1; i < d->CharStringNames.size(); ++i) {
      ExpectSameRendering(*d, "GID:" + std::to_string(i), path, "#" + std::to_string(i));
    }
  }
}

namespace {

// The two numbers of a "hsbw(a,b)" entry.
std::pair<int, int> SideBearing(TPDFType1Decoder& d, const std::string& glyph) {
  d.GetGlyphCommands(glyph);
  const std::string& hsbw = d.GlyphCommands.at(0);
  const size_t comma = hsbw.find(',');
  return {std::stoi(hsbw.substr(5, comma - 5)), std::stoi(hsbw.substr(comma + 1))};
}

}  // namespace

TEST(Type1Outlines, AccentedGlyphMatchesFreeType) {
  // A font whose "Aacute" is made by seac from the URW "A" and "acute".
  const std::string path = URWType1Path("NimbusSans-Regular");
  if (path.empty()) GTEST_SKIP() << "needs fonts-urw-base35";
  auto urw = LoadType1(path);
  ASSERT_NE(urw, nullptr);
  TType1Builder b;
  for (size_t i = 0; i < urw->Subrs.size(); ++i) b.Subrs.push_back(urw->GetSubr(int64_t(i)));
  const auto [sbxA, widthA] = SideBearing(*urw, "A");
  const int asb = SideBearing(*urw, "acute").first;
  b.Glyphs = {{".notdef", TCharstring().N(0).N(250).O(13).O(14).Bytes()},
              {"A", urw->DecryptCharstring(urw->FindCharString("A"))},
              {"acute", urw->DecryptCharstring(urw->FindCharString("acute"))},
              {"Aacute", TCharstring().N(sbxA).N(widthA).O(13).N(asb).N(150).N(180).N(65).N(194).E(6).Bytes()}};
  testsupport::TempDir dir;
  const std::string pfb = dir.File("seac.pfb");
  testsupport::WriteFile(pfb, b.PFB());
  auto d = LoadType1(pfb);
  ASSERT_NE(d, nullptr);
  ExpectSameRendering(*d, "Aacute", pfb, "Aacute");
  // The accent is really there: the composite has more ink than the base.
  TGrayBitmap a, aacute;
  ASSERT_TRUE(RenderFreeTypeGlyph(pfb, "A", 64, 48, 48, 160, 160, a));
  ASSERT_TRUE(RenderFreeTypeGlyph(pfb, "Aacute", 64, 48, 48, 160, 160, aacute));
  EXPECT_GT(CompareBitmaps(aacute, a).Total, 5000);
}

TEST(CFFOutlines, AccentedGlyphMatchesFreeType) {
  // A CFF font whose "Aacute" is made by endchar from the URW "A" and "acute", with the URW
  // font's subroutines.
  const std::string path = URWOpenTypePath("NimbusSans-Regular");
  if (path.empty()) GTEST_SKIP() << "needs fonts-urw-base35";
  auto urw = LoadOpenType(path);
  ASSERT_NE(urw, nullptr);
  TCFFBuilder b;
  b.GlobalSubrs = urw->GlobalSubrs;
  b.LocalSubrs = urw->Subrs;
  b.CharStrings = {TType2().O(14), urw->FindCharString("A"), urw->FindCharString("acute"),
                   TType2().N(150).N(180).N(65).N(194).O(14)};
  b.Charset = std::string("\x00\x00\x22\x00\x7d\x00\xab", 7);  // SIDs 34 A, 125 acute, 171 Aacute
  testsupport::TempDir dir;
  const std::string cff = dir.File("seac.cff");
  testsupport::WriteFile(cff, b.Build());
  auto d = std::make_unique<TPDFType1Decoder>();
  ASSERT_TRUE(d->LoadCFFData(testsupport::ReadFile(cff)));
  ASSERT_EQ(d->CharStringNames[3], "Aacute");
  ExpectSameRendering(*d, "Aacute", cff, "#3");
  TGrayBitmap a, aacute;
  ASSERT_TRUE(RenderFreeTypeGlyph(cff, "#1", 64, 48, 48, 160, 160, a));
  ASSERT_TRUE(RenderFreeTypeGlyph(cff, "#3", 64, 48, 48, 160, 160, aacute));
  EXPECT_GT(CompareBitmaps(aacute, a).Total, 5000);
}
