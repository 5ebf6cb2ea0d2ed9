#include "pdf/core/encodings/font_encodings.h"

#include <algorithm>
#include <cstddef>

#include "pdf/core/byte_strings.h"
#include "pdf/core/encodings/glyph_list.h"
#include "pdf/core/objects/pdf_array.h"
#include "pdf/core/objects/pdf_scalars.h"

namespace {

constexpr double kMissingWidth = 750;

// Glyph index (into the table the kind draws from) per code, -1 where the kind has no glyph.
std::array<int, 256> CodeIndex(uint8_t kind) {
  std::array<int, 256> index;
  index.fill(-1);
  if (kind == kMacExpertEncoding) {
    for (size_t i = 0; i < MacExpertGlyphTable.size(); ++i) {
      const int code = MacExpertGlyphTable[i].Code;
      if (code >= 0 && code <= 255) index[static_cast<size_t>(code)] = static_cast<int>(i);
    }
  } else if (kind <= kPDFDocEncoding) {
    for (size_t i = 0; i < StandardGlyphTable.size(); ++i) {
      const int code = StandardGlyphTable[i].Code(kind);
      if (code >= 0 && code <= 255) index[static_cast<size_t>(code)] = static_cast<int>(i);
    }
  }
  return index;
}

// What a code without a glyph holds in an encoding.
const char* UnassignedName(uint8_t kind, int code) {
  if (kind == kWinAnsiEncoding && code > 32) {
    if (code == 160) return "space";
    if (code == 173) return "hyphen";
    return "bullet";
  }
  if (kind == kMacRomanEncoding && code == 202) return "space";
  return ".notdef";
}

int SymbolGlyphIndex(std::string_view name) {
  const auto it = std::lower_bound(SymbolGlyphTable.begin(), SymbolGlyphTable.end(), name,
                                   [](const TSymbolGlyph& g, std::string_view n) { return std::string_view(g.Name) < n; });
  if (it == SymbolGlyphTable.end() || std::string_view(it->Name) != name) return -1;
  return static_cast<int>(it - SymbolGlyphTable.begin());
}

}  // namespace

void GetStandardEncoding(uint8_t kind, TGlyphNames& names) {
  if (kind == kSymbolBuiltInEncoding) {
    names.fill(std::string());
    for (const auto& g : SymbolGlyphTable)
      if (g.Code >= 0 && g.Code <= 255) names[static_cast<size_t>(g.Code)] = g.Name;
    return;
  }
  const auto index = CodeIndex(kind);
  for (int code = 0; code < 256; ++code) {
    const int i = index[static_cast<size_t>(code)];
    const auto at = static_cast<size_t>(i);
    if (i < 0)
      names[static_cast<size_t>(code)] = UnassignedName(kind, code);
    else if (kind == kMacExpertEncoding)
      names[static_cast<size_t>(code)] = MacExpertGlyphTable[at].Name;
    else
      names[static_cast<size_t>(code)] = StandardGlyphTable[at].Name;
  }
}

void GetSymbolUnicodeNames(uint8_t kind, TGlyphNames& names) {
  names.fill(std::string());
  if (kind != kSymbolBuiltInEncoding) return;
  for (const auto& g : SymbolGlyphTable)
    if (g.Code >= 0 && g.Code <= 255) names[static_cast<size_t>(g.Code)] = "U+" + IntToHexA(g.Unicode, 4);
}

void ApplyDifferences(TGlyphNames& names, const TPDFArray* differences) {
  if (differences == nullptr) return;
  // 64 bits: a huge number followed by many names must not wrap back into range.
  int64_t code = 0;
  for (int i = 0; i < differences->Count(); ++i) {
    const TPDFObject* item = differences->GetItem(i);
    if (item == nullptr) continue;
    if (item->Kind() == kPDFKindNumeric) {
      code = static_cast<const TPDFNumeric*>(item)->AsInteger();
    } else if (item->Kind() == kPDFKindName) {
      if (code >= 0 && code <= 255) names[static_cast<size_t>(code)] = static_cast<const TPDFName*>(item)->Name();
      ++code;
    }
  }
}

uint8_t UnicodeToWinAnsiCode(uint16_t u) {
  for (const auto& g : StandardGlyphTable)
    if (g.Unicode == u) return g.WinAnsiCode > 0 ? static_cast<uint8_t>(g.WinAnsiCode) : 0;
  return 0;
}

bool UnicodeToGlyphName(uint16_t u, std::string& name) {
  for (const auto& g : StandardGlyphTable)
    if (g.Unicode == u) {
      name = g.Name;
      return true;
    }
  for (const auto& g : SymbolGlyphTable)
    if (g.Unicode == u) {
      name = g.Name;
      return true;
    }
  return false;
}

void EncodingToWinAnsi(const TGlyphNames& names, std::array<std::string, 256>& chars) {
  for (size_t code = 0; code < 256; ++code) {
    const std::string& name = names[code];
    uint8_t c = UnicodeToWinAnsiCode(GlyphNameToUnicode(name));
    if (c == 0 && StartsWithA(name, "CID:"))
      c = UnicodeToWinAnsiCode(static_cast<uint16_t>(StrToIntA(std::string_view(name).substr(4))));
    chars[code] = std::string(1, static_cast<char>(c));
  }
}

void EncodingToUnicode(const TGlyphNames& names, std::array<std::u16string, 256>& chars) {
  for (size_t code = 0; code < 256; ++code) {
    chars[code] = GlyphNameToText(names[code]);
    if (chars[code].empty()) chars[code] = std::u16string(1, u'\0');
  }
}

int StandardGlyphIndex(std::string_view name) {
  const auto it = std::lower_bound(StandardGlyphTable.begin(), StandardGlyphTable.end(), name,
                                   [](const TStandardGlyph& g, std::string_view n) { return std::string_view(g.Name) < n; });
  if (it == StandardGlyphTable.end() || std::string_view(it->Name) != name) return 0;
  return static_cast<int>(it - StandardGlyphTable.begin()) + 1;
}

int StandardGlyphMacRomanCode(int index) {
  if (index < 1 || index > kStandardGlyphCount) return -1;
  return StandardGlyphTable[static_cast<size_t>(index - 1)].MacRomanCode;
}

void GetStandardFontWidths(int font, const TGlyphNames& names, TEncodingWidths& widths) {
  if (font >= 1 && font <= 12) {
    const auto& row = StandardWidthTable[static_cast<size_t>(font - 1)];
    for (size_t code = 0; code < 256; ++code) {
      const int i = StandardGlyphIndex(names[code]);
      widths[code] = i > 0 ? row[static_cast<size_t>(i - 1)] : kMissingWidth;
    }
  } else if (font == 13) {
    for (size_t code = 0; code < 256; ++code) {
      const int i = SymbolGlyphIndex(names[code]);
      widths[code] = i >= 0 ? SymbolGlyphTable[static_cast<size_t>(i)].Width : kMissingWidth;
    }
  } else if (font == 14) {
    for (size_t i = 0; i < ZapfDingbatsWidthTable.size(); ++i) widths[32 + i] = ZapfDingbatsWidthTable[i];
  }
}
