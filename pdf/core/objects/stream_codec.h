// The byte coding that TPDFStream uses for its data (defined beside TPDFStream::Decode).
#pragma once

#include <string>
#include <string_view>

// Deflated data in a zlib stream; empty for empty input or on failure.
std::string CompressStreamData(std::string_view data);
// The data as they are in the stored blocks of a zlib stream (no compression time).
std::string StoreStreamData(std::string_view data);
