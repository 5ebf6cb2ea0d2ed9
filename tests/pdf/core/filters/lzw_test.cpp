#include "pdf/core/filters/lzw.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/pdf/core/filters/filter_vectors.h"

using filtertest::Decoded;
using filtertest::CodeWriter;
using filtertest::Encoded;

namespace {

// The code width a PDF decoder must use once entry `lastMade` exists: one bit more at each
// power of two, one entry early with early change, never more than 12.
int WidthAfter(int lastMade, bool earlyChange) {
  int width = 9;
  for (const int limit : {511, 1023, 2047})
    if (lastMade >= limit - (earlyChange ? 1 : 0)) ++width;
  return width;
}

// A stream of n literal codes (each making a new table entry) and the end-of-data code.
std::string Literals(int n, bool earlyChange, std::string* expected) {
  CodeWriter w(true);
  w.Put(256, 9);
  expected->clear();
  for (int i = 0; i < n; ++i) {
    const int lastMade = 256 + i;  // the first literal makes no entry; the i-th one 257 + i
    w.Put(i % 256, WidthAfter(lastMade, earlyChange));
    expected->push_back(static_cast<char>(i % 256));
  }
  w.Put(257, WidthAfter(256 + n, earlyChange));
  return w.Bytes();
}

std::string DecodePdf(const std::string& data, bool earlyChange, FlatePredictorParams params = {},
                      int64_t maxOutput = kDefaultFilterOutputLimit) {
  TPDFLZWDecompressor d;
  d.EarlyChange = earlyChange;
  d.MaxOutput = maxOutput;
  return d.Decode(data, params);
}

}  // namespace

TEST(Lzw, DecodesTiffStripsWrittenByLibtiff) {
  const struct {
    const char* name;
    FlatePredictorParams params;
  } cases[] = {
      {"lzw_rgb8_plain", {}},
      {"lzw_noise_plain", {}},  // 12-bit codes and clear codes
      {"lzw_rgb8_pred2", {2, 3, 8, 41}},
      {"lzw_gray16_pred2", {2, 1, 16, 23}},
      {"lzw_png_rgb8_paeth", {14, 3, 8, 41}},  // PNG rows behind LZW
  };
  for (const auto& c : cases) EXPECT_TRUE(filtertest::SameBytes(DecodePdf(Encoded(c.name), true, c.params), Decoded(c.name))) << c.name;
}

TEST(Lzw, DecodesGifImageData) {
  const struct {
    const char* name;
    int width;
  } cases[] = {{"gif_lzw_min2", 3}, {"gif_lzw_min8", 9}};
  for (const auto& c : cases) {
    TPDFLZWDecompressor d;
    d.MSBFirst = false;
    d.InitialCodeWidth = c.width;
    EXPECT_TRUE(filtertest::SameBytes(d.DecodeDefault(Encoded(c.name)), Decoded(c.name))) << c.name;
  }
}

// A GIF writer need not clear a full table (GIF89a, "deferred clear code"): codes then go on
// naming the entries the table holds, 4095 among them, and no entry changes until the next
// clear. 3,839 literals fill the table (entry 258 + i is literal i followed by literal i + 1);
// then entry 4095, an earlier entry and entry 4095 again, then the end.
TEST(Lzw, AFullTableKeepsItsEntriesUntilTheNextClear) {
  CodeWriter w(false);
  std::string expected;
  auto literal = [](int i) { return static_cast<char>((i * 7 + i / 256) % 256); };
  w.Put(256, 9);
  int width = 9;
  for (int i = 0; i < 3839; ++i) {
    w.Put(static_cast<uint8_t>(literal(i)), width);
    expected.push_back(literal(i));
    // Literal i (from 1 on) makes entry 257 + i; without early change the width grows once
    // entry 2^width - 1 exists, up to 12 bits.
    if (width < 12 && i + 257 == (1 << width) - 1) ++width;
  }
  ASSERT_EQ(width, 12);
  for (const int entry : {4095, 300, 4095}) {
    w.Put(entry, 12);
    const int i = entry - 258;
    expected.push_back(literal(i));
    expected.push_back(literal(i + 1));
  }
  w.Put(257, 12);
  TPDFLZWDecompressor d;
  d.MSBFirst = false;
  d.InitialCodeWidth = 9;
  EXPECT_TRUE(filtertest::SameBytes(d.DecodeDefault(w.Bytes()), expected));
}

TEST(Lzw, CodesWidenAtTheRightEntryAndStopAtTwelveBits) {
  for (const bool early : {true, false}) {
    for (const int n : {253, 254, 255, 256, 770, 1800, 3838, 3840, 5000}) {
      std::string expected;
      const std::string data = Literals(n, early, &expected);
      EXPECT_TRUE(filtertest::SameBytes(DecodePdf(data, early), expected)) << "early " << early << " n " << n;
    }
  }
  // The same codes read with the other early-change setting go wrong after entry 510.
  std::string expected;
  EXPECT_NE(DecodePdf(Literals(300, true, &expected), false), expected);
}

// Codes two bits wide at first (clear code 2) widen once the table holds the last code of
// their width, as wider codes do, although the first new entry (4) already lies past it.
TEST(Lzw, TwoBitCodesWidenAtTheirFirstEntry) {
  CodeWriter w(false);
  w.Put(2, 2);  // clear
  w.Put(0, 2);
  w.Put(1, 2);  // entry 4 = 0 1; codes are three bits wide from here
  w.Put(4, 3);  // 0 1; entry 5 = 1 0
  w.Put(5, 3);  // 1 0; entry 6 = 0 1 1
  w.Put(3, 3);  // end
  TPDFLZWDecompressor d;
  d.MSBFirst = false;
  d.InitialCodeWidth = 2;
  EXPECT_EQ(d.DecodeDefault(w.Bytes()), std::string("\0\1\0\1\1\0", 6));
}

TEST(Lzw, ClearCodesRestartTheTable) {
  CodeWriter w(true);
  w.Put(256, 9);
  w.Put('a', 9);
  w.Put('b', 9);   // entry 258 = "ab"
  w.Put(258, 9);   // "ab", entry 259 = "ba"
  w.Put(256, 9);   // clear
  w.Put('c', 9);
  w.Put('d', 9);   // entry 258 = "cd" now
  w.Put(258, 9);
  w.Put(257, 9);
  EXPECT_EQ(DecodePdf(w.Bytes(), true), "ababcdcd");
}

TEST(Lzw, HostileStreams) {
  // KwKwK: a code that is being defined right now.
  CodeWriter kwk(true);
  kwk.Put('a', 9);
  kwk.Put(258, 9);
  kwk.Put(257, 9);
  EXPECT_EQ(DecodePdf(kwk.Bytes(), true), "aaa");
  // A code beyond the next free one is read like it (damaged data, no crash).
  CodeWriter beyond(true);
  beyond.Put('A', 9);
  beyond.Put(300, 9);
  beyond.Put(257, 9);
  EXPECT_EQ(DecodePdf(beyond.Bytes(), true), "AAA");
  // No end-of-data code: the codes that are there, and none made up from missing bits.
  CodeWriter cut(true);
  cut.Put('A', 9);
  cut.Put('B', 9);
  ASSERT_EQ(cut.Bytes().size(), 3u);
  EXPECT_EQ(DecodePdf(cut.Bytes(), true), "AB");
  EXPECT_EQ(DecodePdf("", true), "");
  EXPECT_EQ(DecodePdf(std::string("\x80"), true), "");
  // An end-of-data code first gives nothing, whatever follows.
  CodeWriter eod(true);
  eod.Put(257, 9);
  eod.Put('A', 9);
  EXPECT_EQ(DecodePdf(eod.Bytes(), true), "");
  // Unusable code widths.
  for (const int width : {-3, 0, 1, 13, 100}) {
    TPDFLZWDecompressor d;
    d.InitialCodeWidth = width;
    EXPECT_EQ(d.DecodeDefault(Encoded("lzw_rgb8_plain")), "") << width;
  }
  // Predictor parameters that make no sense give nothing.
  EXPECT_EQ(DecodePdf(Encoded("lzw_rgb8_pred2"), true, {2, 0, 8, 41}), "");
}

TEST(Lzw, OutputIsCapped) {
  // Each code repeats the last string with one byte more: output grows with the square of the
  // input.
  CodeWriter w(true);
  w.Put('a', 9);
  for (int next = 258, made = 257; next < 4096; ++next, ++made) w.Put(next, WidthAfter(made, true));
  const std::string bomb = w.Bytes();
  ASSERT_LT(bomb.size(), 7000u);
  EXPECT_TRUE(filtertest::SameBytes(DecodePdf(bomb, true, {}, 100000), std::string(100000, 'a')));
  EXPECT_EQ(DecodePdf(bomb, true, {}, 1), "a");
  EXPECT_EQ(DecodePdf(bomb, true, {}, 0), "");
  EXPECT_EQ(DecodePdf(bomb, true).size(), 3839u * 3840u / 2u) << "uncapped: 1 + 2 + ... + 3839";
}

TEST(Lzw, DecoderCanBeReused) {
  TPDFLZWDecompressor d;
  d.EarlyChange = true;
  const std::string first = d.DecodeDefault(Encoded("lzw_noise_plain"));
  EXPECT_TRUE(filtertest::SameBytes(first, Decoded("lzw_noise_plain")));
  EXPECT_TRUE(filtertest::SameBytes(d.DecodeDefault(Encoded("lzw_rgb8_plain")), Decoded("lzw_rgb8_plain")));
  EXPECT_TRUE(filtertest::SameBytes(d.DecodeDefault(Encoded("lzw_noise_plain")), first));
}
