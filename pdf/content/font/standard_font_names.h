// The names under which documents and metafiles ask for the fourteen standard fonts, and the
// TrueType faces that stand for them.
#pragma once

#include <string_view>

// The standard font number 1..14 whose alias list holds name (case-sensitive); 0 for none.
int FindStandardFont(std::string_view name);
// "CourierNew", "Arial,Bold", ... for font 1..14; empty outside.
std::string_view StandardFontTrueTypeName(int fontNumber);
// The "*"-separated alias list of font 1..14 (each name ends with "*"); empty outside.
std::string_view StandardFontAliases(int fontNumber);
