#include "pdf/codecs/ccitt/ccitt_bit_reader.h"

#include "pdf/codecs/ccitt/ccitt_tables.h"

namespace ccitt {

TCCITTBitReader::TCCITTBitReader(std::span<const uint8_t> data, bool reversed)
    : data_(data), reversed_(reversed), total_(static_cast<uint64_t>(data.size()) * 8) {
  // Found once, so that the end-of-data test at each row is constant time.
  all_zero_ = true;
  for (size_t i = data_.size(); i-- > 0;) {
    const uint8_t b = ByteAt(i);
    if (b == 0) continue;
    unsigned bit = 7;
    while (((b >> (7 - bit)) & 1) == 0) --bit;  // lowest set bit = last in reading order
    last_one_ = static_cast<uint64_t>(i) * 8 + bit;
    all_zero_ = false;
    break;
  }
}

uint8_t TCCITTBitReader::ByteAt(size_t i) const {
  if (i >= data_.size()) return 0;
  return reversed_ ? ReverseBits(data_[i]) : data_[i];
}

uint32_t TCCITTBitReader::Word(size_t i) const {
  return (uint32_t{ByteAt(i)} << 24) | (uint32_t{ByteAt(i + 1)} << 16) | (uint32_t{ByteAt(i + 2)} << 8) |
         ByteAt(i + 3);
}

void TCCITTBitReader::AlignToByte() { pos_ = (pos_ + 7) & ~uint64_t{7}; }

unsigned TCCITTBitReader::BitAt(uint64_t pos) const {
  if (pos >= total_) return 0;
  return (ByteAt(static_cast<size_t>(pos >> 3)) >> (7 - (pos & 7))) & 1u;
}

uint64_t TCCITTBitReader::CountZeros(uint64_t limit) const {
  uint64_t n = 0;
  uint64_t p = pos_;
  while (n < limit && p < total_) {
    if ((p & 7) == 0 && limit - n >= 8 && ByteAt(static_cast<size_t>(p >> 3)) == 0) {
      n += 8;
      p += 8;
      continue;
    }
    if (BitAt(p) != 0) break;
    ++n;
    ++p;
  }
  return n;
}

}  // namespace ccitt
