// Logical fonts of metafiles: matched by face against the screen's fonts and the fourteen
// standard fonts, written once per face and style as font resources, selected for the text
// records (stock fonts included), and glyph indices of glyph-index text turned back into
// characters through the installed face's character map.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "pdf/content/font/font_selection.h"
#include "pdf/content/font/pdf_font.h"
#include "pdf/content/metafile/metafile_types.h"
#include "pdf/content/metafile/pdf_metafile.h"
#include "pdf/content/painter/pdf_painter.h"
#include "pdf/core/byte_strings.h"
#include "pdf/core/pdf_helpers.h"
#include "pdf/fonts/formats/truetype/truetype_parser.h"
#include "platform/gdi/font_data.h"
#include "platform/rtl/numbers.h"
#include "platform/rtl/strings.h"

namespace {

constexpr const char* kStandardFonts[14] = {
    "Courier",     "Courier-Bold", "Courier-BoldOblique", "Courier-Oblique",  "Helvetica",
    "Helvetica-Bold", "Helvetica-BoldOblique", "Helvetica-Oblique", "Times-Roman", "Times-Bold",
    "Times-Italic", "Times-BoldItalic", "Symbol", "ZapfDingbats"};

// The number (1..14) of a standard font name; 0 for other names.
int StandardFontNumber(const std::string& name) {
  for (int i = 0; i < 14; ++i)
    if (name == kStandardFonts[i]) return i + 1;
  return 0;
}

std::string StyleSuffix(bool bold, bool italic) {
  if (bold && italic) return " [BoldItalic]";
  if (bold) return " [Bold]";
  if (italic) return " [Italic]";
  return "";
}

int CollectFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD, intptr_t data) {
  auto* faces = reinterpret_cast<std::vector<std::string>*>(data);
  faces->emplace_back(font->lfFaceName, strnlen(font->lfFaceName, LF_FACESIZE));
  return 1;
}

// Faces beyond this are not read from a logical font record.
constexpr uint64_t kFaceChars = 32;
// A stock font's size in points.
constexpr double kStockFontPoints = 8;
// The em of a logical font of height 0, in reference-device pixels.
constexpr double kDefaultEmPixels = 16;
// Text larger than this many picture sides is not drawn bigger.
constexpr double kMaxFontSize = 1e6;

// The face of a logical font: up to 32 UTF-16 units, ending at the first 0.
std::string FaceName(const TMetafileRecord& r, uint64_t at) {
  std::u16string face;
  for (uint64_t i = 0; i < kFaceChars; ++i) {
    const char16_t c = char16_t(r.U16(at + 2 * i));
    if (c == 0) break;
    face += c;
  }
  return WideToUtf8(face);
}

// Glyph index to character from the font's Unicode character map: the lowest character of
// each glyph.
std::map<uint16_t, char16_t> ReverseCharacterMap(const std::string& key) {
  std::map<uint16_t, char16_t> glyphs;
  if (StandardFontNumber(key) != 0) return glyphs;  // no installed face behind it
  TSelectedFont selected(ParseFontName(key), 1, 1000);
  if (!selected.Valid()) return glyphs;
  const DWORD size = GetFontData(selected.DC(), 0, 0, nullptr, 0);
  if (size == GDI_ERROR || size == 0 || size > TPDFTrueTypeParser::kMaxFontSize) return glyphs;
  std::string data(size, '\0');
  if (GetFontData(selected.DC(), 0, 0, data.data(), size) != size) return glyphs;
  TPDFTrueTypeParser parser;
  parser.LoadFromString(data);
  int table = parser.FindCmap(3, 10);
  if (table < 0) table = parser.FindCmap(3, 1);
  if (table < 0) table = parser.FindCmap(0, 3);
  if (table < 0) table = parser.FindCmap(0, 4);
  if (table < 0) return glyphs;
  const TTrueTypeCmap& cmap = parser.CmapAt(table);
  for (size_t i = 0; i < cmap.Codes.size() && i < cmap.GlyphIds.size(); ++i) {
    const uint16_t glyph = cmap.GlyphIds[i];
    if (glyph == 0) continue;
    const auto it = glyphs.find(glyph);
    if (it == glyphs.end() || cmap.Codes[i] < it->second) glyphs[glyph] = char16_t(cmap.Codes[i]);
  }
  return glyphs;
}

}  // namespace

bool TPDFMetafile::IsScreenFont(const std::string& face) {
  if (!screenFontsRead_) {
    screenFontsRead_ = true;
    if (const HDC screen = CreateCompatibleDC(nullptr)) {
      EnumFontsA(screen, nullptr, &CollectFace, reinterpret_cast<intptr_t>(&ScreenFonts));
      DeleteDC(screen);
    }
  }
  return std::any_of(ScreenFonts.begin(), ScreenFonts.end(),
                     [&](const std::string& known) { return LowerCaseAscii(known) == LowerCaseAscii(face); });
}

TPDFFont* TPDFMetafile::FontForKey(const std::string& key, bool standardFonts) {
  if (const auto it = fontsByKey_.find(key); it != fontsByKey_.end()) return it->second;
  auto font = std::make_unique<TPDFFont>(Owner, "TalvoPDFF" + NewUniqueTag());
  font->CompressFontFile = FontOption != 0;
  const int standard = standardFonts ? StandardFontNumber(key) : 0;
  const bool embed = EmbedTrueType && NoEmbedFonts.find("<ZRXNoEmbedFont>" + key + "</ZRXNoEmbedFont>") == std::string::npos;
  const bool written = standard != 0 ? font->WriteStandardFont(key, standard) : font->WriteTrueTypeFont(key, embed);
  TPDFFont* made = written ? font.release() : nullptr;
  fontsByKey_[key] = made;  // a face that cannot be written is not tried again
  if (made != nullptr) FontList->push_back(made);
  return made;
}

void TPDFMetafile::CreateFont(const TMetafileRecord& r) {
  const uint32_t index = r.U32(8);
  const double height = r.I32(12), width = r.I32(16);
  const std::string face = FaceName(r, 40);
  const bool bold = r.I32(28) >= 600, italic = r.U8(32) != 0, underline = r.U8(33) != 0, strikeOut = r.U8(34) != 0;
  std::string name = face == "Modern" ? "Arial" : face;
  if (bold && italic) {
    if (IsScreenFont(name + " BoldItalic")) name += " BoldItalic";
  } else if (bold) {
    if (IsScreenFont(name + " Bold")) name += " Bold";
  } else if (italic) {
    if (IsScreenFont(name + " Italic"))
      name += " Italic";
    else if (IsScreenFont(name + " Oblique"))
      name += " Oblique";
  }
  if (!IsScreenFont(face)) name = "Arial";
  const std::string key = name + StyleSuffix(bold, italic);
  const TPDFFont* font = FontForKey(key, false);

  // How much wider than the face's own the record asks its characters to be.
  double scale = 100;
  if (width != 0 && font != nullptr && font->AverageWidth > 0 && font->Height > 0) {
    const double em = height > 0 ? height * 1000.0 / font->Height : std::abs(height);
    if (em > 0) scale = std::abs(width * 1000.0 / (font->AverageWidth * em)) * 100;
  }
  ForgetObject(index);
  FontObjects[index] = key + "|" + BoolToTF(underline) + "|" + FloatToStrA(height) + "|" +
                       std::to_string(r.U8(35)) + "|" + FloatToStrA(double(r.I32(20))) + "|" +
                       FloatToStrA(scale) + (strikeOut ? "|T" : "");
}

bool TPDFMetafile::SelectFontObject(uint32_t index) {
  const auto it = FontObjects.find(index);
  if (it == FontObjects.end()) return false;
  std::vector<std::string> f;
  size_t start = 0;
  for (size_t bar = it->second.find('|'); ; bar = it->second.find('|', start)) {
    f.push_back(it->second.substr(start, bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  if (f.size() < 6) return true;
  TextState.Key = f[0];
  TextState.Underline = f[1] == "T";
  TextState.Height = StrToFloatDef(f[2], 0);
  TextState.DevicePixels = TextState.Height == 0 ? kDefaultEmPixels : 0;
  TextState.Charset = StrToIntDef(f[3], 1);
  TextState.Escapement = int32_t(std::fmod(StrToFloatDef(f[4], 0), 3600.0));
  TextState.WidthScale = std::clamp(StrToFloatDef(f[5], 100), 1.0, 10000.0);
  TextState.StrikeOut = f.size() > 6 && f[6] == "T";
  TPDFFont* font = nullptr;
  if (const auto known = fontsByKey_.find(f[0]); known != fontsByKey_.end()) font = known->second;
  if (font == nullptr && !FontList->empty()) font = FontList->front();
  if (font != nullptr) CurrentFont = font;
  return true;
}

void TPDFMetafile::SelectFontByName(const std::string& name, double points) {
  TextState = TTextState{};
  TextState.Key = name;
  TextState.DevicePixels = points * DevicePixelsX / (DeviceMillimetresX / 25.4) / 72;
  if (!(TextState.DevicePixels > 0 && TextState.DevicePixels < kMaxFontSize)) TextState.DevicePixels = kDefaultEmPixels;
  if (TPDFFont* font = FontForKey(name, true)) CurrentFont = font;
}

bool TPDFMetafile::SelectStockFont(uint32_t stock) {
  switch (stock) {
    case 10: SelectFontByName("MS Sans Serif", kStockFontPoints); return true;
    case 11: SelectFontByName("Helvetica", kStockFontPoints); return true;
    case 12:
    case 14:
    case 17: SelectFontByName("Times-Roman", kStockFontPoints); return true;
    case 13:
    case 16: SelectFontByName("System", kStockFontPoints); return true;
    default: return false;
  }
}

double TPDFMetafile::TextFontSize() const {
  double size = 0;
  if (TextState.DevicePixels > 0) {
    size = TextState.DevicePixels * DevicePixel();
  } else {
    // A positive height is the cell (em and internal leading), a negative one the em.
    double em = std::abs(TextState.Height);
    if (TextState.Height > 0 && CurrentFont != nullptr && CurrentFont->Height > 0)
      em = TextState.Height * 1000.0 / CurrentFont->Height;
    size = em * std::hypot(Transform[2], Transform[3]);
  }
  return std::isfinite(size) ? std::min(size, kMaxFontSize) : 0;
}

std::u16string TPDFMetafile::GlyphsToText(std::span<const uint16_t> glyphs, std::vector<double>& advances) {
  std::u16string text;
  if (CurrentFont == nullptr) return text;
  auto map = glyphMaps_.find(CurrentFont);
  if (map == glyphMaps_.end()) {
    std::string key;
    for (const auto& [k, font] : fontsByKey_)
      if (font == CurrentFont) key = k;
    map = glyphMaps_.emplace(CurrentFont, ReverseCharacterMap(key)).first;
  }
  std::vector<double> kept;
  for (size_t i = 0; i < glyphs.size(); ++i) {
    const auto it = map->second.find(glyphs[i]);
    const double advance = i < advances.size() ? advances[i] : 0;
    if (it == map->second.end()) {
      // A glyph without a character leaves its room to the one before it.
      if (!kept.empty()) kept.back() += advance;
      continue;
    }
    text += it->second;
    kept.push_back(advance);
  }
  if (!advances.empty()) advances = std::move(kept);
  return text;
}
