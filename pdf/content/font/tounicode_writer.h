// The text of one-byte ToUnicode CMaps that the font writers attach to their fonts.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// (code, Unicode value) pairs.
using TCodeUnicodePairs = std::vector<std::pair<uint8_t, uint16_t>>;

// The CMap of a re-encoded TrueType font: lines joined with CR LF, all pairs in one bfchar block.
std::string ReencodingToUnicodeText(const TCodeUnicodePairs& pairs);
// The CMap of a Type 3 font: bfchar blocks of at most 50 pairs.
std::string Type3ToUnicodeText(const TCodeUnicodePairs& pairs);
