// Byte and bit reader over one JBIG2 data part. Reads past the end give zero bytes and set
// the end flag, which stays set; callers finish what they were decoding and look at it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace jbig2 {

class TStreamReader {
 public:
  TStreamReader() = default;
  explicit TStreamReader(std::span<const uint8_t> data) : data_(data) {}

  uint8_t ReadByte();
  // Fills the buffer; elements past the end stay as they were. The position advances by the
  // buffer's length in every case (up to the end of the data).
  void ReadBytes(std::span<uint8_t> buffer);
  uint32_t ReadUInt32();
  uint16_t ReadUInt16();
  // A byte read as two's complement (adaptive template coordinates).
  int8_t ReadSignedByte() { return static_cast<int8_t>(ReadByte()); }

  // Bits of the current byte, most significant first.
  uint32_t ReadBit();
  uint32_t ReadBits(int n);
  // Moves on to the next byte boundary when bits of the current byte were taken.
  void ConsumeRemainingBits();

  // Moves the position by n bytes (negative moves back), held within the data.
  void Skip(int64_t n);
  size_t Position() const { return pos_; }
  void SetPosition(size_t pos);
  size_t Size() const { return data_.size(); }
  size_t Remaining() const { return data_.size() - pos_; }
  bool AtEnd() const { return pos_ >= data_.size(); }
  bool EndFlag() const { return end_; }
  void SetEndFlag() { end_ = true; }
  std::span<const uint8_t> Data() const { return data_; }
  // The data from the position on.
  std::span<const uint8_t> Rest() const { return data_.subspan(pos_); }

 private:
  std::span<const uint8_t> data_;
  size_t pos_ = 0;
  int bit_ = 7;  // 7: the next bit is the most significant one of the current byte
  bool end_ = false;
};

}  // namespace jbig2
