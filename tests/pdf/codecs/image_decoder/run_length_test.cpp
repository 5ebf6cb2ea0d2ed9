// RunLengthDecode against vectors written from the PackBits / RunLengthDecode definition, and
// against a straightforward encoder of the same definition over random data.
#include "pdf/codecs/runlength/run_length.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/pdf/codecs/image_decoder/image_test_util.h"

namespace {

std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int v : b) s += char(v);
  return s;
}

std::string Decode(const std::string& in, int64_t limit = kDefaultFilterOutputLimit, bool* ok = nullptr) {
  std::string out = "stale";
  const bool r = RunLengthDecode(in, out, limit);
  if (ok) *ok = r;
  return out;
}

// Literal runs of up to 128 bytes and repeats of 2 to 128, ended by 128.
std::string Encode(const std::string& data) { return imgtest::RunLengthEncode(data) + char(128); }

}  // namespace

TEST(RunLength, DefinitionVectors) {
  struct Case {
    const char* name;
    std::string in, out;
  } cases[] = {
      {"literal and repeat", Bytes({0x02, 'A', 'B', 'C', 0xFD, 'D', 0x80}), "ABCDDDD"},
      {"empty input", "", ""},
      {"end marker only", Bytes({0x80}), ""},
      {"one literal byte", Bytes({0x00, 'x', 0x80}), "x"},
      {"longest literal", std::string(1, char(127)) + std::string(128, 'q'), std::string(128, 'q')},
      {"shortest repeat", Bytes({0xFF, 'z'}), "zz"},
      {"longest repeat", Bytes({0x81, 'r'}), std::string(128, 'r')},
      {"literal cut short copies what remains", Bytes({0x05, 'a', 'b'}), "ab"},
      {"repeat length as last byte writes nothing", Bytes({0x00, 'a', 0xF0}), "a"},
      {"bytes after the end marker are ignored", Bytes({0x01, 'h', 'i', 0x80, 0x00, 'X'}), "hi"},
      // PackBits skips 128 as a no-op; in PDF data it is the end.
      {"128 is no no-op here", Bytes({0x80, 0x00, 'X', 0xFE, 'y'}), ""},
      {"128 between runs", Bytes({0xFE, 'y', 0x80, 0xFE, 'z'}), "yyy"},
      {"128 inside a run is data", Bytes({0xFE, 0x80, 0x80}), std::string(3, char(0x80))},
      {"no end marker is no error", Bytes({0x01, 'o', 'k'}), "ok"},
  };
  for (const Case& c : cases) {
    bool ok = false;
    EXPECT_EQ(Decode(c.in, kDefaultFilterOutputLimit, &ok), c.out) << c.name;
    EXPECT_TRUE(ok) << c.name;
  }
}

TEST(RunLength, RoundTripsRandomData) {
  std::mt19937 rng(7);
  for (int round = 0; round < 50; ++round) {
    std::string data(size_t(rng() % 3000), '\0');
    for (char& c : data) c = char(rng() % 3 == 0 ? 'a' : rng() % 4);
    EXPECT_EQ(Decode(Encode(data)), data) << round;
  }
}

TEST(RunLength, OutputStopsAtTheCeiling) {
  // 1000 repeats of 128 bytes, cut at 1000.
  std::string in;
  for (int i = 0; i < 1000; ++i) in += Bytes({0x81, 'm'});
  bool ok = true;
  const std::string out = Decode(in, 1000, &ok);
  EXPECT_EQ(out, std::string(1000, 'm'));
  EXPECT_FALSE(ok);
  EXPECT_EQ(Decode(Bytes({0x03, '1', '2', '3', '4'}), 2, &ok), "12");
  EXPECT_FALSE(ok);
}
