// The encoded/decoded pairs of tests/data/pdf/core/filters (see make_vectors.py there).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "tests/support/test_support.h"

namespace filtertest {

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
