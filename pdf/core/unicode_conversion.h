// Strict conversions of UTF-8 and UTF-16 text into UTF-16, with choices for bad characters,
// byte-order marks and the output's byte order.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/rtl/strings.h"

// Error modes: what happens to an ill-formed sequence, a surrogate or noncharacter value, or a
// value the output format cannot hold.
inline constexpr uint8_t kUnicodeErrorStopAndClear = 0;  // stop; the output is emptied (a BOM stays)
inline constexpr uint8_t kUnicodeErrorStop = 1;          // stop; the output so far is kept
inline constexpr uint8_t kUnicodeErrorSkip = 2;
inline constexpr uint8_t kUnicodeErrorReplace = 3;       // write U+FFFD
// Any other error mode writes the bad value as it is (U+FFFD where there is no value).

// BOM modes, for a U+FEFF met before anything was written.
inline constexpr uint8_t kUnicodeBomKeep = 0;
inline constexpr uint8_t kUnicodeBomDrop = 1;
inline constexpr uint8_t kUnicodeBomWrite = 2;  // drop it, and start the output with a BOM

// Output formats. Big-endian output holds each unit byte-swapped in the wide string, so that the
// string's bytes as stored read as big-endian.
inline constexpr uint8_t kUnicodeOutNone = 0;
inline constexpr uint8_t kUnicodeOutUTF16LE = 1;  // up to U+10FFFF, surrogate pairs
inline constexpr uint8_t kUnicodeOutUTF16BE = 2;
inline constexpr uint8_t kUnicodeOutUCS2LE = 3;   // up to U+FFFF
inline constexpr uint8_t kUnicodeOutUCS2BE = 4;
// Higher output formats accept no character.

// Source formats of UTF16ToUTF16: 1 UTF-16LE and 2 UTF-16BE (surrogate pairs), 3 UCS-2LE,
// other values UCS-2BE (a surrogate unit is a bad character); 0 converts nothing.
inline constexpr uint8_t kUnicodeInUTF16LE = 1;
inline constexpr uint8_t kUnicodeInUTF16BE = 2;
inline constexpr uint8_t kUnicodeInUCS2LE = 3;
inline constexpr uint8_t kUnicodeInUCS2BE = 4;

// Each returns true when the whole input was converted without a stop. An ill-formed UTF-8
// sequence counts as one bad character covering its longest valid beginning; the byte that
// broke it is read again as the start of the next character. SourceFormat 0 is UTF-8; any other
// gives false and only the BOM that bomMode writes.
bool UTF8ToUTF16(std::string_view src, WideString& dest, uint8_t sourceFormat, uint8_t errorMode,
                 uint8_t bomMode, uint8_t outputFormat);
bool UTF16ToUTF16(std::u16string_view src, WideString& dest, uint8_t sourceFormat, uint8_t errorMode,
                  uint8_t bomMode, uint8_t outputFormat);

// UTF-8 to UTF-16LE; bad characters become U+FFFD and a leading BOM is dropped.
WideString UTF8ToWide(std::string_view s);
