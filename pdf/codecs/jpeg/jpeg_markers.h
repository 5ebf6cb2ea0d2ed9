// What the marker segments at the head of JPEG data say, read without decoding them.
#pragma once

#include <string_view>

// True when the data carry an ICC profile (an APP2 segment named "ICC_PROFILE") before their
// first scan. The data start at their first marker (a caller drops a line feed written before
// it, as the decode does). Damaged or cut data answer for the segments that can be read.
bool JPEGCarriesICCProfile(std::string_view Data);
