// The installed font families per character set, enumerated once per set and kept.
#pragma once

#include "pdf/core/string_list.h"

// The sorted family names that cover charSet (vertical "@" faces left out). The list belongs
// to the cache, which lives as long as the program: callers must not free it.
TTalvoPDFStringList* GetFontFamilyList(int charSet);
