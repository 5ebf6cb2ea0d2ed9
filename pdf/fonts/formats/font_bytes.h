// A bounds-checked big-endian reader over font data. Reads past the end give 0 and set the
// short flag, as a short stream read leaves zero bytes; nothing ever reads outside the data.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class TFontByteReader {
 public:
  TFontByteReader() = default;
  explicit TFontByteReader(std::string_view data) : data_(data) {}

  int64_t Size() const { return static_cast<int64_t>(data_.size()); }
  int64_t Position() const { return pos_; }
  // Any position may be set; reads from outside the data fail.
  void Seek(int64_t pos) { pos_ = pos; }
  void Skip(int64_t count) { pos_ += count; }
  bool AtEnd() const { return pos_ < 0 || pos_ >= Size(); }
  int64_t Remaining() const { return pos_ < 0 || pos_ >= Size() ? 0 : Size() - pos_; }
  // Set once a read ran past the end (or started outside the data).
  bool Short() const { return short_; }
  void ClearShort() { short_ = false; }

  uint8_t U8() { return uint8_t(Take(1)); }
  int8_t S8() { return int8_t(U8()); }
  uint16_t U16() { return uint16_t(Take(2)); }
  int16_t S16() { return int16_t(U16()); }
  uint32_t U32() { return uint32_t(Take(4)); }
  int32_t S32() { return int32_t(U32()); }
  // An unsigned big-endian integer of 1 to 4 bytes.
  uint32_t UN(int size) { return size >= 1 && size <= 4 ? uint32_t(Take(size)) : 0; }
  // Up to count bytes (fewer at the end, which sets the short flag).
  std::string Bytes(int64_t count) {
    if (count <= 0) return {};
    const int64_t n = count < Remaining() ? count : Remaining();
    if (n < count) short_ = true;
    std::string out = n > 0 ? std::string(data_.substr(size_t(pos_), size_t(n))) : std::string();
    pos_ += count;
    return out;
  }

 private:
  uint64_t Take(int size) {
    uint64_t v = 0;
    for (int i = 0; i < size; ++i) {
      v <<= 8;
      if (pos_ >= 0 && pos_ < Size()) {
        v |= uint8_t(data_[size_t(pos_)]);
      } else {
        short_ = true;
      }
      ++pos_;
    }
    return v;
  }

  std::string_view data_;
  int64_t pos_ = 0;
  bool short_ = false;
};
