// The choice of an installed face for a font without a program: the fourteen standard-font
// patterns, and the CJK substitute tables of CID-keyed Type 1 and composite TrueType fonts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The standard-font pattern (1..14) a name matches, the last that does; 0 for none.
int StandardFontPattern(std::string_view name);
// Replacement name of a pattern 1..14 ("CourierNew", "Arial,Bold", ...).
std::string_view StandardFontReplacement(int pattern);
// The pattern's font number in the built-in width tables (Courier 1 ... Times-BoldItalic 12,
// Symbol 13, ZapfDingbats 14).
int StandardFontWidthNumber(int pattern);

// A subset tag (six capitals and "+") removed.
std::string StripSubsetTag(std::string_view name);

enum class TCJKRoad { CIDType1, CompositeTrueType };
// The face for a CJK font without a program; charSet may be changed by a table row.
std::string CJKSubstituteFace(TCJKRoad road, std::string_view baseFont, int32_t flags, std::string_view panose,
                              uint8_t& charSet);
// The native name, in code page 932 bytes, of the CJK face whose Western name the face name
// starts with ("MS Gothic", "PMingLiu", "SimSun" ...); empty for any other face.
std::string_view CJKNativeFaceName(std::string_view face);
// CID-keyed Courier names as the installed Courier faces ("CourierStd-Bold" -> "Courier,Bold").
std::string CIDCourierName(std::string_view baseFont);
