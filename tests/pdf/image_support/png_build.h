// Building PNG files chunk by chunk for tests of odd and hostile input.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "pdf/codecs/png/png_common.h"

namespace pngtest {

inline std::string BE32(uint32_t v) {
  return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

inline std::string Chunk(const std::string& type, const std::string& data) {
  return BE32(uint32_t(data.size())) + type + data + BE32(PNGCRC32Update(PNGCRC32Update(0, type), data));
}

inline std::string IHDR(uint32_t w, uint32_t h, int depth, int colourType, int interlace = 0, int compression = 0,
                        int filter = 0) {
  return BE32(w) + BE32(h) + char(depth) + char(colourType) + char(compression) + char(filter) + char(interlace);
}

inline std::string MakePNG(std::initializer_list<std::string> chunks) {
  std::string png(kPNGSignature);
  for (const auto& c : chunks) png += c;
  return png;
}

// The data of all IDAT chunks of a file, joined.
inline std::string JoinedIDAT(const std::string& png) {
  std::string out;
  for (size_t pos = 8; pos + 12 <= png.size();) {
    const uint32_t len = (uint32_t(uint8_t(png[pos])) << 24) | (uint32_t(uint8_t(png[pos + 1])) << 16) |
                         (uint32_t(uint8_t(png[pos + 2])) << 8) | uint8_t(png[pos + 3]);
    if (png.compare(pos + 4, 4, "IDAT") == 0) out += png.substr(pos + 8, len);
    pos += 12 + size_t(len);
  }
  return out;
}

}  // namespace pngtest
