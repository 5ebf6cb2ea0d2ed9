// PDFDocEncoding: the single-byte encoding of PDF text strings, as Unicode values per code.
#pragma once

#include <array>
#include <cstdint>

// Code 22 maps to U+0017 as in the published table, so codes 22 and 23 share a value; codes
// 127, 159 and 173 are undefined and hold U+FFFD.
extern const std::array<uint16_t, 256> PDFDocEncodingTable;
