// The Type 1 StandardEncoding by code, which resolves the base and accent codes of accented
// characters (seac in Type 1 charstrings, endchar with four operands in Type 2).
#pragma once

#include <cstdint>
#include <string_view>

// The glyph name of a code 0-255; empty for codes without a glyph and out of range.
std::string_view Type1StandardEncodingName(int64_t code);
