#include "pdf/core/filters/lzw.h"

#include <algorithm>
#include <cstring>

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
  base_ = 0;
  size_ = 0;
  ended_ = true;
  full_ = false;
  bitPos_ = 0;
  previousAt_ = kNotWritten;
  SetWidth(InitialCodeWidth);
  clearCode_ = 1 << (InitialCodeWidth - 1);
  endCode_ = clearCode_ + 1;
  nextCode_ = clearCode_ + 2;
  table_.fill(Entry{});
  for (int code = 0; code <= endCode_; ++code) {
    const auto byte = static_cast<uint8_t>(code);
    table_[static_cast<size_t>(code)] = Entry{kNotWritten, 0, 1, byte, byte};
  }
}

void TPDFLZWDecompressor::Grow(int64_t need) {
  // Doubling keeps the zero-filling of new room to a few passes over the output in all.
  const int64_t grown = std::max<int64_t>(need, 2 * static_cast<int64_t>(output_.size()));
  output_.resize(static_cast<size_t>(std::min(grown, std::max(MaxOutput + kCopySlack, need))));
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
  if (code < 0 || full_) return;
  const Entry& e = table_[static_cast<size_t>(code)];
  if (e.length == 0) {
    previousAt_ = kNotWritten;
    return;
  }
  const int64_t start = size_;
  const int64_t room = std::max<int64_t>(MaxOutput - start, 0);
  const int64_t n = std::min<int64_t>(e.length, room);
  const int64_t offset = start - base_;
  if (offset + n + kCopySlack > static_cast<int64_t>(output_.size())) Grow(offset + n + kCopySlack);
  auto* out = reinterpret_cast<uint8_t*>(output_.data()) + offset;
  if (e.length == 1) {
    if (n == 1) out[0] = e.last;
  } else if (e.at != kNotWritten && int64_t(e.at) >= base_) {
    // The entry's head lies earlier in the output; it may run into the bytes being written
    // (a code defined by its own use), so the copy goes forward byte by byte there.
    const uint8_t* from = reinterpret_cast<const uint8_t*>(output_.data()) + (e.at - base_);
    if (int64_t(e.at) + n <= start) {
      // Whole blocks: the bytes copied past the string's end lie in the room behind it and are
      // written over by what comes next.
      for (int64_t i = 0; i < n; i += kCopySlack) std::memmove(out + i, from + i, kCopySlack);
    } else {
      for (int64_t i = 0; i < n; ++i) out[i] = from[i];
    }
  } else {
    // The entry's bytes come out last to first while walking its prefix chain; when only its
    // head still fits, the tail is walked past first.
    int c = code;
    for (int64_t skip = e.length - n; skip > 0; --skip) c = table_[static_cast<size_t>(c)].prefix;
    for (int64_t i = n; i > 0; --i) {
      const Entry& link = table_[static_cast<size_t>(c)];
      out[i - 1] = link.last;
      c = link.prefix;
    }
  }
  size_ = start + n;
  previousAt_ = start < int64_t(kNotWritten) && n == e.length ? uint32_t(start) : kNotWritten;
  if (size_ >= MaxOutput) full_ = true;
}

// Defines the entry at the next free code as the prefix's string plus one byte, then widens
// the codes when the table reaches the current width's threshold. Once all 4,096 codes are
// defined the table stays as it is until the next clear code. prefixAt: where the prefix's
// string was written last, when nothing but the following code's string came after it and
// that string began with its entry's first byte; the new string then lies in the output from
// there. (In damaged data a prefix chain can come to hold other bytes than its entry's first
// and length say: such entries and all made from them are walked.)
void TPDFLZWDecompressor::AddEntry(int prefixCode, uint8_t last, uint32_t prefixAt) {
  if (nextCode_ >= kTableSize) return;
  const Entry& prefix = table_[static_cast<size_t>(prefixCode)];
  Entry& e = table_[static_cast<size_t>(nextCode_)];
  if (prefix.length == 0) {
    e = Entry{kNotWritten, 0, 1, last, last};
  } else {
    const uint32_t at = Copied(prefix) ? prefixAt : kNotWritten;
    e = Entry{at, static_cast<uint16_t>(prefixCode), static_cast<uint16_t>(prefix.length + 1), last, prefix.first};
  }
  if (nextCode_ >= threshold_ && width_ < kMaxCodeWidth) SetWidth(width_ + 1);
  ++nextCode_;
}

bool TPDFLZWDecompressor::Begin(std::string_view data, int64_t room) {
  if (InitialCodeWidth < kMinCodeWidth || InitialCodeWidth > kMaxCodeWidth) return false;
  input_ = data;
  Reset();
  // The copy slack is part of the first room: growing a string by a few bytes reallocates it at
  // twice its size.
  output_.resize(static_cast<size_t>(std::clamp<int64_t>(room, 0, std::max<int64_t>(MaxOutput, 0)) + kCopySlack));
  int code = ReadCode();
  if (code == clearCode_) code = ReadCode();
  Append(code == endCode_ ? -1 : code);
  previous_ = code;
  ended_ = code == endCode_;
  return true;
}

void TPDFLZWDecompressor::Run(int64_t until) {
  while (!full_ && !ended_ && size_ < until) {
    const int code = ReadCode();
    if (code == endCode_) {
      ended_ = true;
      break;
    }
    if (code == clearCode_) {
      // The entry made for the code after a clear lands on the end-of-data number, which is
      // never read as data, so the first usable new entry is again clear + 2.
      SetWidth(InitialCodeWidth);
      nextCode_ = clearCode_ + 1;
      continue;
    }
    if (code < nextCode_) {
      const Entry& e = table_[static_cast<size_t>(code)];
      const uint32_t previousAt = Copied(e) ? previousAt_ : kNotWritten;
      Append(code);
      if (e.length != 0) AddEntry(previous_, e.first, previousAt);
    } else {
      // The code being defined right now (or, in damaged data, one beyond it): the previous
      // string followed by its own first byte.
      const Entry& prev = table_[static_cast<size_t>(previous_)];
      const int slot = nextCode_;
      if (prev.length != 0 && slot < kTableSize) {
        AddEntry(previous_, prev.first, previousAt_);
        Append(slot);
      }
      // What was written (if anything) is the slot's string, not the code's.
      if (code != slot) previousAt_ = kNotWritten;
    }
    previous_ = code;
  }
}

std::string TPDFLZWDecompressor::Decode(std::string_view data, const FlatePredictorParams& params) {
  // The first room follows the data's size (the expected size where the data could plausibly
  // make it): a size a file merely states allocates nothing.
  const int64_t inputBytes = static_cast<int64_t>(data.size());
  const int64_t initial = ExpectedOutput > 0 ? std::min(ExpectedOutput, 16 * inputBytes + 4096) : 3 * inputBytes + 4096;
  if (!Begin(data, initial)) return {};
  Run(INT64_MAX);
  input_ = {};
  output_.resize(static_cast<size_t>(size_));
  std::string out = std::move(output_);
  output_.clear();
  UndoPredictorInPlace(out, params, MaxOutput);
  return out;
}

void TPDFLZWDecompressor::Open(std::string_view data, int64_t room) {
  if (!Begin(data, room)) {
    Reset();
    input_ = {};
  }
}

int64_t TPDFLZWDecompressor::Produce(int64_t until) {
  Run(until);
  return size_;
}

std::string_view TPDFLZWDecompressor::Window(int64_t from) const {
  if (from < base_ || from > size_) return {};
  return std::string_view(output_).substr(size_t(from - base_), size_t(size_ - from));
}

void TPDFLZWDecompressor::Release(int64_t before) {
  const int64_t keep = std::min(before, size_) - kKeptHistory;
  // Moved only in steps of at least the kept history, so each byte moves about once.
  if (keep - base_ < kKeptHistory) return;
  std::memmove(output_.data(), output_.data() + (keep - base_), size_t(size_ - keep));
  base_ = keep;
}
