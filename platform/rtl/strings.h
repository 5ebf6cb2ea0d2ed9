// Byte strings, wide strings and their conversions.
//
// The library keeps text and raw data in 8-bit byte strings (AnsiString); file names and
// user-visible text cross interfaces as UTF-16 (WideString). On Linux a file name is an
// arbitrary byte sequence, so file names convert losslessly: bytes that are not part of
// well-formed UTF-8 map to the lone surrogates U+DC80..U+DCFF and back.
#pragma once

#include <string>
#include <string_view>

using AnsiString = std::string;
using WideString = std::u16string;

// Well-formed UTF-8 to UTF-16; ill-formed bytes become U+FFFD.
WideString Utf8ToWide(std::string_view utf8);
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string WideToUtf8(std::u16string_view wide);

// Lossless file-name conversions (round trip for every byte sequence).
WideString FileNameToWide(std::string_view bytes);
std::string WideToFileName(std::u16string_view wide);

// ASCII-only case mapping, as the library's byte-string helpers use.
std::string UpperCaseAscii(std::string_view s);
std::string LowerCaseAscii(std::string_view s);
WideString UpperCaseWide(std::u16string_view s);  // ASCII and Latin-1 letters
bool SameTextAscii(std::string_view a, std::string_view b);

// Trim: removes leading and trailing characters <= ' ' (the class library's Trim).
std::string Trim(std::string_view s);
WideString TrimWide(std::u16string_view s);

inline WideString operator""_w(const char16_t* s, std::size_t n) { return WideString(s, n); }
