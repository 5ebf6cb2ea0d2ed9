// What the PNG reader and writer share: the file signature and the chunk checksum.
#pragma once

#include <cstdint>
#include <string_view>

inline constexpr std::string_view kPNGSignature{"\x89PNG\r\n\x1A\n", 8};

// The CRC-32 of the PNG format (reflected polynomial EDB88320, initial value all ones, final
// complement); 0 for empty input.
uint32_t PNGCRC32(std::string_view data);
// Continues a CRC begun over earlier bytes (crc is the value returned for them).
uint32_t PNGCRC32Update(uint32_t crc, std::string_view data);
