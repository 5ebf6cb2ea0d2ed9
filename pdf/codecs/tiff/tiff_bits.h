// Bit order of TIFF data written with FillOrder 2 (least significant bit first).
#pragma once

#include <array>
#include <cstdint>
#include <string>

// The byte with its eight bits in reverse order.
inline uint8_t ReverseBits(uint8_t b) {
  static constexpr std::array<uint8_t, 256> kTable = [] {
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i) {
      int r = 0;
      for (int k = 0; k < 8; ++k)
        if (i & (1 << k)) r |= 0x80 >> k;
      t[size_t(i)] = uint8_t(r);
    }
    return t;
  }();
  return kTable[b];
}

inline void ReverseBitOrder(std::string& bytes) {
  for (char& c : bytes) c = char(ReverseBits(uint8_t(c)));
}
