// The /Differences arrays (as object text) that re-encode a WinAnsi TrueType font to the
// characters of a Windows code page.
#pragma once

#include <string_view>

// For 437, 850, 852, 874 and 1250 to 1258; empty for other code pages.
std::string_view CodePageDifferences(int codePage);
