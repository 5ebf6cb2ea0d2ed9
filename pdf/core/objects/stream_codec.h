// The byte coding that TPDFStream uses for its data (defined beside TPDFStream::Decode).
#pragma once

#include <string>
#include <string_view>

// Deflated data in a zlib stream; empty for empty input or on failure.
std::string CompressStreamData(std::string_view data);
