// Simple-font encodings as 256 glyph names: the built-in encodings, /Differences, and the
// conversions of glyph names to Unicode and WinAnsi codes; the widths of the standard fonts.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "pdf/core/encodings/glyph_tables.h"

class TPDFArray;

using TGlyphNames = std::array<std::string, 256>;
using TEncodingWidths = std::array<double, 256>;

// Kind 0 StandardEncoding, 1 MacRomanEncoding, 2 WinAnsiEncoding, 3 PDFDocEncoding,
// 4 MacExpertEncoding, 5 the Symbol font's built-in encoding. Codes without a glyph are
// ".notdef", except that WinAnsiEncoding fills its unassigned codes above 32 with "bullet"
// (160 "space", 173 "hyphen") and MacRomanEncoding has "space" at 202; in kind 5 they stay
// empty. Unknown kinds give ".notdef" everywhere.
void GetStandardEncoding(uint8_t kind, TGlyphNames& names);

// All empty; for kind 5 each Symbol glyph's code gets "U+" and its Unicode value as four
// upper-case hexadecimal digits.
void GetSymbolUnicodeNames(uint8_t kind, TGlyphNames& names);

// Walks a /Differences array: a number sets the code, a name is stored at the code and
// advances it; other items are skipped, codes outside 0..255 are not stored. A null array
// changes nothing.
void ApplyDifferences(TGlyphNames& names, const TPDFArray* differences);

// The first StandardGlyphTable entry with this Unicode value gives its WinAnsi code; 0 when
// none has it or it has no WinAnsi code.
uint8_t UnicodeToWinAnsiCode(uint16_t u);

// The name of the first StandardGlyphTable entry with this Unicode value, else of the first
// SymbolGlyphTable entry; when neither has it, name is left unchanged and the answer is false.
bool UnicodeToGlyphName(uint16_t u, std::string& name);

// Each name as a one-byte string: the WinAnsi code of its Unicode value. A "CID:" name whose
// code is 0 takes the number after the prefix as its Unicode value; non-numeric text there
// raises EConvertError.
void EncodingToWinAnsi(const TGlyphNames& names, std::array<std::string, 256>& chars);

// Each name as the text it stands for (GlyphNameToText: glyph list names, "uniXXXX" and
// "uXXXX" names, ligatures of components); a name that stands for none gives the one
// character U+0000.
void EncodingToUnicode(const TGlyphNames& names, std::array<std::u16string, 256>& chars);

// 1-based index of name in StandardGlyphTable (case-sensitive), 0 when absent.
int StandardGlyphIndex(std::string_view name);
// The MacRomanEncoding code of the glyph at a 1-based StandardGlyphTable index; -1 when the
// glyph has none or the index is out of range.
int StandardGlyphMacRomanCode(int index);

// Fonts 1..12: the width of each code's glyph from the font's StandardWidthTable row, 750 for
// a name outside the table. 13 (Symbol): the same from SymbolGlyphTable. 14 (ZapfDingbats):
// the 223 widths of codes 32..254 whatever the names; codes 0..31 and 255 keep their values.
// Other font numbers leave the widths unchanged.
void GetStandardFontWidths(int font, const TGlyphNames& names, TEncodingWidths& widths);
