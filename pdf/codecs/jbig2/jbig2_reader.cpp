#include "pdf/codecs/jbig2/jbig2_reader.h"

namespace jbig2 {

uint8_t TStreamReader::ReadByte() {
  if (pos_ >= data_.size()) {
    end_ = true;
    return 0;
  }
  bit_ = 7;
  return data_[pos_++];
}

void TStreamReader::ReadBytes(std::span<uint8_t> buffer) {
  for (uint8_t& b : buffer) {
    if (pos_ >= data_.size()) {
      end_ = true;
      return;
    }
    b = data_[pos_++];
  }
  bit_ = 7;
}

uint32_t TStreamReader::ReadUInt32() {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = (v << 8) | ReadByte();
  return v;
}

uint16_t TStreamReader::ReadUInt16() {
  const uint32_t hi = ReadByte();
  return static_cast<uint16_t>((hi << 8) | ReadByte());
}

uint32_t TStreamReader::ReadBit() {
  if (pos_ >= data_.size()) {
    end_ = true;
    return 0;
  }
  const uint32_t bit = (data_[pos_] >> bit_) & 1;
  if (bit_ == 0) {
    bit_ = 7;
    ++pos_;
  } else {
    --bit_;
  }
  return bit;
}

uint32_t TStreamReader::ReadBits(int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = (v << 1) | ReadBit();
  return v;
}

void TStreamReader::ConsumeRemainingBits() {
  if (bit_ != 7) {
    bit_ = 7;
    if (pos_ < data_.size()) ++pos_;
  }
}

void TStreamReader::Skip(int64_t n) {
  bit_ = 7;
  const int64_t target = static_cast<int64_t>(pos_) + n;
  if (target < 0) {
    pos_ = 0;
  } else if (static_cast<uint64_t>(target) > data_.size()) {
    pos_ = data_.size();
    end_ = true;
  } else {
    pos_ = static_cast<size_t>(target);
  }
}

void TStreamReader::SetPosition(size_t pos) {
  bit_ = 7;
  pos_ = pos < data_.size() ? pos : data_.size();
}

}  // namespace jbig2
