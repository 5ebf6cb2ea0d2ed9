// Glyph names to Unicode through the Adobe Glyph List carried as a compressed resource.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The resource number of the glyph list: after inflating, 58 three-byte little-endian 1-based
// offsets (first record of each first letter "A" to "z", 0 for none), then records sorted by
// name: a length byte, the name, the Unicode value as 16 bits little-endian.
inline constexpr int kGlyphListResource = 15902;

// The Unicode value of a name in the glyph list (case-sensitive); 0 for a name it does not
// hold, an empty name or one whose first character is below "A". "uniXXXX" names are not
// decoded here (see GlyphNameToCodePoint).
uint16_t GlyphNameToUnicode(std::string_view name);

// A wider reading for text extraction: the part of the name before the first "." and "_"
// is looked up in the glyph list, else read as "uniXXXX" (groups of four upper-case hexadecimal
// digits; the first group counts) or "uXXXX" to "uXXXXXX" (four to six digits); surrogates and
// values above U+10FFFF give 0, as does a name none of these reads.
uint32_t GlyphNameToCodePoint(std::string_view name);

// The text a glyph name stands for by the Adobe glyph naming convention: the part before the
// first "." in components separated by "_", each read as GlyphNameToCodePoint reads its
// first component but with every group of a "uni" name, the characters joined (in UTF-16);
// components nothing reads add nothing. Empty when no component reads.
std::u16string GlyphNameToText(std::string_view name);
