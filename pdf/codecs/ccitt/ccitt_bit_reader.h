// Bit source over fax-coded data: most significant bit first, or each byte reversed first
// (fill order 2). Reads past the end see zero bits; callers ask Fits before consuming a code,
// so the position never passes the end of the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace ccitt {

class TCCITTBitReader {
 public:
  TCCITTBitReader(std::span<const uint8_t> data, bool reversed);

  // The next n bits (1 to 25) as an unsigned number, without consuming them.
  uint32_t Peek(unsigned n) const {
    const size_t i = static_cast<size_t>(pos_ >> 3);
    uint32_t w;
    if (!reversed_ && i + 4 <= data_.size()) {
      const uint8_t* p = data_.data() + i;
      w = (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
    } else {
      w = Word(i);
    }
    return (w << (pos_ & 7)) >> (32 - n);
  }
  // Consumes n bits; only after Fits(n).
  void Skip(uint64_t n) { pos_ += n; }
  uint32_t Read(unsigned n) {
    const uint32_t v = Peek(n);
    Skip(n);
    return v;
  }
  bool Fits(uint64_t n) const { return pos_ + n <= total_; }

  void AlignToByte();
  bool AtByteBoundary() const { return (pos_ & 7) == 0; }

  uint64_t Position() const { return pos_; }
  uint64_t TotalBits() const { return total_; }
  // True when no 1 bit lies at or after the position: what is left is padding.
  bool RestIsZero() const { return all_zero_ || pos_ > last_one_; }
  // Consecutive 0 bits from the position, stopping at a 1 bit, the end of the data or limit.
  uint64_t CountZeros(uint64_t limit) const;
  // The bit at an absolute position (0 past the end).
  unsigned BitAt(uint64_t pos) const;
  // Moves to an absolute position found by looking ahead (never past the end).
  void SetPosition(uint64_t pos) { pos_ = pos < total_ ? pos : total_; }

 private:
  uint8_t ByteAt(size_t i) const;
  // Four bytes from i on, reversed when asked, zeros past the end.
  uint32_t Word(size_t i) const;

  std::span<const uint8_t> data_;
  bool reversed_;
  uint64_t pos_ = 0;
  uint64_t total_;
  // Absolute position of the last 1 bit, unless the data hold none.
  uint64_t last_one_ = 0;
  bool all_zero_ = false;
};

}  // namespace ccitt
