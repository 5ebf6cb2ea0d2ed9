// The built-in character tables: the Latin characters of the four Latin encodings, the Symbol
// font's glyphs, the MacExpertEncoding glyphs and the widths of the fourteen standard fonts.
// The data lives in glyph_tables_data.cpp, written by tools/generators/encoding_tables.py.
#pragma once

#include <array>
#include <cstdint>

inline constexpr int kStandardGlyphCount = 229;
inline constexpr int kSymbolGlyphCount = 189;
inline constexpr int kMacExpertGlyphCount = 165;
// Widths of ZapfDingbats for the codes 32 to 254 (0 where the font has no glyph).
inline constexpr int kZapfDingbatsWidthCount = 223;

// Encoding kinds: the code columns of StandardGlyphTable are the first four.
inline constexpr uint8_t kStandardEncoding = 0;
inline constexpr uint8_t kMacRomanEncoding = 1;
inline constexpr uint8_t kWinAnsiEncoding = 2;
inline constexpr uint8_t kPDFDocEncoding = 3;
inline constexpr uint8_t kMacExpertEncoding = 4;
inline constexpr uint8_t kSymbolBuiltInEncoding = 5;

// A Latin character: its glyph name, Unicode value and code in each encoding (-1 for none).
struct TStandardGlyph {
  const char* Name;
  uint16_t Unicode;
  int16_t StandardCode;
  int16_t MacRomanCode;
  int16_t WinAnsiCode;
  int16_t PDFDocCode;

  // The code column of an encoding kind 0..3; -1 for other kinds.
  int Code(uint8_t kind) const {
    switch (kind) {
      case kStandardEncoding: return StandardCode;
      case kMacRomanEncoding: return MacRomanCode;
      case kWinAnsiEncoding: return WinAnsiCode;
      case kPDFDocEncoding: return PDFDocCode;
      default: return -1;
    }
  }
};

struct TSymbolGlyph {
  const char* Name;
  int16_t Code;  // in the Symbol font's built-in encoding
  uint16_t Unicode;
  uint16_t Width;
};

struct TMacExpertGlyph {
  const char* Name;
  int16_t Code;
};

// Sorted by name (byte order): "A", "AE", "Aacute", ... "zcaron", "zero".
extern const std::array<TStandardGlyph, kStandardGlyphCount> StandardGlyphTable;
// Widths in 1/1000 em of the StandardGlyphTable glyphs, one row per standard font 1..12
// (Courier, Courier-Bold, Courier-BoldOblique, Courier-Oblique, Helvetica, Helvetica-Bold,
// Helvetica-BoldOblique, Helvetica-Oblique, Times-Roman, Times-Bold, Times-Italic,
// Times-BoldItalic).
extern const std::array<std::array<uint16_t, kStandardGlyphCount>, 12> StandardWidthTable;
// Sorted by name.
extern const std::array<TSymbolGlyph, kSymbolGlyphCount> SymbolGlyphTable;
extern const std::array<TMacExpertGlyph, kMacExpertGlyphCount> MacExpertGlyphTable;
extern const std::array<uint16_t, kZapfDingbatsWidthCount> ZapfDingbatsWidthTable;
