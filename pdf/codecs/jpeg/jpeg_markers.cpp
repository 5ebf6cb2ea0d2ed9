#include "pdf/codecs/jpeg/jpeg_markers.h"

#include <cstdint>

bool JPEGCarriesICCProfile(std::string_view data) {
  static constexpr std::string_view kName{"ICC_PROFILE\0", 12};
  auto byte = [&](size_t i) { return uint8_t(data[i]); };
  if (data.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8) return false;
  size_t i = 2;
  // Each step moves past a marker and its segment, so the walk ends with the data.
  while (i + 4 <= data.size()) {
    if (byte(i) != 0xFF) return false;
    const uint8_t marker = byte(i + 1);
    if (marker == 0xFF) {  // fill byte before a marker
      ++i;
      continue;
    }
    // The first scan, the end of the image or a marker without a segment: no profile comes.
    if (marker == 0xDA || marker == 0xD9 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) return false;
    const size_t length = size_t(byte(i + 2)) << 8 | byte(i + 3);
    if (length < 2) return false;
    if (marker == 0xE2 && length >= 2 + kName.size() && i + 4 + kName.size() <= data.size() &&
        data.substr(i + 4, kName.size()) == kName)
      return true;
    i += 2 + length;
  }
  return false;
}
