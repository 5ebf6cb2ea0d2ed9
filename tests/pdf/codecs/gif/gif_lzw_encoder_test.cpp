// The LZW encoder read back by a plain GIF code reader written here from the format's rules
// (code width follows the reader's own table size), which records every code with its width.
#include "pdf/codecs/gif/gif_lzw_encoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rtl/streams.h"
#include "tests/pdf/codecs/output/output_test_util.h"

namespace {

struct Trace {
  bool ok = false;
  std::string error;
  int minimumCodeSize = 0;
  std::vector<int> codes, widths;
  std::vector<int> nextAtCode;  // the reader's next free code when each code was read
  std::vector<size_t> blockSizes;
  std::string pixels;
};

Trace ReadCodes(const std::string& data) {
  Trace t;
  if (data.empty()) return t;
  t.minimumCodeSize = static_cast<uint8_t>(data[0]);
  std::string bytes;
  size_t at = 1;
  for (;;) {
    if (at >= data.size()) {
      t.error = "no block terminator";
      return t;
    }
    const size_t n = static_cast<uint8_t>(data[at++]);
    if (n == 0) break;
    t.blockSizes.push_back(n);
    bytes.append(data, at, n);
    at += n;
  }
  if (at != data.size()) {
    t.error = "bytes after the terminator";
    return t;
  }
  const int clear = 1 << t.minimumCodeSize, end = clear + 1;
  int width = t.minimumCodeSize + 1, next = clear + 2, prev = -1;
  std::vector<std::string> table(4096);
  auto reset = [&] {
    for (int i = 0; i < clear; ++i) table[size_t(i)] = std::string(1, char(i));
    width = t.minimumCodeSize + 1;
    next = clear + 2;
    prev = -1;
  };
  reset();
  size_t bit = 0;
  for (;;) {
    if (bit + size_t(width) > bytes.size() * 8) {
      t.error = "data end before the end code";
      return t;
    }
    int code = 0;
    for (int i = 0; i < width; ++i, ++bit)
      if (static_cast<uint8_t>(bytes[bit / 8]) >> (bit % 8) & 1) code |= 1 << i;
    t.codes.push_back(code);
    t.widths.push_back(width);
    t.nextAtCode.push_back(next);
    if (code == clear) {
      reset();
      continue;
    }
    if (code == end) break;
    if (prev < 0) {
      if (code >= clear) {
        t.error = "first code not a pixel";
        return t;
      }
      t.pixels += table[size_t(code)];
      prev = code;
      continue;
    }
    std::string s;
    if (code < next && code != clear && code != end) s = table[size_t(code)];
    else if (code == next) s = table[size_t(prev)] + table[size_t(prev)][0];
    else {
      t.error = "code beyond the table";
      return t;
    }
    t.pixels += s;
    if (next < 4096) table[size_t(next++)] = table[size_t(prev)] + s[0];
    if (next >= (1 << width) && width < 12) ++width;
    prev = code;
  }
  // Only padding of the last byte may follow the end code.
  t.ok = (bytes.size() * 8 - bit) < 8;
  if (!t.ok) t.error = "bytes after the end code";
  return t;
}

std::string Encode(int bpp, const std::string& pixels, int width, int height) {
  TMemoryStream out;
  TGIFEncoder encoder;
  encoder.Encode(out, bpp, std::span(reinterpret_cast<const uint8_t*>(pixels.data()), pixels.size()), width, height);
  return out.DataString();
}

std::string NoisePixels(size_t n, int bits, uint32_t seed) {
  outputtest::Noise noise(seed);
  std::string s;
  for (size_t i = 0; i < n; ++i) s += char(noise.Next() >> (8 - bits));
  return s;
}

TEST(GIFEncoder, OnePixelIsClearPixelEnd) {
  // 256, 0x2A, 257 at 9 bits each, least significant bit first: 27 bits in 4 bytes.
  const std::string data = Encode(8, std::string(1, '\x2A'), 1, 1);
  EXPECT_EQ(data, std::string("\x08\x04\x00\x55\x04\x04\x00", 7));
  const Trace t = ReadCodes(data);
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.codes, (std::vector<int>{256, 0x2A, 257}));
  EXPECT_EQ(t.pixels, "\x2A");
}

TEST(GIFEncoder, NoPixelsIsTheEndCodeAlone) {
  EXPECT_EQ(Encode(8, "", 0, 0), std::string("\x08\x02\x01\x01\x00", 5));
  EXPECT_EQ(Encode(8, "abc", 3, 0), std::string("\x08\x02\x01\x01\x00", 5));
  // A span shorter than the image is not read past its end.
  EXPECT_EQ(Encode(8, "abc", 2, 2), std::string("\x08\x02\x01\x01\x00", 5));
}

TEST(GIFEncoder, RoundTripsOverManyTableResets) {
  struct Case {
    const char* name;
    int bpp;
    std::string pixels;
    int width, height;
  } cases[] = {
      {"noise8", 8, NoisePixels(120000, 8, 1), 400, 300},
      {"noise4", 4, NoisePixels(90000, 4, 2), 300, 300},
      {"noise1", 1, NoisePixels(5000, 1, 3), 100, 50},
      {"flat", 8, std::string(70000, '\x11'), 350, 200},
      {"ramp", 8, [] {
         std::string s;
         for (int i = 0; i < 65536; ++i) s += char((i / 3) & 0xFF);
         return s;
       }(), 256, 256},
  };
  for (const Case& c : cases) {
    const std::string data = Encode(c.bpp, c.pixels, c.width, c.height);
    const Trace t = ReadCodes(data);
    ASSERT_TRUE(t.ok) << c.name << ": " << t.error;
    EXPECT_EQ(t.minimumCodeSize, std::max(2, c.bpp)) << c.name;
    EXPECT_EQ(t.pixels, c.pixels) << c.name;
    // Every sub-block is full except the last.
    for (size_t i = 0; i + 1 < t.blockSizes.size(); ++i) ASSERT_EQ(t.blockSizes[i], 255u) << c.name;
    // The table is cleared exactly when it is full: the reader then expects code 4095 next.
    const int clear = 1 << t.minimumCodeSize;
    int clears = 0;
    for (size_t i = 1; i < t.codes.size(); ++i)
      if (t.codes[i] == clear) {
        ++clears;
        EXPECT_EQ(t.nextAtCode[i], 4095) << c.name << " code " << i;
        EXPECT_EQ(t.widths[i], 12) << c.name;
      }
    if (std::string(c.name) == "noise8") { EXPECT_GE(clears, 10); }
  }
}

// After a clear the 256th code is the first 10-bit one, the 768th the first 11-bit one.
TEST(GIFEncoder, CodeWidthGrowsWhenTheTableDoes) {
  const Trace t = ReadCodes(Encode(8, NoisePixels(40000, 8, 5), 200, 200));
  ASSERT_TRUE(t.ok) << t.error;
  ASSERT_EQ(t.codes[0], 256);
  auto firstOfWidth = [&](int w) {
    for (size_t i = 0; i < t.codes.size(); ++i)
      if (t.widths[i] == w) return int(i);
    return -1;
  };
  EXPECT_EQ(firstOfWidth(10), 256);
  EXPECT_EQ(firstOfWidth(11), 768);
  EXPECT_EQ(firstOfWidth(12), 1792);
  // After a reset the width is back at 9.
  size_t secondClear = 0;
  for (size_t i = 1; i < t.codes.size() && !secondClear; ++i)
    if (t.codes[i] == 256) secondClear = i;
  ASSERT_NE(secondClear, 0u);
  EXPECT_EQ(t.widths[secondClear + 1], 9);
  EXPECT_EQ(t.widths[secondClear + 256], 10);
}

// The encoder's own counters follow the same rule.
TEST(GIFEncoder, StateAfterEncoding) {
  TMemoryStream out;
  TGIFEncoder encoder;
  const std::string pixels = NoisePixels(300, 8, 11);
  encoder.Encode(out, 8, std::span(reinterpret_cast<const uint8_t*>(pixels.data()), pixels.size()), 300, 1);
  EXPECT_EQ(encoder.ClearCode, 256);
  EXPECT_EQ(encoder.EndCode, 257);
  EXPECT_EQ(encoder.InitialCodeWidth, 9);
  EXPECT_GT(encoder.NextCode, 511);
  EXPECT_EQ(encoder.CodeWidth, 10);
  EXPECT_EQ(encoder.MaxCode, 1023);
}

// Pixel bytes beyond the code size are masked instead of being sent as control codes.
TEST(GIFEncoder, PixelsAreMaskedToTheCodeSize) {
  const std::string pixels = "\x04\x05\xFF\x01";
  const Trace t = ReadCodes(Encode(2, pixels, 4, 1));
  ASSERT_TRUE(t.ok) << t.error;
  EXPECT_EQ(t.pixels, std::string("\x00\x01\x03\x01", 4));
  // A code size above 8 is taken as 8.
  EXPECT_EQ(static_cast<uint8_t>(Encode(12, "a", 1, 1)[0]), 8);
  EXPECT_EQ(static_cast<uint8_t>(Encode(0, "\x01", 1, 1)[0]), 2);
}

TEST(GIFEncoder, HashTable) {
  THashTable table;
  EXPECT_EQ(table.Lookup(0), -1);
  // Keys that share a first slot all stay reachable.
  std::vector<uint32_t> keys;
  for (uint32_t k = 0; keys.size() < 3000; ++k) keys.push_back(k * 97 + (k % 5) * 8009);
  for (size_t i = 0; i < keys.size(); ++i) table.Insert(keys[i], uint32_t(258 + i));
  for (size_t i = 0; i < keys.size(); ++i) ASSERT_EQ(table.Lookup(keys[i]), int32_t(258 + i)) << i;
  EXPECT_EQ(table.Lookup(0xFFFFF), -1);
  table.Clear();
  EXPECT_EQ(table.Lookup(keys[0]), -1);
  // A full table answers without looping.
  for (uint32_t k = 0; k < uint32_t(THashTable::kSize) + 10; ++k) table.Insert(k, k & 0xFFF);
  EXPECT_EQ(table.Lookup(0xFFFFE), -1);
}

}  // namespace
