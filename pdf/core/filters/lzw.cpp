#include "pdf/core/filters/lzw.h"

#include <algorithm>

namespace {
constexpr int kMinCodeWidth = 2;
}

uint64_t LZWLargestDecodedSize(uint64_t Size, int InitialCodeWidth) {
  const uint64_t codes = Size * 8 / uint64_t(std::max(InitialCodeWidth, kMinCodeWidth));
  if (codes <= 4096) return codes * (codes + 1) / 2;
  return 4096 * 4097 / 2 + (codes - 4096) * 4096;
}

void TPDFLZWDecompressor::SetWidth(int width) {
  width_ = width;
  mask_ = (1 << width) - 1;
  threshold_ = EarlyChange ? mask_ - 1 : mask_;
}

void TPDFLZWDecompressor::Reset() {
  output_.clear();
  full_ = false;
  bitPos_ = 0;
  SetWidth(InitialCodeWidth);
  clearCode_ = 1 << (InitialCodeWidth - 1);
  endCode_ = clearCode_ + 1;
  nextCode_ = clearCode_ + 2;
  table_.fill(Entry{});
  for (int code = 0; code <= endCode_; ++code) {
    const auto byte = static_cast<uint8_t>(code);
    table_[static_cast<size_t>(code)] = Entry{0, byte, byte, 1};
  }
}

// A code is read only when all its bits lie inside the data; a stream that stops without its
// end-of-data code simply ends there.
int TPDFLZWDecompressor::ReadCode() {
  const int64_t totalBits = static_cast<int64_t>(input_.size()) * 8;
  if (bitPos_ + width_ > totalBits) return endCode_;
  const size_t at = static_cast<size_t>(bitPos_ / 8);
  const int offset = static_cast<int>(bitPos_ % 8);
  auto byteAt = [&](size_t i) -> uint32_t { return i < input_.size() ? static_cast<uint8_t>(input_[i]) : 0u; };
  uint32_t window;
  int code;
  if (MSBFirst) {
    window = byteAt(at) << 16 | byteAt(at + 1) << 8 | byteAt(at + 2);
    code = static_cast<int>(window >> (24 - offset - width_)) & mask_;
  } else {
    window = byteAt(at) | byteAt(at + 1) << 8 | byteAt(at + 2) << 16;
    code = static_cast<int>(window >> offset) & mask_;
  }
  bitPos_ += width_;
  return code;
}

void TPDFLZWDecompressor::Append(int code) {
  if (code < 0) return;
  const Entry& e = table_[static_cast<size_t>(code)];
  if (e.length == 0 || full_) return;
  const int64_t start = static_cast<int64_t>(output_.size());
  const int64_t room = std::max<int64_t>(MaxOutput - start, 0);
  const int64_t n = std::min(e.length, room);
  // The entry's bytes come out last to first while walking its prefix chain; when only its
  // head still fits, the tail is walked past first.
  int c = code;
  for (int64_t skip = e.length - n; skip > 0; --skip) c = table_[static_cast<size_t>(c)].prefix;
  output_.resize(static_cast<size_t>(start + n));
  for (int64_t i = start + n; i > start; --i) {
    const Entry& link = table_[static_cast<size_t>(c)];
    output_[static_cast<size_t>(i - 1)] = static_cast<char>(link.last);
    c = link.prefix;
  }
  if (start + n >= MaxOutput) full_ = true;
}

// Defines the entry at the next free code as the prefix's string plus one byte, then widens
// the codes when the table reaches the current width's threshold. Once all 4,096 codes are
// defined the table stays as it is until the next clear code.
void TPDFLZWDecompressor::AddEntry(int prefixCode, uint8_t last) {
  if (nextCode_ >= kTableSize) return;
  const Entry& prefix = table_[static_cast<size_t>(prefixCode)];
  Entry& e = table_[static_cast<size_t>(nextCode_)];
  if (prefix.length == 0) {
    e = Entry{0, last, last, 1};
  } else {
    e = Entry{static_cast<uint16_t>(prefixCode), last, prefix.first, prefix.length + 1};
  }
  if (nextCode_ >= threshold_ && width_ < kMaxCodeWidth) SetWidth(width_ + 1);
  ++nextCode_;
}

std::string TPDFLZWDecompressor::Decode(std::string_view data, const FlatePredictorParams& params) {
  if (InitialCodeWidth < kMinCodeWidth || InitialCodeWidth > kMaxCodeWidth) return {};
  input_ = data;
  Reset();
  int code = ReadCode();
  if (code == clearCode_) code = ReadCode();
  Append(code == endCode_ ? -1 : code);
  int previous = code;
  while (!full_ && previous != endCode_) {
    code = ReadCode();
    if (code == endCode_) break;
    if (code == clearCode_) {
      // The entry made for the code after a clear lands on the end-of-data number, which is
      // never read as data, so the first usable new entry is again clear + 2.
      SetWidth(InitialCodeWidth);
      nextCode_ = clearCode_ + 1;
      continue;
    }
    if (code < nextCode_) {
      const Entry& e = table_[static_cast<size_t>(code)];
      Append(code);
      if (e.length != 0) AddEntry(previous, e.first);
    } else {
      // The code being defined right now (or, in damaged data, one beyond it): the previous
      // string followed by its own first byte.
      const Entry& prev = table_[static_cast<size_t>(previous)];
      const int slot = nextCode_;
      if (prev.length != 0 && slot < kTableSize) {
        AddEntry(previous, prev.first);
        Append(slot);
      }
    }
    previous = code;
  }
  input_ = {};
  std::string out = std::move(output_);
  output_.clear();
  UndoPredictorInPlace(out, params, MaxOutput);
  return out;
}
