// Comparison of byte strings in the manner of Windows' CompareStringA, without a locale.
//
// The system compares by the user's locale; we compare deterministically on every machine:
// bytes in order, and with NORM_IGNORECASE after folding ASCII letters to lower case. Other
// flags and the locale argument are accepted and have no effect.
#pragma once

#include <cstdint>
#include <string_view>

inline constexpr uint32_t LOCALE_USER_DEFAULT = 0x0400;
inline constexpr uint32_t NORM_IGNORECASE = 0x00000001;

inline constexpr int CSTR_LESS_THAN = 1;
inline constexpr int CSTR_EQUAL = 2;
inline constexpr int CSTR_GREATER_THAN = 3;

// CSTR_LESS_THAN, CSTR_EQUAL or CSTR_GREATER_THAN.
int CompareStringA(uint32_t locale, uint32_t flags, std::string_view a, std::string_view b);
// The same as -1, 0 or 1.
int CompareAnsi(std::string_view a, std::string_view b, bool ignoreCase);
