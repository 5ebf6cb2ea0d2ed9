// Conversions between Windows code pages and UTF-16 (the kernel's MultiByteToWideChar and
// WideCharToMultiByte), through the C library's iconv. The system ANSI code page is 1252.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/strings.h"

inline constexpr uint32_t CP_ACP = 0;
inline constexpr uint32_t CP_OEMCP = 1;
inline constexpr uint32_t CP_SYMBOL = 42;  // bytes of a symbol font: U+F000 + the byte
inline constexpr uint32_t CP_UTF8 = 65001;

// The code page that CP_ACP stands for (1252); CP_OEMCP stands for 437.
uint32_t GetACP();
uint32_t GetOEMCP();

// The code page of a font character set, as text of a font of that set is read: ANSI and
// DEFAULT 1252, SYMBOL CP_SYMBOL, OEM 437, MAC 10000, the others their own (RUSSIAN 1251,
// SHIFTJIS 932 ...); 1252 for a set without one.
uint32_t CharsetCodePage(uint8_t charset);

// True when b starts a two-byte character in the double-byte code page (932, 936, 949, 950,
// 1361); false for every byte of other code pages.
bool IsDBCSLeadByteEx(uint32_t codePage, uint8_t b);

// True when iconv knows the code page on this system.
bool IsValidCodePage(uint32_t codePage);

// Bytes of codePage to UTF-16. A byte sequence the code page does not define becomes U+FFFD
// for its first byte, and conversion goes on with the next byte; an unknown code page gives
// one U+FFFD per byte.
WideString MultiByteToWideChar(uint32_t codePage, std::string_view bytes);

// As MultiByteToWideChar, one character (one byte, or a lead byte and its trail) at a time:
// firstByte receives, for each UTF-16 unit, the index of the byte its character starts at.
WideString MultiByteToWideCharUnits(uint32_t codePage, std::string_view bytes, std::vector<size_t>& firstByte);

// UTF-16 to codePage. A character the code page cannot hold (and an unpaired surrogate)
// becomes defaultChar, and usedDefault (when given) is set; an unknown code page gives
// defaultChar for every character.
std::string WideCharToMultiByte(uint32_t codePage, std::u16string_view text, char defaultChar = '?',
                                bool* usedDefault = nullptr);
