#include "pdf/codecs/gif/gif_lzw_encoder.h"

#include <algorithm>

#include "platform/rtl/streams.h"

namespace {

constexpr int32_t kMaxCodeWidth = 12;
// Codes up to 4094 are assigned; the string after that clears the table.
constexpr int32_t kTableLimit = 4095;

}  // namespace

void THashTable::Clear() { std::fill(slots_.begin(), slots_.end(), kEmpty); }

// The probe sequence steps back by a fixed displacement taken from the first slot. With a
// prime table size it visits every slot once, so both loops end within kSize probes.
void THashTable::Insert(uint32_t Key, uint32_t Code) {
  int32_t h = Hash(Key);
  const int32_t displacement = h == 0 ? 1 : kSize - h;
  for (int32_t probes = 0; probes < kSize; ++probes) {
    if (slots_[size_t(h)] == kEmpty) {
      slots_[size_t(h)] = (Key << 12) | (Code & 0xFFFu);
      return;
    }
    h -= displacement;
    if (h < 0) h += kSize;
  }
}

int32_t THashTable::Lookup(uint32_t Key) const {
  int32_t h = Hash(Key);
  const int32_t displacement = h == 0 ? 1 : kSize - h;
  for (int32_t probes = 0; probes < kSize; ++probes) {
    const uint32_t slot = slots_[size_t(h)];
    if (slot == kEmpty) return -1;
    if ((slot >> 12) == Key) return static_cast<int32_t>(slot & 0xFFFu);
    h -= displacement;
    if (h < 0) h += kSize;
  }
  return -1;
}

void TGIFStream::Write(uint8_t Byte) {
  buffer_[count_++] = Byte;
  if (count_ == 255) Flush();
}

void TGIFStream::Flush() {
  if (count_ == 0) return;
  const uint8_t length = static_cast<uint8_t>(count_);
  stream_.WriteBuffer(&length, 1);
  stream_.WriteBuffer(buffer_, count_);
  count_ = 0;
}

void TGIFEncoder::Encode(TStream& Stream, int32_t BitsPerPixel, std::span<const uint8_t> Pixels, int32_t Width,
                         int32_t Height) {
  // A span too short for the image encodes as an image without pixels.
  const bool whole = Width > 0 && Height > 0 && int64_t(Pixels.size()) >= int64_t(Width) * int64_t(Height);
  const uint8_t* base = Pixels.data();
  Encode(
      Stream, BitsPerPixel, [base, Width](int32_t y) { return base + size_t(y) * size_t(Width); }, whole ? Width : 0,
      whole ? Height : 0);
}

void TGIFEncoder::Encode(TStream& Stream, int32_t BitsPerPixel, const TRowSource& Rows, int32_t Width,
                         int32_t Height) {
  MinimumCodeSize = std::clamp(BitsPerPixel, 2, 8);
  pixelMask_ = static_cast<uint8_t>((1u << MinimumCodeSize) - 1);
  const uint8_t size = static_cast<uint8_t>(MinimumCodeSize);
  Stream.WriteBuffer(&size, 1);
  InitialCodeWidth = MinimumCodeSize + 1;
  CodeWidth = InitialCodeWidth;
  MaxCode = (1 << CodeWidth) - 1;
  ClearCode = 1 << MinimumCodeSize;
  EndCode = ClearCode + 1;
  NextCode = ClearCode + 2;
  bitBuffer_ = 0;
  bitCount_ = 0;
  clearFlag_ = false;
  rows_ = Rows;
  width_ = Width;
  height_ = Height;
  out_ = std::make_unique<TGIFStream>(Stream);
  if (Rows && Width > 0 && Height > 0) Compress();
  Output(EndCode);
  out_->Flush();
  const uint8_t terminator = 0;
  Stream.WriteBuffer(&terminator, 1);
  out_.reset();
  table_.reset();
  rows_ = nullptr;
}

void TGIFEncoder::Compress() {
  table_ = std::make_unique<THashTable>();
  Clear();
  int32_t prefix = -1;
  for (int32_t y = 0; y < height_; ++y) {
    const uint8_t* row = rows_(y);
    for (int32_t x = 0; x < width_; ++x) {
      const uint8_t c = row[x] & pixelMask_;
      if (prefix < 0) {
        prefix = c;
        continue;
      }
      const uint32_t key = (uint32_t(prefix) << 8) | c;
      const int32_t code = table_->Lookup(key);
      if (code >= 0) {
        prefix = code;
        continue;
      }
      Output(prefix);
      prefix = c;
      if (NextCode < kTableLimit) {
        table_->Insert(key, uint32_t(NextCode));
        ++NextCode;
      } else {
        Clear();
      }
    }
  }
  if (prefix >= 0) Output(prefix);
}

void TGIFEncoder::Clear() {
  clearFlag_ = true;
  Output(ClearCode);
  if (table_) table_->Clear();
  NextCode = ClearCode + 2;
}

void TGIFEncoder::Output(int32_t Code) {
  bitBuffer_ |= uint32_t(Code) << bitCount_;
  bitCount_ += CodeWidth;
  while (bitCount_ >= 8) {
    out_->Write(static_cast<uint8_t>(bitBuffer_));
    bitBuffer_ >>= 8;
    bitCount_ -= 8;
  }
  if (Code == EndCode && bitCount_ > 0) {
    out_->Write(static_cast<uint8_t>(bitBuffer_));
    bitBuffer_ = 0;
    bitCount_ = 0;
  }
  if (clearFlag_) {
    CodeWidth = InitialCodeWidth;
    MaxCode = (1 << CodeWidth) - 1;
    clearFlag_ = false;
  } else if (NextCode > MaxCode) {
    ++CodeWidth;
    MaxCode = CodeWidth >= kMaxCodeWidth ? 4096 : (1 << CodeWidth) - 1;
  }
}
