// What the marker segments at the head of JPEG data say, read without decoding them.
#pragma once

#include <string_view>

// True when the data carry an ICC profile (an APP2 segment named "ICC_PROFILE") before their
// first scan; a line feed in front of the data is passed over. Damaged or cut data answer for
// the segments that can be read.
bool JPEGCarriesICCProfile(std::string_view Data);
