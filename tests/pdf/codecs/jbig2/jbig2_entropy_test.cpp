// The entropy procedures on small hand-made inputs: code assignment of tables read from the
// data, standard table lines, and the integer and symbol-identifier procedures of the MQ coder
// (coded by the tests' own encoder).
#include <gtest/gtest.h>

#include <span>
#include <string>

#include "pdf/codecs/jbig2/jbig2_arithmetic.h"
#include "pdf/codecs/jbig2/jbig2_huffman.h"
#include "tests/pdf/codecs/jbig2/jbig2_test_encoder.h"

using namespace jbig2;

namespace {

std::span<const uint8_t> Bytes(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

}  // namespace

TEST(JBIG2Entropy, CodesOfTablesReadFromTheData) {
  std::vector<THuffmanLine> lines(5);
  const int32_t lengths[5] = {1, 3, 2, 0, 3};
  for (int i = 0; i < 5; ++i) lines[size_t(i)].PrefixLength = lengths[i];
  AssignCodes(lines);
  // Lengths 1, 2, 3, 3 take 0, 10, 110, 111; the line of length 0 takes no code.
  EXPECT_EQ(lines[0].Code, 0u);
  EXPECT_EQ(lines[2].Code, 2u);
  EXPECT_EQ(lines[1].Code, 6u);
  EXPECT_EQ(lines[4].Code, 7u);
}

TEST(JBIG2Entropy, StandardTableLinesAndOutOfBand) {
  struct {
    int table;
    std::string bits;
    std::optional<int64_t> value;
  } cases[] = {
      {1, "00101", 5},       // B.1: prefix 0, four bits
      {1, "10" "00000001", 17},              // B.1: prefix 10, eight bits from 16
      {1, "110" "0000000000000011", 275},   // B.1: prefix 110, sixteen bits from 272
      {8, "01", std::nullopt},  // B.8: the out-of-band line
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bits);
    const std::string data = ccitt_test::FromBitString(c.bits);
    TStreamReader reader(Bytes(data));
    THuffmanDecoder d(reader);
    EXPECT_EQ(d.DecodeInt(StandardTable(c.table)), c.value);
  }
}

TEST(JBIG2Entropy, IntegersOutOfBandAndIdentifiersOfNoBits) {
  jbig2_test::MQEncoder e;
  std::vector<uint8_t> stats = jbig2_test::IntStats(), more = jbig2_test::IntStats();
  e.EncodeInt(stats, std::nullopt);
  e.EncodeInt(more, -5);
  const std::string data = e.Finish();
  TStreamReader reader(Bytes(data));
  TArithmeticDecoder d(reader);
  d.ResetIntStats(0);
  d.Start();
  EXPECT_EQ(d.DecodeInt(IADH), std::nullopt);
  EXPECT_EQ(d.DecodeInt(IADW), -5);
  // A code length of 0 decodes no decision: the identifier is 0.
  EXPECT_EQ(d.DecodeIAID(0), 0);
}
