// One enhanced-metafile record as the converter reads it: its type and its bytes (type and size
// included). Every read is bounds-checked and gives 0 outside the record, so a handler never
// reads past what the record holds, whatever its counts claim.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>

struct TMetafileRecord {
  uint32_t Type = 0;
  std::span<const uint8_t> Bytes;

  uint64_t Size() const { return Bytes.size(); }
  bool Has(uint64_t offset, uint64_t length) const { return offset <= Bytes.size() && length <= Bytes.size() - offset; }
  uint8_t U8(uint64_t off) const { return Has(off, 1) ? Bytes[off] : 0; }
  uint16_t U16(uint64_t off) const { return Has(off, 2) ? uint16_t(Bytes[off] | (Bytes[off + 1] << 8)) : 0; }
  int16_t I16(uint64_t off) const { return int16_t(U16(off)); }
  uint32_t U32(uint64_t off) const {
    uint32_t v = 0;
    if (Has(off, 4)) std::memcpy(&v, Bytes.data() + off, 4);
    return v;
  }
  int32_t I32(uint64_t off) const { return int32_t(U32(off)); }
  // A 32-bit float; NaN and infinities read as 0.
  double F32(uint64_t off) const {
    const float f = std::bit_cast<float>(U32(off));
    return std::isfinite(f) ? double(f) : 0.0;
  }
  // How many elements of `size` bytes, `count` claimed, really lie at `off`.
  uint64_t Fit(uint64_t off, uint64_t count, uint64_t size) const {
    if (off >= Bytes.size() || size == 0) return 0;
    return std::min<uint64_t>(count, (Bytes.size() - off) / size);
  }
  // A byte range of the record, empty when it does not lie inside.
  std::span<const uint8_t> Slice(uint64_t off, uint64_t length) const {
    return Has(off, length) ? Bytes.subspan(size_t(off), size_t(length)) : std::span<const uint8_t>{};
  }
};
