// ToUnicode CMap text read into code ranges for text extraction. Only the first codespace
// range is read (it decides whether codes are one byte); bfchar and bfrange blocks follow in
// text order, then the cidchar and cidrange blocks of a CMap that labels its pairs so. A block
// ends at its first token that is not a hexadecimal string. Hostile text cannot make the work
// outgrow the text: an array destination takes one item per code and stops at its end.
#pragma once

#include <string_view>
#include <vector>

#include "pdf/fonts/font_collection.h"

// Ranges of the text in order; oneByte tells whether the first codespace range spells one-byte
// codes. Nothing is read without a complete codespace block.
void ParseToUnicode(std::string_view text, bool& oneByte, std::vector<TToUnicodeRange>& ranges);

// The text of code through the first range that holds it: its destination with the last unit
// counted up by code - low; empty when no range holds it.
std::u16string ToUnicodeText(const std::vector<TToUnicodeRange>& ranges, uint32_t code);
