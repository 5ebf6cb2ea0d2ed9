// The fourteen standard rubber stamps that a /Stamp annotation without an appearance of its
// own is drawn with, chosen by the annotation's /Name.
#pragma once

#include <array>
#include <string>
#include <string_view>

struct TStampEntry {
  const char* Name;
  const char* Appearance;  // upper-case hexadecimal text of a zlib stream
};

inline constexpr size_t kStampCount = 14;
extern const std::array<TStampEntry, kStampCount> kStampTable;

// The content stream of the stamp named exactly (case counts); any other name, the empty one
// included, gives "Draft". Drawn in a box of about 120 x 32 units.
std::string StampAppearanceStream(std::string_view name);
