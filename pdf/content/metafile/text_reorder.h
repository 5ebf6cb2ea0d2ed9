// Right-to-left text of metafiles in display order: Hebrew runs are reversed (with their
// brackets mirrored) while numbers inside them keep their reading order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TCharData {
  char16_t Character = 0;
  char Class = ' ';       // 'L' left-to-right, 'R' right-to-left, 'N' number, ' ' neutral
  int32_t Position = 0;   // 1-based index in the text before reordering
  double Advance = 0;
};

// Reorders text that holds a Hebrew character (U+0591..U+05F4) for display, its advances
// (empty, or one per character) with it; other text is left as it is.
void ReorderRightToLeft(std::u16string& text, std::vector<double>& advances);
