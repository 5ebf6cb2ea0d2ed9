// The decoder copies strings from where they already lie in its output; a plain decoder that
// walks every string's prefix chain byte by byte must give the same bytes for any input:
// valid streams with clears and codes defined by their own use, damaged streams (random
// codes, codes past the table, stale codes after a clear) and every output cap.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "pdf/core/filters/lzw.h"
#include "tests/pdf/core/filters/filter_vectors.h"

namespace {

struct Options {
  bool msbFirst = true;
  bool earlyChange = true;
  int initialWidth = 9;
  int64_t maxOutput = kDefaultFilterOutputLimit;
};

// LZW as its description reads: a table of (prefix, last byte, length); each string is put
// together by following prefixes; codes past the next free one repeat the previous string
// with its first byte; after a clear the table is reused from clear + 1 on.
std::string Reference(const std::string& data, const Options& o) {
  struct E {
    int prefix = 0, length = 0;
    uint8_t last = 0, first = 0;
  };
  std::vector<E> t(4096);
  const int clear = 1 << (o.initialWidth - 1), end = clear + 1;
  for (int c = 0; c <= end; ++c) t[size_t(c)] = {0, 1, uint8_t(c), uint8_t(c)};
  int width = o.initialWidth, next = clear + 2;
  int64_t bit = 0;
  auto read = [&]() {
    if (bit + width > int64_t(data.size()) * 8) return end;
    int code = 0;
    for (int i = 0; i < width; ++i, ++bit) {
      const int b = (uint8_t(data[size_t(bit / 8)]) >> (o.msbFirst ? 7 - bit % 8 : bit % 8)) & 1;
      code = o.msbFirst ? code << 1 | b : code | b << i;
    }
    return code;
  };
  std::string out;
  auto emit = [&](int code) {
    if (code < 0 || t[size_t(code)].length == 0 || int64_t(out.size()) >= o.maxOutput) return;
    // Exactly `length` links, whatever the prefixes hold by now.
    std::string s;
    for (int c = code, i = 0; i < t[size_t(code)].length; ++i, c = t[size_t(c)].prefix) s += char(t[size_t(c)].last);
    std::reverse(s.begin(), s.end());
    out += s.substr(0, size_t(std::min<int64_t>(int64_t(s.size()), o.maxOutput - int64_t(out.size()))));
  };
  auto add = [&](int prefix, uint8_t last) {
    if (next >= 4096) return;
    const E& p = t[size_t(prefix)];
    t[size_t(next)] = p.length == 0 ? E{0, 1, last, last} : E{prefix, p.length + 1, last, p.first};
    const int threshold = (1 << width) - 1 - (o.earlyChange ? 1 : 0);
    if (next >= threshold && width < 12) ++width;
    ++next;
  };
  int code = read();
  if (code == clear) code = read();
  emit(code == end ? -1 : code);
  int previous = code;
  while (int64_t(out.size()) < o.maxOutput && previous != end) {
    code = read();
    if (code == end) break;
    if (code == clear) {
      width = o.initialWidth;
      next = clear + 1;
      continue;
    }
    if (code < next) {
      const int length = t[size_t(code)].length;
      emit(code);
      if (length != 0) add(previous, t[size_t(code)].first);
    } else if (t[size_t(previous)].length != 0 && next < 4096) {
      const int slot = next;
      add(previous, t[size_t(previous)].first);
      emit(slot);
    }
    previous = code;
  }
  return out;
}

std::string Decode(const std::string& data, const Options& o) {
  TPDFLZWDecompressor d;
  d.MSBFirst = o.msbFirst;
  d.EarlyChange = o.earlyChange;
  d.InitialCodeWidth = o.initialWidth;
  d.MaxOutput = o.maxOutput;
  return d.DecodeDefault(data);
}

// Codes mostly below the next free one, some defined by their own use and, unless clean, some
// past it and clears now and then, written at the width a decoder expects. Clean streams keep
// the widths of writer and decoder in step from first code to last.
std::string CodeStream(std::mt19937& rng, const Options& o, int codes, bool clean = false) {
  filtertest::CodeWriter w(o.msbFirst);
  const int clear = 1 << (o.initialWidth - 1);
  int width = o.initialWidth, next = clear + 2;
  const int clears = clean ? 0 : 2, pastNext = clean ? 0 : 2;
  for (int i = 0; i < codes; ++i) {
    const int roll = int(rng() % 100);
    int code;
    if (roll < clears) code = clear;
    else if (roll < clears + 8) code = next;  // defined by its own use
    else if (roll < clears + 8 + pastNext) code = std::min(4095, next + int(rng() % 300));
    else code = int(rng() % uint32_t(std::min(next, 4096)));
    // No end code in the middle; in a clean stream no clear either.
    if (code == clear + 1 || (clean && code == clear) || (clean && code >= 4096)) code = 0;
    w.Put(code, width);
    if (code == clear) {
      width = o.initialWidth;
      next = clear + 1;
    } else if (i > 0 && next < 4096) {
      const int threshold = (1 << width) - 1 - (o.earlyChange ? 1 : 0);
      if (next >= threshold && width < 12) ++width;
      ++next;
    }
  }
  return w.Bytes();
}

}  // namespace

TEST(LzwReference, AgreesOnGeneratedAndRandomStreams) {
  std::mt19937 rng(20261207);
  const Options kinds[] = {{true, true, 9}, {true, false, 9}, {false, false, 3}, {false, false, 8}, {false, false, 2}};
  for (const Options& kind : kinds) {
    for (int round = 0; round < 60; ++round) {
      Options o = kind;
      const std::string data = round % 3 == 2 ? [&] {
        std::string noise(size_t(rng() % 3000), '\0');
        for (char& c : noise) c = char(rng());
        return noise;
      }()
                                              : CodeStream(rng, o, 200 + int(rng() % 6000));
      const std::string whole = Reference(data, o);
      ASSERT_EQ(Decode(data, o), whole) << "width " << o.initialWidth << " round " << round;
      // Cut anywhere, and at the very start.
      for (const int64_t cap : {int64_t(0), int64_t(1), int64_t(rng() % (whole.size() + 1)), int64_t(whole.size())}) {
        o.maxOutput = cap;
        ASSERT_EQ(Decode(data, o), Reference(data, o)) << "cap " << cap << " round " << round;
      }
    }
  }
}

TEST(LzwReference, AgreesOnLibtiffStrips) {
  for (const char* name : {"lzw_noise_plain", "lzw_rgb8_plain"}) {
    const std::string data = filtertest::Encoded(name);
    EXPECT_EQ(Decode(data, Options{}), Reference(data, Options{})) << name;
    EXPECT_TRUE(filtertest::SameBytes(Decode(data, Options{}), filtertest::Decoded(name))) << name;
  }
}

// Decoded a piece at a time with all but the last megabyte of output let go: the same bytes.
// Streams without clear codes keep their first strings in the table for megabytes of output,
// so strings reaching back past what is kept are rebuilt from the table.
TEST(LzwReference, PiecewiseAgreesWhileLettingOutputGo) {
  std::mt19937 rng(32);
  const Options kinds[] = {{true, true, 9}, {true, false, 9}, {false, false, 8}};
  for (const Options& o : kinds) {
    for (const bool damaged : {false, true}) {
      std::string data = CodeStream(rng, o, 800000, true);
      // Damage late in the stream, once the table is full.
      if (damaged)
        for (int i = 0; i < 20; ++i) data[data.size() / 2 + rng() % (data.size() / 2)] = char(rng());
      const std::string whole = Reference(data, o);
      ASSERT_GT(whole.size(), size_t(5) << 19);
      TPDFLZWDecompressor d;
      d.MSBFirst = o.msbFirst;
      d.EarlyChange = o.earlyChange;
      d.InitialCodeWidth = o.initialWidth;
      d.Open(data);
      std::string pieces;
      int64_t taken = 0;
      for (;;) {
        const int64_t made = d.Produce(taken + 1 + int64_t(rng() % 300000));
        if (made == taken) break;
        ASSERT_EQ(d.Window(taken).size(), size_t(made - taken));
        pieces += d.Window(taken);
        taken = made;
        d.Release(taken);
      }
      ASSERT_EQ(pieces.size(), whole.size()) << "damaged " << damaged;
      EXPECT_TRUE(pieces == whole) << "damaged " << damaged;
    }
  }
}

// Asked for a few bytes at a time, the decoder stops inside and between strings, right after
// clear codes and width changes: the bytes that come out are the whole decode's. So they are
// when the data come in windows of a few bytes (codes split between windows).
TEST(LzwReference, SmallPiecesAgreeWithTheWholeDecode) {
  std::mt19937 rng(77);
  const Options kinds[] = {{true, true, 9}, {true, false, 9}, {false, false, 8}, {false, false, 4}};
  for (const Options& o : kinds) {
    for (int round = 0; round < 8; ++round) {
      const std::string data = CodeStream(rng, o, 3000 + int(rng() % 9000), round % 2 == 0);
      const std::string whole = Reference(data, o);
      TPDFLZWDecompressor d;
      d.MSBFirst = o.msbFirst;
      d.EarlyChange = o.earlyChange;
      d.InitialCodeWidth = o.initialWidth;
      if (round < 6)
        d.Open(data, 1);
      else
        d.Open(std::make_unique<filtertest::ChoppedFeed>(data, round == 6 ? 3 : 600, uint32_t(round)), 1);
      std::string pieces;
      int64_t taken = 0;
      for (;;) {
        const int64_t made = d.Produce(taken + 1 + int64_t(rng() % 40));
        if (made == taken) break;
        pieces += d.Window(taken);
        taken = made;
      }
      EXPECT_TRUE(pieces == whole) << "width " << o.initialWidth << " round " << round << ": " << pieces.size()
                                   << " bytes of " << whole.size();
    }
  }
}
