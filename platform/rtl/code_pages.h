// Conversions between Windows code pages and UTF-16 (the kernel's MultiByteToWideChar and
// WideCharToMultiByte), through the C library's iconv. The system ANSI code page is 1252.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/rtl/strings.h"

inline constexpr uint32_t CP_ACP = 0;
inline constexpr uint32_t CP_OEMCP = 1;
inline constexpr uint32_t CP_UTF8 = 65001;

// The code page that CP_ACP stands for (1252); CP_OEMCP stands for 437.
uint32_t GetACP();
uint32_t GetOEMCP();

// True when iconv knows the code page on this system.
bool IsValidCodePage(uint32_t codePage);

// Bytes of codePage to UTF-16. A byte sequence the code page does not define becomes U+FFFD
// for its first byte, and conversion goes on with the next byte; an unknown code page gives
// one U+FFFD per byte.
WideString MultiByteToWideChar(uint32_t codePage, std::string_view bytes);

// UTF-16 to codePage. A character the code page cannot hold (and an unpaired surrogate)
// becomes defaultChar, and usedDefault (when given) is set; an unknown code page gives
// defaultChar for every character.
std::string WideCharToMultiByte(uint32_t codePage, std::u16string_view text, char defaultChar = '?',
                                bool* usedDefault = nullptr);
