// The TrueType parser against fontTools' reading of real Debian fonts: directory, head, maxp,
// loca, post names, every cmap mapping, hhea, advance widths, and every glyph's points, flags,
// contours and components.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "pdf/fonts/formats/truetype/truetype_parser.h"
#include "tests/support/test_support.h"

namespace {

bool HaveFontTools() {
  static const bool have = testsupport::Run("/usr/bin/python3 -c 'import fontTools' 2>/dev/null") == 0;
  return have;
}

std::string OracleDump(const std::string& font) {
  std::string out;
  const std::string script = testsupport::SourceDir() + "/tests/pdf/fonts/oracle/sfnt_dump.py";
  EXPECT_EQ(testsupport::Run("/usr/bin/python3 '" + script + "' '" + font + "'", &out), 0) << font;
  return out;
}

int32_t Scaled(int64_t value, int64_t unitsPerEm) { return int32_t(value * 1000 / unitsPerEm); }

// Names fontTools makes up for glyphs without a name of their own, or to tell duplicates apart.
bool MadeUpName(const std::string& name) {
  if (name.find('#') != std::string::npos) return true;
  return name.rfind("glyph", 0) == 0 && name.size() > 5 && name.find_first_not_of("0123456789", 5) == std::string::npos;
}

class TrueTypeOracle : public testing::TestWithParam<const char*> {};

TEST_P(TrueTypeOracle, TablesMatchFontTools) {
  const std::string path = GetParam();
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "missing " << path;
  if (!HaveFontTools()) GTEST_SKIP() << "needs python3-fonttools";
  TPDFTrueTypeParser parser;
  parser.LoadFromString(testsupport::ReadFile(path));
  ASSERT_TRUE(parser.Loaded());
  const int64_t upem = parser.GetHead().UnitsPerEm;

  std::istringstream lines(OracleDump(path));
  std::string line;
  // Mappings per subtable, both ways.
  std::map<int, std::set<std::pair<int, int>>> oracleMaps;
  int glyphsCompared = 0, namesCompared = 0, pointsCompared = 0, componentsCompared = 0;
  std::map<int, size_t> componentSeen;
  while (std::getline(lines, line)) {
    std::istringstream in(line);
    std::string kind;
    in >> kind;
    SCOPED_TRACE(line.substr(0, 120));
    if (kind == "dir") {
      int n, sr, es, rs;
      in >> n >> sr >> es >> rs;
      EXPECT_EQ(parser.NumTables(), n);
      EXPECT_EQ(parser.SearchRange(), sr);
      EXPECT_EQ(parser.EntrySelector(), es);
      EXPECT_EQ(parser.RangeShift(), rs);
    } else if (kind == "table") {
      std::string tag;
      uint32_t sum, offset, length;
      in >> tag >> sum >> offset >> length;
      for (char& c : tag) c = c == '_' ? ' ' : c;
      const TTrueTypeTableRecord* t = parser.FindTable(tag);
      ASSERT_NE(t, nullptr);
      EXPECT_EQ(t->TagText, tag);
      EXPECT_EQ(t->CheckSum, sum);
      EXPECT_EQ(t->Offset, offset);
      EXPECT_EQ(t->Length, length);
    } else if (kind == "head") {
      int64_t version, revision, flags, units, created, modified, xMin, yMin, xMax, yMax, style, loc, data;
      in >> version >> revision >> flags >> units >> created >> modified >> xMin >> yMin >> xMax >> yMax >> style >>
          loc >> data;
      const TTrueTypeHead& h = parser.GetHead();
      EXPECT_EQ(std::llround(h.Version * 65536), version);
      EXPECT_EQ(std::llround(h.FontRevision * 65536), revision);
      EXPECT_EQ(h.Flags, flags);
      EXPECT_EQ(h.UnitsPerEm, units);
      EXPECT_EQ(h.Created, created);
      EXPECT_EQ(h.Modified, modified);
      EXPECT_EQ(std::tuple(h.XMin, h.YMin, h.XMax, h.YMax), std::tuple(xMin, yMin, xMax, yMax));
      EXPECT_EQ(h.MacStyle, style);
      EXPECT_EQ(h.IndexToLocFormat, loc);
      EXPECT_EQ(h.GlyphDataFormat, data);
    } else if (kind == "maxp") {
      int n;
      in >> n;
      EXPECT_EQ(parser.GlyphCount(), n);
    } else if (kind == "loca") {
      std::vector<uint32_t> loca;
      for (uint32_t v; in >> v;) loca.push_back(v);
      EXPECT_EQ(parser.Loca(), loca);
    } else if (kind == "post") {
      int64_t version, angle, position, thickness, fixed;
      in >> version >> angle >> position >> thickness >> fixed;
      const TTrueTypePost& p = parser.GetPost();
      EXPECT_EQ(std::llround(p.Version * 65536), version);
      EXPECT_EQ(std::llround(p.ItalicAngle * 65536), angle);
      EXPECT_EQ(p.UnderlinePosition, position);
      EXPECT_EQ(p.UnderlineThickness, thickness);
      EXPECT_EQ(p.IsFixedPitch, fixed);
      if (version == 0x30000) {
        EXPECT_EQ(parser.NameCount(), 0);
      }
    } else if (kind == "name") {
      int glyph;
      std::string name;
      in >> glyph >> name;
      if (MadeUpName(name)) continue;
      EXPECT_EQ(parser.GlyphName(glyph), name);
      ++namesCompared;
    } else if (kind == "cmap") {
      int index, platform, encoding, format;
      in >> index >> platform >> encoding >> format;
      const TTrueTypeCmap& t = parser.CmapAt(index);
      EXPECT_EQ(t.PlatformID, platform);
      EXPECT_EQ(t.EncodingID, encoding);
      EXPECT_EQ(t.Format, format);
      oracleMaps[index];
    } else if (kind == "map") {
      int index, code, glyph;
      in >> index >> code >> glyph;
      oracleMaps[index].insert({code, glyph});
    } else if (kind == "hhea") {
      int64_t v[11];
      for (auto& x : v) in >> x;
      const TTrueTypeHhea& h = parser.GetHhea();
      EXPECT_EQ(h.Ascender, Scaled(v[0], upem));
      EXPECT_EQ(h.Descender, Scaled(v[1], upem));
      EXPECT_EQ(h.LineGap, Scaled(v[2], upem));
      EXPECT_EQ(h.AdvanceWidthMax, Scaled(v[3], upem));
      EXPECT_EQ(h.MinLeftSideBearing, Scaled(v[4], upem));
      EXPECT_EQ(h.MinRightSideBearing, Scaled(v[5], upem));
      EXPECT_EQ(h.XMaxExtent, Scaled(v[6], upem));
      EXPECT_EQ(std::tuple(h.CaretSlopeRise, h.CaretSlopeRun, h.CaretOffset), std::tuple(v[7], v[8], v[9]));
      EXPECT_EQ(h.NumberOfHMetrics, v[10]);
    } else if (kind == "adv") {
      int glyph, width;
      in >> glyph >> width;
      ASSERT_EQ(parser.GetAdvanceWidth(glyph), Scaled(width, upem));
    } else if (kind == "glyph") {
      int glyph, contours, xMin, yMin, xMax, yMax;
      in >> glyph >> contours >> xMin >> yMin >> xMax >> yMax;
      const TTrueTypeGlyph g = parser.GetGlyph(glyph);
      EXPECT_TRUE(g.Valid);
      EXPECT_EQ(g.NumberOfContours, contours);
      EXPECT_EQ(std::tuple(g.XMin, g.YMin, g.XMax, g.YMax), std::tuple(xMin, yMin, xMax, yMax));
      ++glyphsCompared;
    } else if (kind == "end") {
      int glyph;
      in >> glyph;
      std::vector<uint16_t> ends;
      for (int e; in >> e;) ends.push_back(uint16_t(e));
      EXPECT_EQ(parser.GetGlyph(glyph).EndPoints, ends);
    } else if (kind == "pts") {
      int glyph;
      in >> glyph;
      const TTrueTypeGlyph g = parser.GetGlyph(glyph);
      size_t i = 0;
      for (std::string p; in >> p; ++i) {
        int x, y, on;
        ASSERT_EQ(std::sscanf(p.c_str(), "%d,%d,%d", &x, &y, &on), 3);
        ASSERT_LT(i, g.Points.size());
        ASSERT_EQ(std::tuple(g.Points[i].X, g.Points[i].Y, g.Flags[i] & 1), std::tuple(x, y, on)) << "point " << i;
        ++pointsCompared;
      }
      EXPECT_EQ(i, g.Points.size());
    } else if (kind == "comp") {
      int glyph, part;
      std::string how;
      int a1, a2;
      double xx, xy, yx, yy;
      in >> glyph >> part >> how >> a1 >> a2 >> xx >> xy >> yx >> yy;
      const TTrueTypeGlyph g = parser.GetGlyph(glyph);
      const size_t k = componentSeen[glyph]++;
      ASSERT_LT(k, g.Components.size());
      const TTrueTypeComponent& c = g.Components[k];
      EXPECT_EQ(c.GlyphIndex, part);
      EXPECT_EQ((c.Flags & kTTArgsAreXYValues) != 0, how == "xy");
      EXPECT_EQ(std::tuple(c.Argument1, c.Argument2), std::tuple(a1, a2));
      EXPECT_NEAR(c.XScale, xx, 1e-4);
      EXPECT_NEAR(c.Scale01, xy, 1e-4);
      EXPECT_NEAR(c.Scale10, yx, 1e-4);
      EXPECT_NEAR(c.YScale, yy, 1e-4);
      ++componentsCompared;
    }
  }
  for (const auto& [glyph, seen] : componentSeen) EXPECT_EQ(parser.GetGlyph(glyph).Components.size(), seen);
  // fontTools leaves out codes that map to glyph 0; so does this comparison. A segment that ends
  // at U+FFFF holds only the end marker in these fonts and is not read.
  for (const auto& [index, expected] : oracleMaps) {
    const TTrueTypeCmap& t = parser.CmapAt(index);
    std::set<std::pair<int, int>> ours, theirs;
    for (size_t i = 0; i < t.Codes.size(); ++i) {
      if (t.GlyphIds[i] != 0) ours.insert({t.Codes[i], t.GlyphIds[i]});
    }
    for (const auto& [code, glyph] : expected) {
      if (glyph != 0 && code < 0xFFFF) theirs.insert({code, glyph});
    }
    EXPECT_EQ(ours, theirs) << "cmap subtable " << index;
  }
  const bool hasGlyf = parser.FindTable("glyf") != nullptr;
  if (hasGlyf) {
    EXPECT_GT(componentsCompared, 100);
    EXPECT_GT(glyphsCompared, 100);
    EXPECT_GT(pointsCompared, 1000);
  }
  if (parser.GetPost().Version == 2.0) {
    EXPECT_GT(namesCompared, 100);
  }
}

INSTANTIATE_TEST_SUITE_P(Fonts, TrueTypeOracle,
                         testing::Values("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                         "/usr/share/fonts/truetype/dejavu/DejaVuSerif-BoldItalic.ttf",
                                         "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
                                         "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
                                         "/usr/share/fonts/truetype/liberation2/LiberationSerif-Italic.ttf",
                                         "/usr/share/fonts/truetype/liberation2/LiberationMono-Bold.ttf",
                                         "/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf",
                                         "/usr/share/fonts/opentype/urw-base35/StandardSymbolsPS.otf"));

TEST(TrueTypeOracle, OpenTypeReportsItsCffTable) {
  const std::string otf = "/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf";
  const std::string ttf = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  if (!std::filesystem::exists(otf) || !std::filesystem::exists(ttf)) GTEST_SKIP() << "fonts missing";
  TPDFTrueTypeParser parser;
  parser.LoadFromString(testsupport::ReadFile(otf));
  ASSERT_NE(parser.FindTable("CFF "), nullptr);
  EXPECT_EQ(parser.GetCFFTable(), parser.FindTable("CFF ")->Offset);
  EXPECT_NE(parser.GetCFFTable(), 0u);
  parser.LoadFromString(testsupport::ReadFile(ttf));
  EXPECT_EQ(parser.GetCFFTable(), 0u);
}

}  // namespace
