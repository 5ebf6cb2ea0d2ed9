// The 391 standard strings of the Compact Font Format: SID 0 (".notdef") to 390 ("Semibold").
#pragma once

#include <cstdint>
#include <string_view>

inline constexpr int64_t kCFFStandardStringCount = 391;

// The standard string of a SID 0-390; empty out of range.
std::string_view CFFStandardString(int64_t sid);
