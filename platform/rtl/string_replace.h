// The class library's StringReplace on byte strings.
#pragma once

#include <string>
#include <string_view>

inline constexpr unsigned rfReplaceAll = 1;
inline constexpr unsigned rfIgnoreCase = 2;

// Replaces the first occurrence of oldPattern (every one with rfReplaceAll); rfIgnoreCase
// matches ASCII letters without regard to case. An empty pattern leaves s unchanged.
std::string StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                          unsigned flags);
