#include "pdf/core/filters/lzw.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int kMinCodeWidth = 2;
}

const TPDFLZWDecompressor::Entry TPDFLZWDecompressor::kUndefined{kNotWritten, 0, 0, 0, 0};

TPDFLZWDecompressor::TPDFLZWDecompressor() = default;

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
  bytePos_ = 0;
  bitBuf_ = 0;
  bitCount_ = 0;
  previousAt_ = kNotWritten;
  SetWidth(InitialCodeWidth);
  clearCode_ = 1 << (InitialCodeWidth - 1);
  endCode_ = clearCode_ + 1;
  nextCode_ = clearCode_ + 2;
  // Entries past the single bytes are written as codes are defined; until then they read as
  // undefined (filling the whole table took longer than decoding a small strip).
  filled_ = endCode_ + 1;
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

void TPDFLZWDecompressor::Refill() {
  for (;;) {
    const auto* data = reinterpret_cast<const uint8_t*>(input_.data());
    const size_t size = input_.size();
    if (MSBFirst) {
      for (; bitCount_ <= 56 && bytePos_ < size; bitCount_ += 8) bitBuf_ |= uint64_t(data[bytePos_++]) << (56 - bitCount_);
    } else {
      for (; bitCount_ <= 56 && bytePos_ < size; bitCount_ += 8) bitBuf_ |= uint64_t(data[bytePos_++]) << bitCount_;
    }
    if (bitCount_ > 56 || !feed_) return;
    input_ = feed_->Next();
    bytePos_ = 0;
    if (input_.empty()) {
      feed_.reset();
      return;
    }
  }
}

// A code is read only when all its bits lie inside the data; a stream that stops without its
// end-of-data code simply ends there.
inline int TPDFLZWDecompressor::ReadCode() {
  if (bitCount_ < width_) {
    Refill();
    if (bitCount_ < width_) return endCode_;
  }
  int code;
  if (MSBFirst) {
    code = static_cast<int>(bitBuf_ >> (64 - width_));
    bitBuf_ <<= width_;
  } else {
    code = static_cast<int>(bitBuf_ & uint64_t(mask_));
    bitBuf_ >>= width_;
  }
  bitCount_ -= width_;
  return code;
}

inline void TPDFLZWDecompressor::Append(int code) {
  if (code < 0 || full_) return;
  const Entry& e = At(code);
  if (e.length == 0) {
    previousAt_ = kNotWritten;
    return;
  }
  const int64_t start = size_;
  const int64_t n = std::min<int64_t>(e.length, std::max<int64_t>(MaxOutput - start, 0));
  const int64_t offset = start - base_;
  if (offset + n + kCopySlack > static_cast<int64_t>(output_.size())) Grow(offset + n + kCopySlack);
  auto* out = reinterpret_cast<uint8_t*>(output_.data()) + offset;
  if (e.length == 1) {
    if (n == 1) {
      out[0] = e.last;
      if (start < int64_t(kNotWritten)) table_[static_cast<size_t>(code)].at = uint32_t(start);
    }
  } else if (e.at != kNotWritten && int64_t(e.at) >= base_ && int64_t(e.at) + n <= start) {
    // The entry's head lies earlier in the output, wholly written: copied in whole blocks (the
    // bytes copied past the string's end lie in the room behind it and are written over by
    // what comes next).
    const uint8_t* from = reinterpret_cast<const uint8_t*>(output_.data()) + (e.at - base_);
    for (int64_t i = 0; i < n; i += kCopySlack) std::memmove(out + i, from + i, kCopySlack);
  } else {
    AppendWalked(code, n);
  }
  size_ = start + n;
  previousAt_ = start < int64_t(kNotWritten) && n == e.length ? uint32_t(start) : kNotWritten;
  if (size_ >= MaxOutput) full_ = true;
}

void TPDFLZWDecompressor::AppendWalked(int code, int64_t n) {
  const Entry& e = table_[static_cast<size_t>(code)];
  const int64_t start = size_;
  auto* out = reinterpret_cast<uint8_t*>(output_.data()) + (start - base_);
  if (e.at != kNotWritten && int64_t(e.at) >= base_) {
    // The head runs into the bytes being written (a code defined by its own use): the copy
    // goes forward byte by byte.
    const uint8_t* from = reinterpret_cast<const uint8_t*>(output_.data()) + (e.at - base_);
    for (int64_t i = 0; i < n; ++i) out[i] = from[i];
    return;
  }
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

// Defines the entry at the next free code as the prefix's string plus one byte, then widens
// the codes when the table reaches the current width's threshold. Once all 4,096 codes are
// defined the table stays as it is until the next clear code. prefixAt: where the prefix's
// string was written last, when nothing but the following code's string came after it and
// that string began with its entry's first byte; the new string then lies in the output from
// there. (In damaged data a prefix chain can come to hold other bytes than its entry's first
// and length say: such entries and all made from them are walked.)
inline void TPDFLZWDecompressor::AddEntry(int prefixCode, uint8_t last, uint32_t prefixAt) {
  if (nextCode_ >= kTableSize) return;
  const Entry& prefix = At(prefixCode);
  if (nextCode_ == filled_) ++filled_;
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
  Reset();
  input_ = data;
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
    const bool tableFull = nextCode_ >= kTableSize;
    if (MSBFirst)
      tableFull ? RunPlain<true, true>(until) : RunPlain<true, false>(until);
    else
      tableFull ? RunPlain<false, true>(until) : RunPlain<false, false>(until);
    if (full_ || ended_ || size_ >= until) break;
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
      const Entry& prev = At(previous_);
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

// The codes of well-formed data, with the decoder's state in locals (bytes stored through the
// output could otherwise stand for any of its fields): a code of a defined entry whose string
// lies whole earlier in the output (a single byte too, once written) and fits before MaxOutput,
// or the code being defined right after a string written whole; each makes the next entry
// until the table is full. Strings are copied in blocks of 16 bytes whatever their length,
// without a branch on it. Anything else (clear and end codes, codes past the table, strings to
// walk, the output to grow, the end of the bits) is left to Run, which takes one code and
// comes back.
template <bool kMSBFirst, bool kTableFull>
void TPDFLZWDecompressor::RunPlain(int64_t until) {
  // New entries are made from the code read last: it must be defined.
  if (!kTableFull && (previous_ >= filled_ || table_[static_cast<size_t>(previous_)].length == 0)) return;
  uint64_t bits = bitBuf_;
  int count = bitCount_;
  int width = width_, threshold = threshold_, next = nextCode_, previous = previous_;
  const auto* data = reinterpret_cast<const uint8_t*>(input_.data());
  const size_t inputSize = input_.size();
  size_t at = bytePos_;
  int64_t size = size_;
  const int64_t base = base_;
  auto* buffer = reinterpret_cast<uint8_t*>(output_.data());
  // Output positions that fit before the end asked for, MaxOutput and the buffer's end: the
  // next string not fitting is the loop's only bound on the output.
  const int64_t limit = std::min({until, MaxOutput, static_cast<int64_t>(output_.size()) - kCopySlack + base});
  const int clear = clearCode_;
  Entry* table = table_.data();
  // The entry of the code read last, from which the next entry is made, and where the next
  // entry's string lies in the output: where the last string was written, when that string's
  // entry is what its fields say.
  const Entry& last = kTableFull ? kUndefined : table[previous];
  int prefixLength = last.length;
  unsigned prefixFirst = last.first;
  uint32_t entryAt = Copied(last) ? previousAt_ : kNotWritten;
  for (;;) {
    if (count < width) {
      if (at + 8 <= inputSize) {
        // Eight bytes at once; the bits past the whole bytes taken are the next byte's own, so
        // taking that byte again later leaves them as they are.
        uint64_t word;
        std::memcpy(&word, data + at, 8);
        if constexpr (kMSBFirst) {
          bits |= __builtin_bswap64(word) >> count;
        } else {
          bits |= word << count;
        }
        const int taken = (63 - count) >> 3;
        at += size_t(taken);
        count += taken << 3;
      } else {
        for (; count <= 56 && at < inputSize; count += 8)
          bits |= uint64_t(data[at++]) << (kMSBFirst ? 56 - count : count);
        if (count < width) break;
      }
    }
    const int code = kMSBFirst ? static_cast<int>(bits >> (64 - width))
                               : static_cast<int>(bits & ((uint64_t{1} << width) - 1));
    int64_t length;
    unsigned first;
    uint8_t* out = buffer + (size - base);
    if (kTableFull || code < next) {
      if (static_cast<unsigned>(code - clear) < 2u) break;  // clear and end codes
      Entry& e = table[code];
      length = e.length;
      if (e.at == kNotWritten || int64_t(e.at) < base || int64_t(e.at) + length > size || size + length > limit) break;
      const uint8_t* from = buffer + (e.at - base);
      first = e.first;
      for (int64_t i = 0; i < length; i += kCopySlack) std::memmove(out + i, from + i, kCopySlack);
      if (size < int64_t(kNotWritten)) e.at = uint32_t(size);
      if (!kTableFull) {
        table[next] = Entry{entryAt, static_cast<uint16_t>(previous), static_cast<uint16_t>(prefixLength + 1),
                            static_cast<uint8_t>(first), static_cast<uint8_t>(prefixFirst)};
      }
    } else {
      // The code being defined by its own use: the previous string, the last thing written, and
      // its first byte again. (Right after a clear the next code is the end code.)
      if (code != next || code == clear + 1 || entryAt == kNotWritten || int64_t(entryAt) < base) break;
      length = prefixLength + 1;
      if (size + length > limit) break;
      const uint8_t* from = buffer + (entryAt - base);
      first = prefixFirst;
      for (int64_t i = 0; i < prefixLength; i += kCopySlack) std::memmove(out + i, from + i, kCopySlack);
      out[prefixLength] = static_cast<uint8_t>(prefixFirst);
      table[next] = Entry{entryAt, static_cast<uint16_t>(previous), static_cast<uint16_t>(length),
                          static_cast<uint8_t>(prefixFirst), static_cast<uint8_t>(prefixFirst)};
    }
    // The code is taken.
    bits = kMSBFirst ? bits << width : bits >> width;
    count -= width;
    entryAt = size < int64_t(kNotWritten) ? uint32_t(size) : kNotWritten;
    size += length;
    previous = code;
    prefixLength = static_cast<int>(length);
    prefixFirst = first;
    if (!kTableFull) {
      if (next >= threshold && width < kMaxCodeWidth) {
        ++width;
        const int mask = (1 << width) - 1;
        threshold = EarlyChange ? mask - 1 : mask;
      }
      // Once the table is full the loop for a full table takes over.
      if (++next >= kTableSize) break;
    }
  }
  bitBuf_ = bits;
  bitCount_ = count;
  bytePos_ = at;
  // Entries are defined in order: those up to the next code are defined now.
  filled_ = std::max(filled_, next);
  if (width != width_) SetWidth(width);
  nextCode_ = next;
  previous_ = previous;
  // Every code taken was written whole from what its entry says.
  if (size != size_) previousAt_ = entryAt;
  size_ = size;
  if (size_ >= MaxOutput) full_ = true;
}

std::string TPDFLZWDecompressor::Decode(std::string_view data, const FlatePredictorParams& params) {
  // The first room follows the data's size (the expected size where the data could plausibly
  // make it): a size a file merely states allocates nothing.
  const int64_t inputBytes = static_cast<int64_t>(data.size());
  const int64_t initial = ExpectedOutput > 0 ? std::min(ExpectedOutput, 16 * inputBytes + 4096) : 3 * inputBytes + 4096;
  feed_.reset();
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
  feed_.reset();
  if (!Begin(data, room)) {
    Reset();
    input_ = {};
  }
}

void TPDFLZWDecompressor::Open(std::unique_ptr<TByteFeed> feed, int64_t room) {
  feed_ = std::move(feed);
  if (!Begin({}, room)) {
    Reset();
    input_ = {};
    feed_.reset();
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
  const int64_t history = std::max<int64_t>(KeptHistory, 0);
  const int64_t keep = std::min(before, size_) - history;
  // Moved only in steps of at least the kept history, so each byte moves about once.
  if (keep - base_ < std::max<int64_t>(history, 1)) return;
  std::memmove(output_.data(), output_.data() + (keep - base_), size_t(size_ - keep));
  base_ = keep;
}
