// Little-endian bytes built value by value, for the records and files tests make by hand.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace testsupport {

struct LeBytes {
  std::vector<uint8_t> b;
  LeBytes& U16(uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
    return *this;
  }
  LeBytes& I16(int16_t v) { return U16(uint16_t(v)); }
  LeBytes& U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
    return *this;
  }
  LeBytes& I32(int32_t v) { return U32(uint32_t(v)); }
  LeBytes& F32(float v) { return U32(std::bit_cast<uint32_t>(v)); }
  LeBytes& Raw(const std::vector<uint8_t>& v) {
    b.insert(b.end(), v.begin(), v.end());
    return *this;
  }
  // A rectangle (left, top, right, bottom) and a point of 32-bit coordinates.
  LeBytes& Rect(int32_t l, int32_t t, int32_t r, int32_t bo) { return I32(l).I32(t).I32(r).I32(bo); }
  LeBytes& Pt(int32_t x, int32_t y) { return I32(x).I32(y); }
  size_t size() const { return b.size(); }
};

}  // namespace testsupport
