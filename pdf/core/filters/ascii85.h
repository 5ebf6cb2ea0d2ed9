// ASCII base-85 decoding and encoding (the ASCII85Decode filter).
#pragma once

#include <string>
#include <string_view>

#include "platform/rtl/streams.h"

// Decodes ASCII85 text up to its end marker "~>" (a "~" alone, or the end of the text, ends it
// too); whitespace is ignored and "z" stands for four zero bytes.
std::string ASCII85Decode(std::string_view text);

// Encodes all of input (rewound to its start first) onto output: lines of 71 to 75 characters
// ending in CR LF, then "~>" with no line end.
void ASCII85EncodeStream(TStream& input, TStream& output);
std::string ASCII85EncodeString(std::string_view data);
