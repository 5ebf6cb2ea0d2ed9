// The installed font families per character set, enumerated once per set and kept.
#pragma once

#include <string_view>

#include "pdf/core/string_list.h"

// The sorted family names that cover charSet (vertical "@" faces left out). The list belongs
// to the cache, which lives as long as the program: callers must not free it.
TTalvoPDFStringList* GetFontFamilyList(int charSet);
// Whether an installed face of charSet goes by that name: one of the listed families, or
// another name a face carries (the native names of CJK faces beside the Western ones).
bool FontFamilyInstalled(int charSet, std::string_view face);
