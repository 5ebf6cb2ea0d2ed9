// The RunLengthDecode filter of PDF: a length byte L, then L + 1 literal bytes (L 0 to 127),
// one byte repeated 257 - L times (L 129 to 255), or the end of the data (L 128).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "pdf/core/filters/output_limit.h"

// Output receives exactly the decoded bytes, at most maxOutput of them. A literal run cut off
// by the end of the input copies what remains; a repeat length as the last byte writes
// nothing; a missing end-of-data byte is no error. Returns false when the output was cut at
// maxOutput.
bool RunLengthDecode(std::string_view Input, std::string& Output, int64_t maxOutput = kDefaultFilterOutputLimit);
