// The encoded/decoded pairs of tests/data/pdf/core/filters (see make_vectors.py there).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "pdf/core/filters/byte_feed.h"
#include "tests/support/test_support.h"

namespace filtertest {

// The bytes in windows of 1 to `most` bytes each (the same for one seed), as a feed hands over
// a piece of a file read as it is needed; a copy goes on with windows of its own sizes.
class ChoppedFeed final : public TByteFeed {
 public:
  ChoppedFeed(std::string_view bytes, size_t most, uint32_t seed = 1) : bytes_(bytes), most_(most), seed_(seed) {}
  std::string_view Next() override {
    seed_ = seed_ * 1103515245u + 12345u;
    const size_t n = std::min<size_t>(1 + (seed_ >> 16) % most_, bytes_.size() - at_);
    held_.assign(bytes_.substr(at_, n));  // a buffer of the feed's own, as a file's block is
    at_ += n;
    return held_;
  }
  int64_t Size() const override { return int64_t(bytes_.size()); }
  std::unique_ptr<TByteFeed> Clone() const override { return std::make_unique<ChoppedFeed>(*this); }
  std::string_view Current() const override { return held_; }

 private:
  std::string_view bytes_;
  size_t most_, at_ = 0;
  uint32_t seed_;
  std::string held_;
};

inline std::string Encoded(const std::string& name) {
  return testsupport::ReadFile(testsupport::DataPath("pdf/core/filters/" + name + ".in"));
}
inline std::string Decoded(const std::string& name) {
  return testsupport::ReadFile(testsupport::DataPath("pdf/core/filters/" + name + ".out"));
}

// Bytes from a hexadecimal text such as "78 9C 4B".
inline std::string Hex(const std::string& text) {
  std::string out;
  int nibbles = 0, value = 0;
  for (const char c : text) {
    int v;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else continue;
    value = value * 16 + v;
    if (++nibbles == 2) {
      out.push_back(static_cast<char>(value));
      nibbles = value = 0;
    }
  }
  return out;
}

// Deterministic noise for round trips.
inline std::string Noise(size_t n, uint32_t seed) {
  std::string s(n, '\0');
  for (auto& c : s) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>(seed >> 16);
  }
  return s;
}

// Packs (code, width) pairs into bytes, most or least significant bit first.
class CodeWriter {
 public:
  explicit CodeWriter(bool msbFirst) : msb_(msbFirst) {}
  void Put(int code, int width) {
    for (int i = 0; i < width; ++i) {
      const int bit = msb_ ? (code >> (width - 1 - i)) & 1 : (code >> i) & 1;
      if (bits_ % 8 == 0) out_.push_back('\0');
      const int pos = static_cast<int>(bits_ % 8);
      out_.back() = static_cast<char>(out_.back() | (bit << (msb_ ? 7 - pos : pos)));
      ++bits_;
    }
  }
  const std::string& Bytes() const { return out_; }

 private:
  bool msb_;
  int64_t bits_ = 0;
  std::string out_;
};

// Compares byte strings without printing kilobytes of them: sizes and the first difference.
inline ::testing::AssertionResult SameBytes(const std::string& got, const std::string& want) {
  if (got == want) return ::testing::AssertionSuccess();
  const auto diff = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
  return ::testing::AssertionFailure() << "got " << got.size() << " bytes, want " << want.size()
                                       << "; first difference at offset " << (diff.first - got.begin());
}

}  // namespace filtertest
