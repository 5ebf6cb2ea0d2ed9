#include "pdf/fonts/font_substitutes.h"

#include <array>

namespace {

struct Pattern {
  std::string_view names;
  std::string_view replacement;
  int widths;
};

const std::array<Pattern, 14> kPatterns = {{
    {"Courier*CourierNew*CourierNewPS*", "CourierNew", 1},
    {"Courier-Bold*Courier,Bold*CourierNew-Bold*CourierNew,Bold*CourierNewPS,Bold*CourierNewPS,BoldMT,Bold*"
     "CourierNewPS-Bold*",
     "CourierNew,Bold", 2},
    {"Courier-BoldOblique*Courier,BoldItalic*CourierNew-BoldItalic*CourierNew,BoldItalic*CourierNewPS-BoldItalic*",
     "CourierNew,BoldItalic", 3},
    {"Courier-Oblique*Courier,Italic*CourierNew-Italic*CourierNew,Italic*CourierNewPS-Italic*"
     "CourierNewPS,ItalicMT,Italic*",
     "CourierNew,Italic", 4},
    {"Helvetica*Arial*HelveticaNeue-Roman*HelveticaNeue-UltraLight*Arial,BoldMT,Bold*", "Arial", 5},
    {"Helvetica-Bold*Helvetica,Bold*Arial-Bold*Arial,Bold*Arial-Bold*HelveticaNeue,Bold*", "Arial,Bold", 6},
    {"Helvetica-BoldOblique*Helvetica-BoldItalic*Helvetica,BoldItalic*Arial-BoldItalic*Arial,BoldItalic*",
     "Arial,BoldItalic", 7},
    {"Helvetica-Oblique*Helvetica-Italic*Helvetica,Italic*Arial-Italic*Arial,Italic*", "Arial,Italic", 8},
    {"Times-Roman*TimesNewRoman*TimesNewRomanPS*", "TimesNewRoman", 9},
    {"Times-Bold*TimesNewRoman-Bold*TimesNewRoman,Bold*TimesNewRomanPS-Bold*TimesNewRomanPS,Bold*",
     "TimesNewRoman,Bold", 10},
    {"Times-Italic*TimesNewRoman-Italic*TimesNewRoman,Italic*TimesNewRomanPS-Italic*", "TimesNewRoman,Italic", 11},
    {"Times-BoldItalic*TimesNewRoman-BoldItalic*TimesNewRoman,BoldItalic*TimesNewRomanPS-BoldItalic*",
     "TimesNewRoman,BoldItalic", 12},
    {"Symbol*", "Symbol", 13},
    {"ZapfDingbats*", "ZapfDingbats", 14},
}};

// Native names in code page 932 bytes.
constexpr std::string_view kMincho = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";
constexpr std::string_view kPMincho = "\x82\x6c\x82\x72\x20\x82\x6f\x96\xbe\x92\xa9";
constexpr std::string_view kGothic = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";
constexpr std::string_view kPGothic = "\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e";
constexpr std::string_view kMingLiu = "\x8d\xd7\x96\xbe\xe9\x93";
constexpr std::string_view kPMingLiu = "\x90\x56\x8d\xd7\x96\xbe\xe9\x93";
constexpr std::string_view kDFKai = "\x95\x57\x9e\xb2\xe9\x93";
constexpr std::string_view kSimSun = "\x91\x76\xe9\x93";
constexpr std::string_view kNSimSun = "\x90\x56\x91\x76\xe9\x93";

std::string WithoutSpace(std::string_view s) {
  std::string out;
  for (char c : s)
    if (c != ' ') out.push_back(c);
  return out;
}

struct Row {
  std::string_view prefix;
  std::string_view face;
};

const std::array<Row, 12> kType1Rows = {{
    {"HeiseiKakuGo-W5", "MS Gothic"},
    {"HYGoThic", "Dotum"},
    {"STSongStd-Light-Acro", "MS Mincho"},
    {"AdobeMingStd-Light", "MS Mincho"},
    {"KozMinPr6N", "MS PMincho"},
    {"KozGoPr6N", "MS PGothic"},
    {"GothicBBB", "MS PGothic"},
    {"Ryumin-Light", "MS Mincho"},
    {"RodinPlus-DB", "MS PGothic"},
    {"MatissePlus-DB", "MS PMincho"},
    {"MatissePlus-M", "MS PMincho"},
    {"MatissePlus-B", "MS Mincho"},
}};

std::string TrueTypeRow(std::string_view base, int32_t flags, uint8_t& charSet) {
  static const std::string mincho = WithoutSpace(kMincho), pmincho = WithoutSpace(kPMincho),
                           gothic = WithoutSpace(kGothic), pgothic = WithoutSpace(kPGothic);
  const std::array<Row, 30> rows = {{
      {"HGPGothicE", "MS PGothic"},
      {"HGPSoeiKakugothicUB", ""},
      {"HGSSoeiKakugothicUB", ""},
      {"HGSSoeiKakupoptai", "MS PGothic"},
      {"SimSun", "SimSun"},
      {"HYSMyeongJo", "SimSun"},
      {"HGPSoeiKakupoptai", "MS PMincho"},
      {"YentiEGP-Medium-SJIS", "MS PGothic"},
      {"HGPSoeiPresenceEB", "MS PMincho"},
      {"MS-Mincho", "MS Mincho"},
      {"MS-PGothic", "MS PGothic"},
      {"MS-Gothic", "MS Gothic"},
      {"Century", "MS Gothic"},
      {pmincho, "MS PMincho"},
      {mincho, "MS Mincho"},
      {pgothic, "MS PGothic"},
      {gothic, "MS Gothic"},
      {"Meiryo", "MS PGothic"},
      {kMingLiu, "MingLiu"},
      {kPMingLiu, "PMingLiu"},
      {kDFKai, "DFKai-SB"},
      {kSimSun, "SimSun"},
      {kNSimSun, "NSimSun"},
      {"RodinPlus-DB", "MS PGothic"},
      {"MatissePlus-DB", "MS PGothic"},
      {"MatissePlus-M", "MS PGothic"},
      {"MatissePlus-B", "MS PGothic"},
      {"HGMaruGothicMPRO", "MS PMincho"},
      {"DFKaiShu-SB-Estd-BF", "DFKai-SB"},
      {"PMingLiU", "PMingLiU"},
  }};
  for (const Row& row : rows) {
    if (!base.starts_with(row.prefix)) continue;
    if (row.prefix == "MS-Mincho") charSet = 128;
    if (row.face.empty()) return (flags & 14) == 14 ? "MS PMincho" : "MS PGothic";
    return std::string(row.face);
  }
  return {};
}

std::string PanoseFace(std::string_view panose) {
  auto at = [&](size_t i) { return i < panose.size() ? uint8_t(panose[i]) : 0; };
  if (at(0) == 2 && at(1) == 11 && at(3) == 9) return "MS PGothic";
  if (at(0) == 2 && at(1) == 11 && at(3) == 0) return "MS Gothic";
  if (at(0) == 2 && at(1) == 2 && at(3) == 9) return "MS PMincho";
  return "MS Mincho";
}

std::string FlagsFace(TCJKRoad road, std::string_view base, int32_t flags) {
  const bool fixed = flags & 1, serif = flags & 2, symbolic = flags & 4, script = flags & 8;
  // The CID-keyed Type 1 road answers proportional faces for fixed pitch; the TrueType road
  // the other way round.
  const bool proportional = (road == TCJKRoad::CIDType1) == fixed;
  if (serif) return proportional ? "MS PMincho" : "MS Mincho";
  if (symbolic) return proportional ? "MS PGothic" : "MS Gothic";
  if (script) return proportional ? "MS PMincho" : "MS Mincho";
  if (road == TCJKRoad::CompositeTrueType && !fixed) return base.empty() ? "MS Mincho" : std::string(base);
  return "MS Mincho";
}

}  // namespace

int StandardFontPattern(std::string_view name) {
  const std::string key = std::string(name) + "*";
  int found = 0;
  for (size_t i = 0; i < kPatterns.size(); ++i)
    if (kPatterns[i].names.find(key) != std::string_view::npos) found = int(i) + 1;
  return found;
}

std::string_view StandardFontReplacement(int pattern) {
  return pattern >= 1 && pattern <= 14 ? kPatterns[size_t(pattern - 1)].replacement : std::string_view();
}

int StandardFontWidthNumber(int pattern) {
  return pattern >= 1 && pattern <= 14 ? kPatterns[size_t(pattern - 1)].widths : 0;
}

std::string StripSubsetTag(std::string_view name) {
  if (name.size() <= 7 || name[6] != '+') return std::string(name);
  for (size_t i = 0; i < 6; ++i)
    if (name[i] < 'A' || name[i] > 'Z') return std::string(name);
  return std::string(name.substr(7));
}

std::string CJKSubstituteFace(TCJKRoad road, std::string_view base, int32_t flags, std::string_view panose,
                              uint8_t& charSet) {
  if (road == TCJKRoad::CIDType1) {
    for (const Row& row : kType1Rows)
      if (base.starts_with(row.prefix)) return std::string(row.face);
  } else {
    std::string face = TrueTypeRow(base, flags, charSet);
    if (!face.empty()) return face;
  }
  if (!panose.empty()) return PanoseFace(panose);
  return FlagsFace(road, base, flags);
}

std::string_view CJKNativeFaceName(std::string_view face) {
  static constexpr std::array<Row, 9> kNative = {{
      {"MS Mincho", kMincho},
      {"MS PMincho", kPMincho},
      {"MS Gothic", kGothic},
      {"MS PGothic", kPGothic},
      {"MingLiu", kMingLiu},
      {"PMingLiu", kPMingLiu},
      {"DFKai-SB", kDFKai},
      {"SimSun", kSimSun},
      {"NSimSun", kNSimSun},
  }};
  for (const Row& row : kNative)
    if (face.starts_with(row.prefix)) return row.face;
  return {};
}

std::string CIDCourierName(std::string_view base) {
  if (base.starts_with("CourierStd-BoldOblique")) return "Courier,BoldItalic";
  if (base.starts_with("CourierStd-Bold")) return "Courier,Bold";
  if (base.starts_with("CourierStd-Oblique")) return "Courier,Italic";
  if (base.starts_with("CourierStd")) return "Courier";
  return {};
}
