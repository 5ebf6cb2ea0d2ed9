// Glyph keys to glyph indexes for TrueType data: each way is tried while no glyph was found.
#include <charconv>

#include "pdf/core/encodings/font_encodings.h"
#include "pdf/core/encodings/glyph_list.h"
#include "pdf/fonts/formats/truetype/truetype_rasterizer.h"

namespace {

// The glyph of the first pair whose code has this low byte; 0 when none.
int CmapGlyphByLowByte(const TTrueTypeCmap& cmap, int64_t lowByte) {
  for (size_t i = 0; i < cmap.Codes.size(); ++i) {
    if ((cmap.Codes[i] & 0xFF) == lowByte) return cmap.GlyphIds[i];
  }
  return 0;
}

// The key's text after its first four characters as an integer; 0 when it is not one.
int64_t NumberAfterPrefix(std::string_view key) {
  if (key.size() <= 4) return 0;
  const std::string_view rest = key.substr(4);
  int64_t value = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value);
  if (error != std::errc() || end != rest.data() + rest.size()) return 0;
  return value;
}

}  // namespace

int TPDFTrueTypeRasterizer2::FindNamedGlyph(std::string_view name) const {
  if (Parser.NameCount() == 0 || name.empty()) return 0;
  const int index = Parser.NameIndex(name);
  return index > 0 ? index : 0;
}

int TPDFTrueTypeRasterizer2::FindUnicodeGlyph(uint32_t u) const {
  const int unicode = Parser.FindCmap(3, 1);
  if (unicode >= 0) return Parser.CmapAt(unicode).FirstGlyph(u);
  std::string name;
  if (u > 0xFFFF || !UnicodeToGlyphName(uint16_t(u), name)) return 0;
  return FindNamedGlyph(name);
}

int TPDFTrueTypeRasterizer2::FindSymbolGlyph(std::string_view key) const {
  return FindSymbolCode(NumberAfterPrefix(key));
}

int TPDFTrueTypeRasterizer2::FindSymbolCode(int64_t n) const {
  for (const auto& [platform, encoding] : {std::pair{3, 0}, std::pair{1, 0}, std::pair{3, 1}}) {
    const int table = Parser.FindCmap(uint16_t(platform), uint16_t(encoding));
    if (table < 0) continue;
    const int g = CmapGlyphByLowByte(Parser.CmapAt(table), n);
    if (g != 0) return g;
  }
  return 0;
}

int TPDFTrueTypeRasterizer2::FindGlyph(std::string_view key) const {
  int g = 0;
  if (const auto u = GlyphKeyHex4(key, kGlyphKeyUnicode)) {
    g = FindUnicodeGlyph(*u);
  } else if (key.starts_with(kGlyphKeyPostScript)) {
    g = FindNamedGlyph(key.substr(kGlyphKeyPostScript.size()));
  } else if (key.starts_with(kGlyphKeyGID)) {
    g = int(GlyphKeyNumber(key, kGlyphKeyGID).value_or(0));
  }
  if (g == 0 && IsSymbolic) g = FindSymbolGlyph(key);
  if (g == 0) g = FindCharacterGlyph(key);
  if (g == 0) {
    const int mac = Parser.FindCmap(1, 0);
    const int standard = StandardGlyphIndex(key);
    if (mac >= 0 && standard >= 1 && Parser.CmapAt(mac).Codes.size() == 256) {
      const int code = StandardGlyphMacRomanCode(standard);
      if (code >= 1 && code <= 255) g = Parser.CmapAt(mac).FirstGlyph(uint32_t(code));
    }
  }
  if (g == 0) g = FindNamedGlyph(key);
  if (g == 0) {
    if (const auto u = GlyphKeyHex4(key, "uni")) g = FindUnicodeGlyph(*u);
  }
  return g < 0 ? 0 : g;
}

int TPDFTrueTypeRasterizer2::FindCharacterGlyph(std::string_view name) const {
  const int unicode = Parser.FindCmap(3, 1);
  const uint16_t u = GlyphNameToUnicode(name);
  return unicode >= 0 && u != 0 ? Parser.CmapAt(unicode).FirstGlyph(u) : 0;
}

std::string TPDFTrueTypeRasterizer2::SimpleFontKey(uint8_t code, const std::string& name, bool encodingNamed) const {
  if (IsSymbolic) {
    // The code addresses the glyph; an encoding the dictionary names first says which
    // character it is, for the Unicode cmap.
    int g = 0;
    if (encodingNamed && Parser.FindCmap(3, 1) >= 0) {
      g = FindCharacterGlyph(name);
      if (const auto u = GlyphKeyHex4(name, "uni"); g == 0 && u) g = FindUnicodeGlyph(*u);
    }
    return g > 0 ? GlyphKeyGID(g) : GlyphKeyCID(code);
  }
  if (FindGlyph(name) > 0) return name;
  // A name the program does not know falls back to the code: as a character, then as a symbol
  // code.
  const int unicode = Parser.FindCmap(3, 1);
  int g = unicode >= 0 ? Parser.CmapAt(unicode).FirstGlyph(code) : 0;
  if (g == 0) g = FindSymbolCode(code);
  return g > 0 ? GlyphKeyGID(g) : name;
}
