// PDF text strings: PDFDocEncoding where every character has a code, UTF-16BE with a byte-order
// mark otherwise.
#pragma once

#include <cstdint>
#include <string>

#include "platform/rtl/strings.h"

// The PDFDocEncoding code of ch, or -1 when it has none.
int UnicodeToPDFDocCode(uint16_t ch);

// Text that carries its length in front: a first character with high byte E7 and a second with
// high byte F8 give the length (low bytes, little-endian) of the text after them. Any other text
// is returned unchanged.
WideString UnwrapLengthPrefixedWide(const WideString& w);

// The bytes of a PDF text string for w: PDFDocEncoding when every character has a code and
// forceUnicode is false, else FE FF and UTF-16BE. Empty text gives the empty string.
std::string EncodePDFTextString(const WideString& w, bool forceUnicode);
